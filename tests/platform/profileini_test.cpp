#include "platform/profileini.h"

#include "filetestutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using sorvant::ProfileIni;
using sorvant::testing::readAllBytes;
using sorvant::testing::writeAllBytes;

namespace {

class ProfileIniTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("DataLogPrinterSettings.ini")); }
};

} // namespace

TEST_F(ProfileIniTest, ReadsOneKeyLikeThePrivateProfileFunctions)
{
    const QByteArray file = "; comment\r\n"
                            "[Other]\r\n"
                            "Borders=7\r\n"
                            "[printsettings]\r\n"
                            "  borders =  2  \r\n"
                            "Quoted=\"  spaced  \"\r\n"
                            "Single='x'\r\n"
                            "Half=\"open\r\n"
                            "Empty=\r\n"
                            "NoEquals\r\n"
                            "Hex=0x1E\r\n"
                            "Ansi=M\xfcller\r\n"
                            "Path=C:\\logs\\ü=ß\r\n"
                            "Borders=3\r\n"
                            "[PRINTSETTINGS]\r\n"
                            "Later=only in the second section\r\n"
                            "Long=" + QByteArray(3000, 'L');
    ASSERT_TRUE(writeAllBytes(path(), file));
    const ProfileIni ini(path());
    const QString section = QStringLiteral("PRINTSETTINGS");
    const QString dflt = QStringLiteral("<default>");
    struct Case {
        const char *key;
        QString expected;
    };
    const Case cases[] = {
        {"Borders", QStringLiteral("2")},           // names without regard to case; the first key counts
        {"Quoted", QStringLiteral("  spaced  ")},   // one pair of quotes removed
        {"Single", QStringLiteral("x")},
        {"Half", QStringLiteral("\"open")},
        {"Empty", QString()},
        {"NoEquals", dflt},
        {"Hex", QStringLiteral("0x1E")},            // read as text; the caller parses
        {"Ansi", QStringLiteral("Müller")},         // written in an 8-bit code page
        {"Path", QStringLiteral("C:\\logs\\ü=ß")},
        {"Later", dflt},                            // only the first section of a name counts
        {"Missing", dflt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(ini.readString(section, QString::fromLatin1(c.key), dflt), c.expected);
    }
    EXPECT_EQ(ini.readString(QStringLiteral("Other"), QStringLiteral("BORDERS")), QStringLiteral("7"));
    EXPECT_EQ(ini.readString(QStringLiteral("Nowhere"), QStringLiteral("Borders"), dflt), dflt);

    // At most 2047 characters of a value.
    writeAllBytes(path(), "[S]\nLong=" + QByteArray(3000, 'L'));
    EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("Long")), QString(2047, QLatin1Char('L')));
    EXPECT_EQ(ProfileIni(dir.filePath(QStringLiteral("none.ini"))).readString(section, QStringLiteral("Borders"), dflt),
              dflt);
}

