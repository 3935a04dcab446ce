#include "platform/filenames.h"
#include "platform/registryfile.h"
#include "platform/usererror.h"

#include "filetestutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace sorvant;
using sorvant::testing::readAllBytes;
using sorvant::testing::writeAllBytes;

namespace {

const QString kKey = QStringLiteral("\\Software\\Sorvant\\Options");
const QByteArray kHead = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Sorvant\\Options]\n";

class RegistryFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Sorvant.reg")); }

    // A key over `bytes`, opened without creating anything.
    RegistryKey keyOver(const QByteArray &bytes)
    {
        EXPECT_TRUE(writeAllBytes(path(), bytes));
        RegistryKey key(path());
        EXPECT_TRUE(key.openKey(kKey, false));
        return key;
    }
};

// The error text a call throws, or "" when it throws nothing.
template <typename F>
QString errorOf(F &&f)
{
    try {
        f();
    } catch (const UserError &e) {
        return e.text();
    }
    return QString();
}

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b += static_cast<char>(v);
    return b;
}

} // namespace

TEST_F(RegistryFileTest, ParsesEachValueFormAndSkipsBrokenLines)
{
    struct Case {
        const char *line;
        bool present;
        quint32 type;
        QByteArray data;
    };
    const Case cases[] = {
        {R"("V"="a\\b\"c")", true, RegistryType::String, QByteArray("a\\b\"c") + '\0'},
        {R"("V" = "spaced")", true, RegistryType::String, QByteArray("spaced") + '\0'},
        {R"("V"="")", true, RegistryType::String, QByteArray(1, '\0')},
        {"\"V\"=dword:00000019", true, RegistryType::Dword, bytes({0x19, 0, 0, 0})},
        {"\"V\"=DWORD:1A", true, RegistryType::Dword, bytes({0x1a, 0, 0, 0})},
        {"\"V\"=dword:fffffffe", true, RegistryType::Dword, bytes({0xfe, 0xff, 0xff, 0xff})},
        {"\"V\"=hex:01,02", true, RegistryType::Binary, bytes({1, 2})},
        {"\"V\"=hex:", true, RegistryType::Binary, QByteArray()},
        {"\"V\"=hex(4):19", true, RegistryType::Dword, bytes({0x19})},
        {"\"V\"=hex(2):25,00,48,00,00,00", true, RegistryType::ExpandString, QByteArray("%H") + '\0'},
        {"\"V\"=hex(1):fc,00,00,00", true, RegistryType::String, QByteArray("\xC3\xBC") + '\0'},
        {"\"V\"=hex(b):01,00,00,00,00,00,00,00", true, RegistryType::Qword, bytes({1, 0, 0, 0, 0, 0, 0, 0})},
        {"\"V\"=hex(7):61,00,00,00,00,00", true, RegistryType::MultiString, bytes({0x61, 0, 0, 0, 0, 0})},
        {"\"V\"=hex:01,\\\n  02,03", true, RegistryType::Binary, bytes({1, 2, 3})},
        // A list left unfinished ends where the next value starts.
        {"\"V\"=hex:01,02,\\", true, RegistryType::Binary, bytes({1, 2})},
        {"\"V\"=hex:01,\\\n  02,\\", true, RegistryType::Binary, bytes({1, 2})},
        // Lines that cannot be parsed read as missing values.
        {"\"V\"=dword:123456789", false, 0, {}},
        {"\"V\"=dword:", false, 0, {}},
        {"\"V\"=dword:xyz", false, 0, {}},
        {"\"V\"=hex:1,zz", false, 0, {}},
        {"\"V\"=hex:100", false, 0, {}},
        {"\"V\"=hex(zz):00", false, 0, {}},
        {"\"V\"=\"unclosed", false, 0, {}},
        {"\"V\"=\"text\" junk", false, 0, {}},
        {"\"V\"", false, 0, {}},
        {"\"V\"=", false, 0, {}},
        {"\"V\"=-", false, 0, {}},
        {"\"V\"=25", false, 0, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        const RegistryKey key = keyOver(kHead + c.line + "\n\"After\"=dword:00000001\n");
        const auto v = key.value(QStringLiteral("V"));
        ASSERT_EQ(v.has_value(), c.present);
        if (c.present) {
            EXPECT_EQ(v->type, c.type);
            EXPECT_EQ(v->data, c.data);
        }
        // A faulty line never takes the next one with it.
        EXPECT_TRUE(key.value(QStringLiteral("After")).has_value());
    }
}

