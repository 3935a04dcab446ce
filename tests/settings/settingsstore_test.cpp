#include "shell/settingsstore.h"

#include "platform/usererror.h"

#include "../platform/filetestutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace sorvant;
using sorvant::testing::readAllBytes;
using sorvant::testing::writeAllBytes;

namespace {

const QByteArray kHead = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Sorvant\\Options]\n";
const QByteArray kDefaults = kHead
                             + "\"FilePath\"=\"\"\n"
                               "\"SampleInterval\"=dword:00000019\n"
                               "\"MRU1\"=\"\"\n\"MRU2\"=\"\"\n\"MRU3\"=\"\"\n\"MRU4\"=\"\"\n\"MRU5\"=\"\"\n";

QStringList five(QStringList list)
{
    while (list.size() < 5)
        list.append(QString());
    return list;
}

class SettingsStoreTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString folder() const { return dir.filePath(QStringLiteral("Sorvant")); }
    QString path() const { return folder() + QStringLiteral("/Sorvant.reg"); }
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(folder())); }

    // Reads through the store; the error text, or "" when none.
    QString read(StoredSettings &s, bool commandLinePathGiven = false)
    {
        try {
            SettingsStore(path()).read(s, commandLinePathGiven);
        } catch (const UserError &e) {
            return e.text();
        }
        return QString();
    }
    QString write(const StoredSettings &s)
    {
        try {
            SettingsStore(path()).write(s);
        } catch (const UserError &e) {
            return e.text();
        }
        return QString();
    }
};

} // namespace

TEST_F(SettingsStoreTest, FirstRunWritesTheDefaultsAtOnce)
{
    StoredSettings s;
    EXPECT_EQ(read(s), QString());
    EXPECT_EQ(readAllBytes(path()), kDefaults);
    EXPECT_EQ(s.lastFolder, QString());
    EXPECT_EQ(s.sampleInterval, 25);
    EXPECT_EQ(s.recentFiles, five({}));

    // The next run only reads.
    StoredSettings again;
    EXPECT_EQ(read(again), QString());
    EXPECT_EQ(again.sampleInterval, 25);
    EXPECT_EQ(readAllBytes(path()), kDefaults);
}

TEST_F(SettingsStoreTest, ReadsEveryValueAndSkipsFilePathForACommandLinePath)
{
    writeAllBytes(path(), kHead
                              + "\"MRU2\"=\"/b.dat\"\n\"SampleInterval\"=dword:0000004b\n\"FilePath\"=\"/logs/\"\n"
                                "\"MRU1\"=\"/a.dat\"\n\"MRU3\"=\"/c.dat\"\n\"MRU4\"=\"/d.dat\"\n\"MRU5\"=\"/e.dat\"\n");
    StoredSettings s;
    s.recentFiles = QStringList{QStringLiteral("left over")};
    EXPECT_EQ(read(s), QString());
    EXPECT_EQ(s.lastFolder, QStringLiteral("/logs/"));
    EXPECT_EQ(s.sampleInterval, 75);
    EXPECT_EQ(s.recentFiles, (QStringList{QStringLiteral("/a.dat"), QStringLiteral("/b.dat"), QStringLiteral("/c.dat"),
                                          QStringLiteral("/d.dat"), QStringLiteral("/e.dat")}));

    StoredSettings fromCommandLine;
    fromCommandLine.lastFolder = QStringLiteral("/cmd/");
    EXPECT_EQ(read(fromCommandLine, true), QString());
    EXPECT_EQ(fromCommandLine.lastFolder, QStringLiteral("/cmd/"));
    EXPECT_EQ(fromCommandLine.sampleInterval, 75);
}