TEST_F(ProfileIniTest, WritesOneKeyAndKeepsTheRestByteForByte)
{
    ProfileIni ini(path());
    const QString section = QStringLiteral("PRINTSETTINGS");
    // A new file: section and key are made.
    ASSERT_TRUE(ini.writeString(section, QStringLiteral("Centered"), QStringLiteral("Y")));
    ASSERT_TRUE(ini.writeString(section, QStringLiteral("Borders"), QStringLiteral("1")));
    EXPECT_EQ(readAllBytes(path()), "[PRINTSETTINGS]\nCentered=Y\nBorders=1\n");

    const QByteArray before = "; made by hand\r\n"
                              "[Mine]\r\n"
                              "Keep = this  \r\n"
                              "junk \x01\xff line\r\n"
                              "[printsettings]\r\n"
                              "  Borders = 5\r\n"
                              "odd line\r\n"
                              "\r\n"
                              "[After]\r\n"
                              "Borders=9";
    writeAllBytes(path(), before);
    ASSERT_TRUE(ini.writeString(section, QStringLiteral("borders"), QStringLiteral("2")));
    ASSERT_TRUE(ini.writeString(section, QStringLiteral("FontName"), QStringLiteral("MS Sans Serif")));
    ASSERT_TRUE(ini.writeString(QStringLiteral("New"), QStringLiteral("K"), QStringLiteral("v")));
    ASSERT_TRUE(ini.writeString(QStringLiteral("After"), QStringLiteral("Added"), QStringLiteral("ü")));
    EXPECT_EQ(readAllBytes(path()), "; made by hand\r\n"
                                    "[Mine]\r\n"
                                    "Keep = this  \r\n"
                                    "junk \x01\xff line\r\n"
                                    "[printsettings]\r\n"
                                    "borders=2\r\n"
                                    "odd line\r\n"
                                    "FontName=MS Sans Serif\r\n"
                                    "\r\n"
                                    "[After]\r\n"
                                    "Borders=9\r\n"
                                    "Added=\xC3\xBC\r\n"
                                    "\r\n"
                                    "[New]\r\n"
                                    "K=v\r\n");
    EXPECT_EQ(ini.readString(section, QStringLiteral("Borders")), QStringLiteral("2"));
    EXPECT_EQ(ini.readString(QStringLiteral("After"), QStringLiteral("added")), QStringLiteral("ü"));
}

TEST_F(ProfileIniTest, NamesWithOuterBlanksReadBackAsWritten)
{
    ProfileIni ini(path());
    ASSERT_TRUE(ini.writeString(QStringLiteral(" PRINTSETTINGS "), QStringLiteral(" Font Name\t"), QStringLiteral("Arial")));
    ASSERT_TRUE(ini.writeString(QStringLiteral("PRINTSETTINGS"), QStringLiteral("Borders"), QStringLiteral("1")));
    EXPECT_EQ(readAllBytes(path()), "[PRINTSETTINGS]\nFont Name=Arial\nBorders=1\n");
    for (const char *section : {"PRINTSETTINGS", " PRINTSETTINGS ", "\tprintsettings"}) {
        SCOPED_TRACE(section);
        EXPECT_EQ(ini.readString(QString::fromLatin1(section), QStringLiteral(" Font Name\t")), QStringLiteral("Arial"));
        EXPECT_EQ(ini.readString(QString::fromLatin1(section), QStringLiteral("Font Name")), QStringLiteral("Arial"));
        EXPECT_EQ(ini.readString(QString::fromLatin1(section), QStringLiteral("  Borders")), QStringLiteral("1"));
    }
    // Writing again under another spelling replaces the same line.
    ASSERT_TRUE(ini.writeString(QStringLiteral("PRINTSETTINGS "), QStringLiteral("Font Name "), QStringLiteral("Tahoma")));
    EXPECT_EQ(readAllBytes(path()), "[PRINTSETTINGS]\nFont Name=Tahoma\nBorders=1\n");
}

TEST_F(ProfileIniTest, ValuesWithOuterBlanksOrQuotesReadBackAsWritten)
{
    ProfileIni ini(path());
    const struct {
        const char *value, *line;
    } cases[] = {
        {" of ", "Sep=\" of \""},
        {"Page ", "Sep=\"Page \""},
        {"\tx", "Sep=\"\tx\""},
        {"\"quoted\"", "Sep=\"\"quoted\"\""},
        {"'single'", "Sep=\"'single'\""},
        {"plain text", "Sep=plain text"},
        {"a \"b\" c", "Sep=a \"b\" c"},
        {"", "Sep="},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value);
        const QString value = QString::fromUtf8(c.value);
        ASSERT_TRUE(ini.writeString(QStringLiteral("S"), QStringLiteral("Sep"), value));
        EXPECT_EQ(readAllBytes(path()), QByteArray("[S]\n") + c.line + '\n');
        EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("Sep")), value);
    }
}