TEST_F(RegistryFileTest, TypedReadsFollowTheRegistryRules)
{
    const QString failedGet = QStringLiteral("Failed to get data for 'V'");
    const QString invalid = QStringLiteral("Invalid data type for 'V'");
    struct Case {
        const char *line;
        qint32 integer;
        QString integerError;
        QString string;
        QString stringError;
    };
    const Case cases[] = {
        {"\"V\"=dword:0000004b", 75, {}, {}, invalid},
        {"\"V\"=dword:ffffffff", -1, {}, {}, invalid},
        {"\"V\"=hex(4):96", 150, {}, {}, invalid},        // short dword: zero-extended
        {"\"V\"=\"25\"", 0, invalid, QStringLiteral("25"), {}}, // 3 bytes, not a dword
        {"\"V\"=\"12345\"", 0, failedGet, QStringLiteral("12345"), {}}, // 6 bytes
        {"\"V\"=hex:19,00,00,00", 0, invalid, {}, invalid},
        {"\"V\"=hex:19,00,00,00,00", 0, failedGet, {}, invalid},
        {"\"V\"=hex(b):19,00,00,00,00,00,00,00", 0, failedGet, {}, invalid},
        {"\"V\"=hex(5):00,00,00,19", 0, invalid, {}, invalid},
        {"\"V\"=hex:", 0, invalid, {}, {}},               // empty data of any type reads as ""
        {"\"V\"=hex(2):25,00,48,00,25,00,00,00", 0, invalid, QStringLiteral("%H%"), {}}, // not expanded
        {"\"V\"=\"ab\\\"c\"", 0, failedGet, QStringLiteral("ab\"c"), {}},
        {"\"V\"=\"/M\xfcller/\"", 0, failedGet, QStringLiteral("/Müller/"), {}}, // written in an 8-bit code page
        {"\"Other\"=\"x\"", 0, failedGet, {}, {}},        // missing
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        const RegistryKey key = keyOver(kHead + c.line + '\n');
        qint32 number = 0;
        EXPECT_EQ(errorOf([&] { number = key.readInteger(QStringLiteral("V")); }), c.integerError);
        if (c.integerError.isEmpty()) {
            EXPECT_EQ(number, c.integer);
        }
        QString text;
        EXPECT_EQ(errorOf([&] { text = key.readString(QStringLiteral("V")); }), c.stringError);
        if (c.stringError.isEmpty()) {
            EXPECT_EQ(text, c.string);
        }
    }
    // A string read stops at its first zero.
    const RegistryKey key = keyOver(kHead + QByteArray("\"V\"=\"ab\0cd\"\n", 12));
    EXPECT_EQ(key.readString(QStringLiteral("V")), QStringLiteral("ab"));
}