TEST_F(SettingsStoreTest, KeyLackingMru3ReadsItEmptyAndTheCloseWritesAllFive)
{
    writeAllBytes(path(), kHead
                              + "\"FilePath\"=\"/logs/\"\n\"SampleInterval\"=dword:0000000f\n"
                                "\"MRU1\"=\"/a.dat\"\n\"MRU2\"=\"/b.dat\"\n\"MRU4\"=\"/d.dat\"\n\"MRU5\"=\"\"\n");
    StoredSettings s;
    EXPECT_EQ(read(s), QString());
    EXPECT_EQ(s.sampleInterval, 15);
    EXPECT_EQ(s.recentFiles, (QStringList{QStringLiteral("/a.dat"), QStringLiteral("/b.dat"), QString(),
                                          QStringLiteral("/d.dat"), QString()}));
    EXPECT_EQ(write(s), QString());
    EXPECT_EQ(readAllBytes(path()), kHead
                                        + "\"FilePath\"=\"/logs/\"\n\"SampleInterval\"=dword:0000000f\n"
                                          "\"MRU1\"=\"/a.dat\"\n\"MRU2\"=\"/b.dat\"\n\"MRU4\"=\"/d.dat\"\n"
                                          "\"MRU5\"=\"\"\n\"MRU3\"=\"\"\n");
}