TEST_F(ProfileIniTest, RefusesWhatWouldBreakTheFileAndFailuresLeaveItAlone)
{
    const QByteArray before = "[PRINTSETTINGS]\nTitleText=Dryer\\nBin 3\\n\n";
    writeAllBytes(path(), before);
    ProfileIni ini(path());
    const QString s = QStringLiteral("PRINTSETTINGS");
    EXPECT_FALSE(ini.writeString(s, QStringLiteral("TitleText"), QStringLiteral("two\n[lines]")));
    EXPECT_FALSE(ini.writeString(s, QStringLiteral("A=B"), QStringLiteral("x")));
    EXPECT_FALSE(ini.writeString(s, QStringLiteral(" "), QStringLiteral("x")));
    EXPECT_FALSE(ini.writeString(s, QStringLiteral("[X]"), QStringLiteral("x")));
    EXPECT_FALSE(ini.writeString(QStringLiteral("A]B"), QStringLiteral("K"), QStringLiteral("x")));
    EXPECT_FALSE(ini.writeString(QStringLiteral("A\rB"), QStringLiteral("K"), QStringLiteral("x")));
    EXPECT_EQ(readAllBytes(path()), before);
    EXPECT_EQ(ini.readString(s, QStringLiteral("TitleText")), QStringLiteral("Dryer\\nBin 3\\n"));

    // A folder that cannot exist: the write says so.
    writeAllBytes(dir.filePath(QStringLiteral("blocked")), "file");
    ProfileIni blocked(dir.filePath(QStringLiteral("blocked/x.ini")));
    EXPECT_FALSE(blocked.writeString(s, QStringLiteral("K"), QStringLiteral("v")));
    EXPECT_FALSE(blocked.errorString().isEmpty());
}

TEST_F(ProfileIniTest, BareFileNameLivesInTheConfigFolder)
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(config.isEmpty()) << "run through run-isolated.sh";
    ProfileIni ini(QStringLiteral("DataLogPrinterSettings.ini"));
    EXPECT_EQ(ini.filePath(), config + QStringLiteral("/Sorvant/DataLogPrinterSettings.ini"));
    ASSERT_TRUE(ini.writeString(QStringLiteral("PRINTSETTINGS"), QStringLiteral("Borders"), QStringLiteral("1")));
    EXPECT_TRUE(QFile::exists(ini.filePath()));
    EXPECT_EQ(ProfileIni(dir.filePath(QStringLiteral("a.ini"))).filePath(), dir.filePath(QStringLiteral("a.ini")));
}