TEST_F(RegistryFileTest, KeysAndNamesAsTheRegistryMatchesThem)
{
    const QByteArray file = "Windows Registry Editor Version 5.00\n\n"
                            "[HKEY_CURRENT_USER\\Software\\Other]\n"
                            "\"Shadow\"=\"other key\"\n"
                            "[hkey_current_user\\software\\sorvant\\OPTIONS]\n"
                            "\"Shadow\"=\"first\"\n"
                            "\"Gone\"=\"x\"\n"
                            "\"Later\"=\"old\"\n"
                            "[HKEY_CURRENT_USER\\Software\\Sorvant\\Options]\n"
                            "\"later\"=\"new\"\n"
                            "\"Gone\"=-\n"
                            "@=\"default\"\n";
    const RegistryKey key = keyOver(file);
    EXPECT_EQ(key.readString(QStringLiteral("shadow")), QStringLiteral("first"));
    EXPECT_EQ(key.readString(QStringLiteral("Later")), QStringLiteral("new"));
    EXPECT_FALSE(key.value(QStringLiteral("Gone")).has_value());
    EXPECT_EQ(key.readString(QString()), QStringLiteral("default"));

    // A deleted key is not there, unless a later section brings it back.
    writeAllBytes(path(), kHead + "\"A\"=\"1\"\n[-HKEY_CURRENT_USER\\Software\\Sorvant\\Options]\n");
    RegistryKey deleted(path());
    EXPECT_FALSE(deleted.openKey(kKey, false));
    writeAllBytes(path(), kHead + "\"A\"=\"1\"\n[-HKEY_CURRENT_USER\\Software\\Sorvant\\Options]\n" + kHead.mid(38)
                              + "\"B\"=\"2\"\n");
    ASSERT_TRUE(deleted.openKey(kKey, false));
    EXPECT_FALSE(deleted.value(QStringLiteral("A")).has_value());
    EXPECT_EQ(deleted.readString(QStringLiteral("B")), QStringLiteral("2"));

    // Without creation nothing is made: no key, no file.
    writeAllBytes(path(), "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Other]\n");
    RegistryKey other(path());
    EXPECT_FALSE(other.openKey(kKey, false));
    const QString missing = dir.filePath(QStringLiteral("none/Sorvant.reg"));
    RegistryKey none(missing);
    EXPECT_FALSE(none.openKey(kKey, false));
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(errorOf([&] { none.writeString(QStringLiteral("V"), QStringLiteral("x")); }),
              QStringLiteral("Failed to set data for 'V'"));

    // A name that would split its line is refused, and the file stays.
    writeAllBytes(path(), kHead);
    RegistryKey key2(path());
    ASSERT_TRUE(key2.openKey(kKey, false));
    EXPECT_EQ(errorOf([&] { key2.writeString(QStringLiteral("a\n[x]"), QStringLiteral("x")); }),
              QStringLiteral("Failed to set data for 'a\n[x]'"));
    EXPECT_EQ(readAllBytes(path()), kHead);
}

TEST_F(RegistryFileTest, CreatingMakesFolderFileAndKey)
{
    const QString nested = dir.filePath(QStringLiteral("a/b/Sorvant.reg"));
    RegistryKey key(nested);
    ASSERT_TRUE(key.openKey(kKey, true));
    key.writeInteger(QStringLiteral("SampleInterval"), 25);
    EXPECT_EQ(readAllBytes(nested), kHead + "\"SampleInterval\"=dword:00000019\n");

    // A file without the key gets it appended after a blank line.
    writeAllBytes(path(), "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n\"X\"=\"1\"");
    RegistryKey other(path());
    ASSERT_TRUE(other.openKey(kKey, true));
    other.writeString(QStringLiteral("FilePath"), QStringLiteral("/logs/"));
    EXPECT_EQ(readAllBytes(path()), "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n"
                                    "\"X\"=\"1\"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Sorvant\\Options]\r\n"
                                    "\"FilePath\"=\"/logs/\"\r\n");
}

TEST_F(RegistryFileTest, WritingChangesOnlyTheValuesLine)
{
    // Hand-edited: CRLF lines, comments, junk with NUL and binary bytes, a
    // broken line, another key after ours, no line end at the very end.
    const QByteArray junk("\"Junk\x01\xff\"=\0\0\xfe\r\n", 14);
    const QByteArray before = "Windows Registry Editor Version 5.00\r\n\r\n"
                              "; kept comment\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Sorvant\\Options]\r\n"
                              "\"FilePath\"=\"/old/\"\r\n"
                              + junk
                              + "\"Blob\"=hex:01,\\\r\n  02\r\n"
                                "\"SampleInterval\"=dword:zz\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Else]\r\n"
                                "\"FilePath\"=\"else\"";
    ASSERT_TRUE(writeAllBytes(path(), before));
    RegistryKey key(path());
    ASSERT_TRUE(key.openKey(kKey, false));
    key.writeString(QStringLiteral("FilePath"), QStringLiteral("/new/"));
    key.writeInteger(QStringLiteral("SampleInterval"), 75); // replaces its broken line
    key.writeString(QStringLiteral("MRU1"), QStringLiteral("/new/a.dat"));
    key.writeString(QStringLiteral("Blob"), QStringLiteral("b"));
    const QByteArray after = "Windows Registry Editor Version 5.00\r\n\r\n"
                             "; kept comment\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Sorvant\\Options]\r\n"
                             "\"FilePath\"=\"/new/\"\r\n"
                             + junk
                             + "\"Blob\"=\"b\"\r\n"
                               "\"SampleInterval\"=dword:0000004b\r\n"
                               "\"MRU1\"=\"/new/a.dat\"\r\n"
                               "\r\n"
                               "[HKEY_CURRENT_USER\\Software\\Else]\r\n"
                               "\"FilePath\"=\"else\"";
    EXPECT_EQ(readAllBytes(path()), after);
    RegistryKey again(path());
    ASSERT_TRUE(again.openKey(kKey, false));
    EXPECT_EQ(again.readInteger(QStringLiteral("SampleInterval")), 75);
    EXPECT_EQ(again.readString(QStringLiteral("MRU1")), QStringLiteral("/new/a.dat"));
}