TEST_F(SettingsStoreTest, FaultyValueStopsTheReadingAfterWhatWasRead)
{
    struct Case {
        const char *name;
        QByteArray values;
        bool commandLine;
        QString error;
        QString lastFolder;
        int sampleInterval;
        QStringList recent;
    };
    const QByteArray mru = "\"MRU1\"=\"/a\"\n\"MRU2\"=\"/b\"\n\"MRU3\"=\"/c\"\n\"MRU4\"=\"/d\"\n\"MRU5\"=\"/e\"\n";
    const QString lf = QStringLiteral("/logs/");
    // A step that was not read is the first-run default.
    const Case cases[] = {
        {"SampleInterval missing", "\"FilePath\"=\"/logs/\"\n" + mru, false,
         QStringLiteral("Failed to get data for 'SampleInterval'"), lf, 25, five({})},
        {"SampleInterval of five bytes", "\"FilePath\"=\"/logs/\"\n\"SampleInterval\"=hex:19,00,00,00,00\n" + mru, false,
         QStringLiteral("Failed to get data for 'SampleInterval'"), lf, 25, five({})},
        {"SampleInterval as a long text", "\"FilePath\"=\"/logs/\"\n\"SampleInterval\"=\"0025\"\n" + mru, false,
         QStringLiteral("Failed to get data for 'SampleInterval'"), lf, 25, five({})},
        {"SampleInterval as a short text", "\"FilePath\"=\"/logs/\"\n\"SampleInterval\"=\"25\"\n" + mru, false,
         QStringLiteral("Invalid data type for 'SampleInterval'"), lf, 25, five({})},
        {"SampleInterval as four binary bytes", "\"FilePath\"=\"/logs/\"\n\"SampleInterval\"=hex:19,00,00,00\n" + mru,
         false, QStringLiteral("Invalid data type for 'SampleInterval'"), lf, 25, five({})},
        {"SampleInterval with a broken line", "\"FilePath\"=\"/logs/\"\n\"SampleInterval\"=dword:1234567890\n" + mru,
         false, QStringLiteral("Failed to get data for 'SampleInterval'"), lf, 25, five({})},
        {"FilePath as binary", "\"FilePath\"=hex:2f,00\n\"SampleInterval\"=dword:00000019\n" + mru, false,
         QStringLiteral("Invalid data type for 'FilePath'"), QString(), 25, five({})},
        {"FilePath as binary, not read for a command-line path",
         "\"FilePath\"=hex:2f,00\n\"SampleInterval\"=dword:00000019\n" + mru, true, QString(), QString(), 25,
         {QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c"), QStringLiteral("/d"), QStringLiteral("/e")}},
        {"MRU3 as a dword",
         "\"FilePath\"=\"/logs/\"\n\"SampleInterval\"=dword:00000005\n\"MRU1\"=\"/a\"\n\"MRU2\"=\"/b\"\n"
         "\"MRU3\"=dword:00000001\n\"MRU4\"=\"/d\"\n",
         false, QStringLiteral("Invalid data type for 'MRU3'"), lf, 5,
         five({QStringLiteral("/a"), QStringLiteral("/b")})},
        {"empty binary and expandable strings are strings",
         "\"FilePath\"=hex(2):2f,00,6c,00,2f,00,00,00\n\"SampleInterval\"=dword:00000001\n\"MRU1\"=hex:\n", false,
         QString(), QStringLiteral("/l/"), 1, five({})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeAllBytes(path(), kHead + c.values);
        StoredSettings s;
        EXPECT_EQ(read(s, c.commandLine), c.error);
        EXPECT_EQ(s.lastFolder, c.lastFolder);
        EXPECT_EQ(s.sampleInterval, c.sampleInterval);
        EXPECT_EQ(s.recentFiles, c.recent);
        EXPECT_EQ(readAllBytes(path()), kHead + c.values) << "reading never writes to an existing key";
    }
}

TEST_F(SettingsStoreTest, ValuesThatWereNotReadAreNotOverwrittenAtClose)
{
    const QByteArray mru = "\"MRU1\"=\"/a\"\n\"MRU2\"=\"/b\"\n\"MRU3\"=\"/c\"\n\"MRU4\"=\"/d\"\n\"MRU5\"=\"/e\"\n";
    struct Case {
        const char *name;
        QByteArray before;
        QByteArray after; // after a read and an unchanged write
        bool lastFolderKnown;
        int recentKnown;
    };
    const Case cases[] = {
        {"faulty SampleInterval", kHead + "\"FilePath\"=\"/logs/\"\n\"SampleInterval\"=\"25\"\n" + mru,
         kHead + "\"FilePath\"=\"/logs/\"\n\"SampleInterval\"=dword:00000019\n" + mru, true, 0},
        {"faulty FilePath", kHead + "\"FilePath\"=hex:2f,00\n\"SampleInterval\"=dword:00000005\n" + mru,
         kHead + "\"FilePath\"=hex:2f,00\n\"SampleInterval\"=dword:00000019\n" + mru, false, 0},
        {"faulty MRU2",
         kHead + "\"FilePath\"=\"/logs/\"\n\"SampleInterval\"=dword:0000000f\n\"MRU1\"=\"/a\"\n\"MRU2\"=dword:1\n"
                 "\"MRU3\"=\"/c\"\n\"MRU4\"=\"/d\"\n",
         kHead + "\"FilePath\"=\"/logs/\"\n\"SampleInterval\"=dword:0000000f\n\"MRU1\"=\"/a\"\n\"MRU2\"=dword:1\n"
                 "\"MRU3\"=\"/c\"\n\"MRU4\"=\"/d\"\n",
         true, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeAllBytes(path(), c.before);
        StoredSettings s;
        EXPECT_FALSE(read(s).isEmpty());
        EXPECT_EQ(s.lastFolderKnown, c.lastFolderKnown);
        EXPECT_EQ(s.recentKnown, c.recentKnown);
        EXPECT_EQ(write(s), QString());
        EXPECT_EQ(readAllBytes(path()), c.after);
    }
    // A folder chosen in this run is written over a FilePath that was not read.
    writeAllBytes(path(), kHead + "\"FilePath\"=hex:2f,00\n" + mru);
    StoredSettings s;
    read(s);
    s.lastFolder = QStringLiteral("/new/");
    s.recentKnown = 2;
    s.recentFiles[0] = QStringLiteral("/n");
    EXPECT_EQ(write(s), QString());
    EXPECT_EQ(readAllBytes(path()),
              kHead + "\"FilePath\"=\"/new/\"\n\"MRU1\"=\"/n\"\n\"MRU2\"=\"\"\n\"MRU3\"=\"/c\"\n\"MRU4\"=\"/d\"\n"
                      "\"MRU5\"=\"/e\"\n\"SampleInterval\"=dword:00000019\n");
}

TEST_F(SettingsStoreTest, WriteStoresEveryValueInOrderAndKeepsTheRest)
{
    const QByteArray other = "[HKEY_CURRENT_USER\\Software\\Other]\n\"FilePath\"=\"theirs\"\n";
    writeAllBytes(path(), "Windows Registry Editor Version 5.00\n\n" + other);
    StoredSettings s;
    s.lastFolder = QStringLiteral("/home/jürgen/Trockner \"Süd\"\\2026/");
    s.sampleInterval = 150;
    s.recentFiles = QStringList{QStringLiteral("/home/jürgen/Trockner \"Süd\"\\2026/bin 3.dat"),
                                QStringLiteral("C:\\logs\\dryer3.dat")};
    EXPECT_EQ(write(s), QString());
    EXPECT_EQ(readAllBytes(path()),
              "Windows Registry Editor Version 5.00\n\n" + other + "\n" + kHead.mid(38)
                  + "\"FilePath\"=\"/home/j\xC3\xBCrgen/Trockner \\\"S\xC3\xBC\x64\\\"\\\\2026/\"\n"
                    "\"SampleInterval\"=dword:00000096\n"
                    "\"MRU1\"=\"/home/j\xC3\xBCrgen/Trockner \\\"S\xC3\xBC\x64\\\"\\\\2026/bin 3.dat\"\n"
                    "\"MRU2\"=\"C:\\\\logs\\\\dryer3.dat\"\n"
                    "\"MRU3\"=\"\"\n\"MRU4\"=\"\"\n\"MRU5\"=\"\"\n");

    StoredSettings back;
    EXPECT_EQ(read(back), QString());
    EXPECT_EQ(back.lastFolder, s.lastFolder);
    EXPECT_EQ(back.sampleInterval, 150);
    EXPECT_EQ(back.recentFiles, five(s.recentFiles));
}

TEST_F(SettingsStoreTest, SettingsThatCannotBeStored)
{
    // The settings folder is blocked by a file, so no key can be made. A
    // first run says so; the close then writes nothing and says nothing.
    ASSERT_TRUE(QDir(folder()).removeRecursively());
    ASSERT_TRUE(writeAllBytes(folder(), "not a folder"));
    StoredSettings s;
    EXPECT_EQ(read(s), QStringLiteral("Failed to set data for 'FilePath'"));
    EXPECT_EQ(s.sampleInterval, 25);
    EXPECT_EQ(s.recentFiles, five({}));
    EXPECT_EQ(s.recentKnown, 0);
    s.lastFolder = QStringLiteral("/logs/");
    EXPECT_EQ(write(s), QString());
    EXPECT_EQ(readAllBytes(folder()), "not a folder");
}

TEST_F(SettingsStoreTest, ReadOnlyFolderFailsToSetData)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write to a read-only folder";
    // A writable file in a read-only folder would be written in place; this
    // one is read-only too.
    writeAllBytes(path(), kDefaults);
    ASSERT_TRUE(QFile::setPermissions(path(), QFileDevice::ReadOwner));
    ASSERT_TRUE(QFile::setPermissions(folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    StoredSettings s;
    s.lastFolder = QStringLiteral("/logs/");
    const QString error = write(s);
    QFile::setPermissions(folder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(error, QStringLiteral("Failed to set data for 'FilePath'"));
    EXPECT_EQ(readAllBytes(path()), kDefaults);

    // A first run in a folder nobody may write to.
    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_TRUE(QFile::setPermissions(folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    StoredSettings first;
    const QString readError = read(first);
    QFile::setPermissions(folder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(readError, QStringLiteral("Failed to set data for 'FilePath'"));
    EXPECT_EQ(first.recentFiles, five({}));
}

TEST_F(SettingsStoreTest, FailedWriteStopsAtThatValue)
{
    writeAllBytes(path(), kDefaults);
    StoredSettings s;
    s.lastFolder = QStringLiteral("/logs/");
    s.sampleInterval = 75;
    s.recentFiles = five({QString(400, QLatin1Char('a')), QStringLiteral("/b.dat")});

    // Room for the short values but not for the long recent entry; the limit
    // holds for root too.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 400;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString error = write(s);
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, previous);

    EXPECT_EQ(error, QStringLiteral("Failed to set data for 'MRU1'"));
    EXPECT_EQ(readAllBytes(path()), kHead
                                        + "\"FilePath\"=\"/logs/\"\n"
                                          "\"SampleInterval\"=dword:0000004b\n"
                                          "\"MRU1\"=\"\"\n\"MRU2\"=\"\"\n\"MRU3\"=\"\"\n\"MRU4\"=\"\"\n\"MRU5\"=\"\"\n");
}

TEST(SettingsStoreDefaults, FileLivesInTheConfigFolder)
{
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    ASSERT_FALSE(config.isEmpty()) << "run through run-isolated.sh";
    EXPECT_EQ(SettingsStore().filePath(), QString::fromUtf8(config) + QStringLiteral("/Sorvant/Sorvant.reg"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsStore().filePath(), QDir::homePath() + QStringLiteral("/.config/Sorvant/Sorvant.reg"));
    qputenv("XDG_CONFIG_HOME", config);
}