TEST_F(ProfileIniTest, LinesMayEndInCrLfOrCrLf)
{
    const QString s = QStringLiteral("PRINTSETTINGS");
    struct Case {
        const char *what;
        QByteArray file, eol;
    };
    const Case cases[] = {
        {"CR only (old Mac editors)", "[PRINTSETTINGS]\rBorders=3\rTitleText=Dryer\r[Other]\rX=1\r", "\r"},
        {"LF", "[PRINTSETTINGS]\nBorders=3\nTitleText=Dryer\n[Other]\nX=1\n", "\n"},
        {"CR LF", "[PRINTSETTINGS]\r\nBorders=3\r\nTitleText=Dryer\r\n[Other]\r\nX=1\r\n", "\r\n"},
        {"mixed", "[PRINTSETTINGS]\rBorders=3\nTitleText=Dryer\r\n[Other]\rX=1", "\r"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(writeAllBytes(path(), c.file));
        ProfileIni ini(path());
        EXPECT_EQ(ini.readString(s, QStringLiteral("Borders")), QStringLiteral("3"));
        EXPECT_EQ(ini.readString(s, QStringLiteral("TitleText")), QStringLiteral("Dryer"));
        EXPECT_EQ(ini.readString(s, QStringLiteral("X"), QStringLiteral("none")), QStringLiteral("none"));
        EXPECT_EQ(ini.readString(QStringLiteral("Other"), QStringLiteral("X")), QStringLiteral("1"));
        // A write keeps the file's lines and gives new ones its line end.
        ASSERT_TRUE(ini.writeString(s, QStringLiteral("Borders"), QStringLiteral("5")));
        ASSERT_TRUE(ini.writeString(s, QStringLiteral("New"), QStringLiteral("n")));
        QByteArray expected = c.file;
        expected.replace("Borders=3", "Borders=5");
        const qsizetype other = expected.indexOf("[Other]");
        expected.insert(other, "New=n" + c.eol);
        EXPECT_EQ(readAllBytes(path()), expected);
    }
}

TEST_F(ProfileIniTest, ManyKeysAreReadAndWrittenInOnePassAsOneByOne)
{
    const QByteArray start = "; kept\r\n[A]\r\nk1=old\r\n\r\n[S]\r\nK2 = two \r\nother=x\r\n\r\n\r\n[B]\r\nk1=b";
    const QString s = QStringLiteral("S");
    const std::vector<std::pair<QString, QString>> entries = {
        {QStringLiteral("k1"), QStringLiteral("1")}, {QStringLiteral("k2"), QStringLiteral(" spaced ")},
        {QStringLiteral("k3"), QStringLiteral("3")}, {QStringLiteral("K1"), QStringLiteral("last")}};
    // The same entries written one at a time give the same file.
    ASSERT_TRUE(writeAllBytes(path(), start));
    ProfileIni single(path());
    for (const auto &[key, value] : entries)
        ASSERT_TRUE(single.writeString(s, key, value));
    const QByteArray oneByOne = readAllBytes(path());
    ASSERT_TRUE(writeAllBytes(path(), start));
    ProfileIni batch(path());
    int stored = -1;
    ASSERT_TRUE(batch.writeStrings(s, entries, &stored));
    EXPECT_EQ(stored, 4);
    EXPECT_EQ(readAllBytes(path()), oneByOne);
    EXPECT_EQ(oneByOne, "; kept\r\n[A]\r\nk1=old\r\n\r\n[S]\r\nk2=\" spaced \"\r\nother=x\r\nK1=last\r\nk3=3\r\n\r\n\r\n[B]\r\nk1=b");

    std::vector<std::optional<QString>> values;
    ASSERT_TRUE(batch.readStrings(s, {QStringLiteral("K1"), QStringLiteral("missing"), QStringLiteral("k2")}, values));
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0], QStringLiteral("last"));
    EXPECT_FALSE(values[1].has_value());
    EXPECT_EQ(values[2], QStringLiteral(" spaced "));

    // An entry that cannot be stored ends the list: those before it are saved.
    ASSERT_TRUE(batch.writeStrings(QStringLiteral("New"), {{QStringLiteral("a"), QStringLiteral("1")},
                                                           {QStringLiteral("b"), QStringLiteral("x\ny")},
                                                           {QStringLiteral("c"), QStringLiteral("3")}},
                                   &stored)
                == false);
    EXPECT_EQ(stored, 1);
    EXPECT_TRUE(readAllBytes(path()).endsWith("[B]\r\nk1=b\r\n\r\n[New]\r\na=1\r\n"));
}

TEST_F(ProfileIniTest, AFileOverTheSizeLimitIsAnErrorAndIsNeverReplaced)
{
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[PRINTSETTINGS]\nBorders=3\n");
        ASSERT_TRUE(f.resize(ProfileIni::MaxFileSize + 1));
    }
    ProfileIni ini(path());
    std::vector<std::optional<QString>> values;
    EXPECT_FALSE(ini.readStrings(QStringLiteral("PRINTSETTINGS"), {QStringLiteral("Borders")}, values));
    EXPECT_TRUE(ini.errorString().contains(QStringLiteral("larger than 64 MiB"))) << ini.errorString().toStdString();
    EXPECT_FALSE(ini.writeString(QStringLiteral("PRINTSETTINGS"), QStringLiteral("Borders"), QStringLiteral("1")));
    EXPECT_EQ(QFileInfo(path()).size(), ProfileIni::MaxFileSize + 1);
    // At the limit it is still read.
    ASSERT_TRUE(QFile(path()).resize(ProfileIni::MaxFileSize));
    EXPECT_TRUE(ini.readStrings(QStringLiteral("PRINTSETTINGS"), {QStringLiteral("Borders")}, values));
    EXPECT_EQ(values.front(), QStringLiteral("3"));
}