TEST_F(RegistryFileTest, ValuesWrittenAfterAnUnfinishedHexListReadBack)
{
    RegistryKey key = keyOver(kHead + "\"Blob\"=hex:01,02,\\\n");
    key.writeInteger(QStringLiteral("SampleInterval"), 75);
    key.writeString(QStringLiteral("MRU1"), QStringLiteral("/a.dat"));
    RegistryKey again(path());
    ASSERT_TRUE(again.openKey(kKey, false));
    EXPECT_EQ(again.readInteger(QStringLiteral("SampleInterval")), 75);
    EXPECT_EQ(again.readString(QStringLiteral("MRU1")), QStringLiteral("/a.dat"));
    EXPECT_EQ(again.value(QStringLiteral("Blob"))->data, bytes({1, 2}));
    // Rewriting the list leaves the values after it alone.
    again.writeValue(QStringLiteral("Blob"), {RegistryType::Binary, bytes({3})});
    EXPECT_EQ(readAllBytes(path()),
              kHead + "\"Blob\"=hex:03\n\"SampleInterval\"=dword:0000004b\n\"MRU1\"=\"/a.dat\"\n");
}

TEST_F(RegistryFileTest, AnyTextSurvivesARoundTrip)
{
    const QString texts[] = {
        QStringLiteral("C:\\logs\\dryer 3\\"),
        QStringLiteral("/home/ann/\"quoted\" \\ folder/"),
        QStringLiteral("/home/jürgen/Ölmühle/日本語/🌾 bin 3.dat"),
        QStringLiteral("ends with a backslash \\"),
        QStringLiteral("line\nbreak\r\nand \"quotes\""),
        QStringLiteral("\\\"\\\""),
        QString(),
        // A file name that is not UTF-8, and lone surrogates of any kind.
        decodeFileName(QByteArray("/media/usb/R\xe9" "colte/caf\xe9.dat")),
        QString(QChar(0xD800)) + QChar(0xDFFF) + QChar(0xDBFF) + QLatin1Char('x') + QChar(0xDC00),
    };
    for (const QString &text : texts) {
        SCOPED_TRACE(text.toStdString());
        RegistryKey key(path());
        ASSERT_TRUE(key.openKey(kKey, true));
        key.writeString(QStringLiteral("V"), text);
        key.writeExpandString(QStringLiteral("E"), text);
        RegistryKey again(path());
        ASSERT_TRUE(again.openKey(kKey, false));
        EXPECT_EQ(again.readString(QStringLiteral("V")), text);
        EXPECT_EQ(again.value(QStringLiteral("V"))->type, RegistryType::String);
        EXPECT_EQ(again.readString(QStringLiteral("E")), text);
        EXPECT_EQ(again.value(QStringLiteral("E"))->type, RegistryType::ExpandString);
    }
    // Escaped the way .reg files escape; expandable strings as regedit lists them.
    EXPECT_EQ(RegistryKey::formatValueLine(QStringLiteral("P\""), {RegistryType::String, QByteArray("a\\b\"c") + '\0'}),
              QByteArray(R"("P\""="a\\b\"c")"));
    EXPECT_EQ(RegistryKey::formatValueLine(QStringLiteral("E"), {RegistryType::ExpandString, QByteArray("%H") + '\0'}),
              QByteArray("\"E\"=hex(2):25,00,48,00,00,00"));
    // Such a name cannot be quoted as UTF-8: it is listed as its UTF-16 units.
    EXPECT_EQ(RegistryKey::formatValueLine(QStringLiteral("F"), RegistryValue::string(decodeFileName("\xe9"))),
              QByteArray("\"F\"=hex(1):e9,dc,00,00"));
}

TEST_F(RegistryFileTest, ReadsRegeditsUtf16Export)
{
    const QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                        "[HKEY_CURRENT_USER\\Software\\Sorvant\\Options]\r\n"
                                        "\"FilePath\"=\"/home/jürgen/\"\r\n");
    QByteArray utf16("\xFF\xFE");
    for (QChar c : text) {
        utf16 += static_cast<char>(c.unicode() & 0xFF);
        utf16 += static_cast<char>(c.unicode() >> 8);
    }
    const RegistryKey key = keyOver(utf16);
    EXPECT_EQ(key.readString(QStringLiteral("FilePath")), QStringLiteral("/home/jürgen/"));
}

TEST_F(RegistryFileTest, JunkAndHugeFilesNeverCrash)
{
    // Deterministic binary junk around a valid key, and a 3 MB value.
    std::mt19937 random(7);
    QByteArray junk;
    for (int i = 0; i < 65536; ++i)
        junk += static_cast<char>(random() & 0xFF);
    const QByteArray huge(3 * 1024 * 1024, 'x');
    const RegistryKey key = keyOver(junk + '\n' + kHead + "\"MRU1\"=\"" + huge + "\"\n\"MRU2\"=\"" + junk.left(100)
                                    + '\n' + "\"MRU3\"=\"/ok\"\n" + junk);
    EXPECT_EQ(key.readString(QStringLiteral("MRU1")).size(), huge.size());
    EXPECT_EQ(key.readString(QStringLiteral("MRU3")), QStringLiteral("/ok"));

    // Pure junk: nothing there, and nothing thrown by reading.
    writeAllBytes(path(), junk);
    RegistryKey none(path());
    EXPECT_FALSE(none.openKey(kKey, false));
    // A folder or a file that cannot be read is never replaced.
    QDir(dir.path()).mkdir(QStringLiteral("folder.reg"));
    RegistryKey folder(dir.filePath(QStringLiteral("folder.reg")));
    EXPECT_FALSE(folder.openKey(kKey, true));
    if (::geteuid() != 0) {
        QFile::setPermissions(path(), QFileDevice::WriteOwner);
        RegistryKey unreadable(path());
        EXPECT_FALSE(unreadable.openKey(kKey, true));
        QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    EXPECT_EQ(readAllBytes(path()), junk);
}

TEST_F(RegistryFileTest, FailedSaveThrowsAndKeepsTheFile)
{
    const QByteArray before = kHead + "\"FilePath\"=\"/old/\"\n";
    writeAllBytes(path(), before);
    RegistryKey key(path());
    ASSERT_TRUE(key.openKey(kKey, false));

    // A file size limit makes the save fail even for root: the temporary
    // copy cannot be written.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 512;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString error = errorOf([&] { key.writeString(QStringLiteral("FilePath"), QString(600, QLatin1Char('p'))); });
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, previous);

    EXPECT_EQ(error, QStringLiteral("Failed to set data for 'FilePath'"));
    EXPECT_EQ(readAllBytes(path()), before);
    EXPECT_EQ(key.readString(QStringLiteral("FilePath")), QStringLiteral("/old/"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Sorvant.reg")});
}

TEST_F(RegistryFileTest, SymlinkedFileStaysALink)
{
    // Users who keep their settings elsewhere link the file; a save writes
    // through the link instead of replacing it.
    const QString target = dir.filePath(QStringLiteral("kept/Sorvant.reg"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(target).absolutePath()));
    ASSERT_TRUE(writeAllBytes(target, kHead));
    ASSERT_TRUE(QFile::link(target, path()));
    RegistryKey key(path());
    ASSERT_TRUE(key.openKey(kKey, false));
    key.writeInteger(QStringLiteral("SampleInterval"), 5);
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(readAllBytes(target), kHead + "\"SampleInterval\"=dword:00000005\n");
}
