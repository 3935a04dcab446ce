// sorvant-export and make-sample-log run as the user runs them: as processes.
#include "logdata/loadlog.h"
#include "output/csvwriter.h"
#include "views/spreadsheetconfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "filelimits.h"
#include "logbytes.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace sorvant;

namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray out, err;
};

Outcome run(const QString &program, const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Outcome r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) {
        p.kill();
        p.waitForFinished();
        r.err = "did not finish normally";
        return r;
    }
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString exporter() { return QStringLiteral(SORVANT_BINARY_DIR "/tools/sorvant-export"); }
QString maker() { return QStringLiteral(SORVANT_BINARY_DIR "/tools/make-sample-log"); }

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What the window's Export command writes after opening `log` at `step` with
// `hidden` columns hidden: the same load and writer, in this process.
QByteArray inProcess(const QString &log, int step, const std::vector<int> &hidden, QChar separator, const QString &out)
{
    DataGridStore grid(kColumnCount);
    configureSpreadsheetStore(grid);
    for (int c : hidden)
        grid.HideColumn(c);
    auto store = std::make_unique<LogStore>();
    GridTableSink sink(grid);
    LoadTargets targets;
    targets.table = &sink;
    if (!LoadLog(log, step, *store, CellTextFormat(separator), targets).ok)
        return "load failed";
    SaveToCSV(grid, out);
    return readAll(out);
}

class ExporterTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QString sampleLog(const char *name, int records, int seed)
    {
        const QString p = path(name);
        const Outcome r = run(maker(), {p, QStringLiteral("--records"), QString::number(records), QStringLiteral("--seed"),
                                    QString::number(seed)});
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        return p;
    }
};

} // namespace

TEST_F(ExporterTest, SameBytesAsTheWindowsExport)
{
    const QString log = sampleLog("day.dat", 7200, 3);
    struct Case {
        int step;
        QString hide;
        std::vector<int> hidden;
    };
    const Case cases[] = {
        {25, QString(), {}},
        {5, QStringLiteral("7,8"), {7, 8}},
        {1, QStringLiteral("0"), {0}},
        {150, QStringLiteral("1,3,5"), {1, 3, 5}},
        {7, QStringLiteral("0,1,2,3,4,5,6,7,8"), {0, 1, 2, 3, 4, 5, 6, 7, 8}}, // the last stays
        {100000, QString(), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "step " << c.step << " hide " << c.hide.toStdString());
        QStringList args{log, QStringLiteral("--step"), QString::number(c.step), QStringLiteral("--csv"), path("cli.csv")};
        if (!c.hide.isEmpty())
            args << QStringLiteral("--hide") << c.hide;
        const Outcome r = run(exporter(), args);
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_TRUE(r.err.isEmpty());
        const QByteArray expected = inProcess(log, c.step, c.hidden, QLatin1Char('.'), path("window.csv"));
        const QByteArray got = readAll(path("cli.csv"));
        EXPECT_EQ(got.count("\r\n"), 1 + (7200 + c.step - 1) / c.step);
        EXPECT_TRUE(got == expected);
    }
    // The default step is 25.
    ASSERT_EQ(run(exporter(), {log, QStringLiteral("--csv"), path("default.csv")}).exitCode, 0);
    EXPECT_EQ(readAll(path("default.csv")).count("\r\n"), 1 + 7200 / 25);
}

TEST_F(ExporterTest, WorkedExample)
{
    const QString log = path("two.dat");
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(logbytes::record(90, 621, 215, 665, 150, 35, 3, 14, 5, 0x7F)
            + logbytes::record(88, 619, 210, 659, 148, 34, 3, 14, 10, 0x7F));
    f.close();
    ASSERT_EQ(run(exporter(), {log, QStringLiteral("--step"), QStringLiteral("1"), QStringLiteral("--csv"), path("a.csv")}).exitCode, 0);
    EXPECT_EQ(readAll(path("a.csv")),
              QByteArray("Record #,Wet Grain Temp,Grain Temp Inside Dryer,Dried Grain Temp,Moisture In,Moisture Out,"
                         "Unload Rate,Time,Bin Number\r\n1,62,90,66,21.5,15,350,14:05,3\r\n2,61,88,65,21,14.8,340,14:10,3\r\n"));
    ASSERT_EQ(run(exporter(), {log, QStringLiteral("--step"), QStringLiteral("1"), QStringLiteral("--hide"),
                               QStringLiteral("7,8"), QStringLiteral("--csv"), path("b.csv")})
                  .exitCode,
              0);
    EXPECT_EQ(readAll(path("b.csv")),
              QByteArray("Record #,Wet Grain Temp,Grain Temp Inside Dryer,Dried Grain Temp,Moisture In,Moisture Out,"
                         "Unload Rate\r\n1,62,90,66,21.5,15,350\r\n2,61,88,65,21,14.8,340\r\n"));
}

TEST_F(ExporterTest, DecimalSeparatorFollowsTheRegionalSettings)
{
    const QString log = sampleLog("day.dat", 3000, 11);
    const QByteArray comma = inProcess(log, 5, {}, QLatin1Char(','), path("comma.csv"));
    const QByteArray point = inProcess(log, 5, {}, QLatin1Char('.'), path("point.csv"));
    ASSERT_TRUE(comma.contains(",\"")); // some moisture has a tenth
    ASSERT_NE(comma, point);
    struct Case {
        const char *what;
        QStringList set; // NAME=value
        bool wantComma;
    };
    const Case cases[] = {
        {"LC_ALL", {QStringLiteral("LC_ALL=de_DE.UTF-8")}, true},
        {"LC_NUMERIC", {QStringLiteral("LC_NUMERIC=de_DE.UTF-8"), QStringLiteral("LANG=en_US.UTF-8")}, true},
        {"LANG", {QStringLiteral("LANG=de_DE.UTF-8")}, true},
        {"LC_ALL over LANG", {QStringLiteral("LC_ALL=en_US.UTF-8"), QStringLiteral("LANG=de_DE.UTF-8")}, false},
        {"C", {QStringLiteral("LC_ALL=C")}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"LC_ALL", "LC_NUMERIC", "LANG", "LANGUAGE", "LC_CTYPE"})
            env.remove(QLatin1String(name));
        for (const QString &kv : c.set)
            env.insert(kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
        const Outcome r = run(exporter(), {log, QStringLiteral("--step"), QStringLiteral("5"), QStringLiteral("--csv"), path("cli.csv")}, env);
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_TRUE(readAll(path("cli.csv")) == (c.wantComma ? comma : point));
    }
}

TEST_F(ExporterTest, ExitCodes)
{
    const QString log = sampleLog("day.dat", 100, 1);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.csv")));
    struct Case {
        const char *what;
        QStringList args;
        int exitCode;
        const char *stderrHas; // nullptr: stderr empty
        const char *stdoutHas;
    };
    const QString out = path("out.csv");
    const Case cases[] = {
        {"help", {QStringLiteral("--help")}, 0, nullptr, "Usage: sorvant-export"},
        {"version", {QStringLiteral("--version")}, 0, nullptr, "sorvant-export " SORVANT_VERSION},
        {"missing log", {path("none.dat"), QStringLiteral("--csv"), out}, 1,
         "File Error: Can't perform one of the following file operations: Open, Seek, Read, Close.", ""},
        {"log is a folder", {dir.path(), QStringLiteral("--csv"), out}, 1, "File Error", ""},
        {"cannot create", {log, QStringLiteral("--csv"), path("folder.csv")}, 1, "Cannot Create file ", ""},
        {"write fails", {log, QStringLiteral("--csv"), QStringLiteral("/dev/full")}, 1, "/dev/full", ""},
        {"no arguments", {}, 2, "Usage:", ""},
        {"no output", {log}, 2, "Usage:", ""},
        {"step 0", {log, QStringLiteral("--step"), QStringLiteral("0"), QStringLiteral("--csv"), out}, 2, "--step", ""},
        {"step -5", {log, QStringLiteral("--step"), QStringLiteral("-5"), QStringLiteral("--csv"), out}, 2, "--step", ""},
        {"step 2.5", {log, QStringLiteral("--step"), QStringLiteral("2.5"), QStringLiteral("--csv"), out}, 2, "--step", ""},
        {"step missing", {log, QStringLiteral("--csv"), out, QStringLiteral("--step")}, 2, "--step", ""},
        {"hide 9", {log, QStringLiteral("--hide"), QStringLiteral("9"), QStringLiteral("--csv"), out}, 2, "--hide", ""},
        {"hide empty part", {log, QStringLiteral("--hide"), QStringLiteral("1,,2"), QStringLiteral("--csv"), out}, 2, "--hide", ""},
        {"hide words", {log, QStringLiteral("--hide"), QStringLiteral("Time"), QStringLiteral("--csv"), out}, 2, "--hide", ""},
        {"unknown option", {log, QStringLiteral("--xlsx"), out}, 2, "unknown option --xlsx", ""},
        {"two logs", {log, log, QStringLiteral("--csv"), out}, 2, "Usage:", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(out);
        const Outcome r = run(exporter(), c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        if (c.stderrHas) {
            EXPECT_TRUE(r.err.contains(c.stderrHas)) << r.err.constData();
        } else {
            EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
        }
        EXPECT_TRUE(r.out.contains(c.stdoutHas)) << r.out.constData();
        if (c.exitCode != 0) {
            EXPECT_FALSE(QFile::exists(out)); // nothing written
        }
    }
}

// Run from cron, ssh or a service, where XDG_RUNTIME_DIR is unset or not the
// user's: stderr carries the tool's own messages only, and a failure still
// says what failed.
TEST_F(ExporterTest, StderrHoldsOnlyTheToolsOwnMessagesWithoutARuntimeFolder)
{
    const QString log = sampleLog("day.dat", 600, 2);
    const QString foreign = path("runtime");
    ASSERT_TRUE(QDir().mkpath(foreign));
    ASSERT_TRUE(QFile::setPermissions(foreign, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                   | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                                   | QFileDevice::ExeOther));
    const QStringList everyOutput{log,
                                  QStringLiteral("--csv"), path("a.csv"),
                                  QStringLiteral("--xls"), path("a.xls"),
                                  QStringLiteral("--pdf"), path("a.pdf"),
                                  QStringLiteral("--chart-pdf"), path("c.pdf"),
                                  QStringLiteral("--chart-png"), path("c.png")};
    for (const char *runtime : {"unset", "mode 0705"}) {
        SCOPED_TRACE(runtime);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (QByteArray(runtime) == "unset")
            env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        else
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), foreign);
        for (const char *platform : {"", "offscreen"}) {
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
            if (*platform)
                env.insert(QStringLiteral("QT_QPA_PLATFORM"), QLatin1String(platform));
            const Outcome ok = run(exporter(), everyOutput, env);
            EXPECT_EQ(ok.exitCode, 0);
            EXPECT_EQ(ok.err.toStdString(), "") << "platform '" << platform << "'";
        }
        const Outcome failed = run(exporter(), {path("none.dat"), QStringLiteral("--chart-png"), path("n.png")}, env);
        EXPECT_EQ(failed.exitCode, 1);
        EXPECT_TRUE(failed.err.startsWith("File Error")) << failed.err.constData();
        EXPECT_FALSE(failed.err.contains("QStandardPaths")) << failed.err.constData();
    }
}

TEST_F(ExporterTest, AnOutputThatIsTheLogOrAnotherOutputIsRefused)
{
    const QString log = sampleLog("run.dat", 500, 2);
    const QByteArray logBytes = readAll(log);
    QDir d(dir.path());
    ASSERT_TRUE(d.mkdir(QStringLiteral("sub")));
    ASSERT_TRUE(QFile::link(log, path("link.dat")));
    ASSERT_EQ(::link(QFile::encodeName(log).constData(), QFile::encodeName(path("hard.dat")).constData()), 0);
    // A link to a file that does not exist yet: writing it creates "new.csv".
    ASSERT_TRUE(QFile::link(path("new.csv"), path("dangling.csv")));
    const QString viaParent = dir.path() + QStringLiteral("/sub/../run.dat");
    const QString spelled = dir.path() + QStringLiteral("//./run.dat");
    const QString csv = QStringLiteral("--csv"), xls = QStringLiteral("--xls"), png = QStringLiteral("--chart-png");
    struct Case {
        const char *what;
        QStringList outputs; // option, file, option, file ...
        const char *stderrHas;
    };
    const Case cases[] = {
        {"csv is the log", {csv, log}, "is the log"},
        {"xls after a good csv", {csv, path("ok.csv"), xls, log}, "is the log"},
        {"png is the log", {png, log}, "is the log"},
        {"other spelling", {csv, spelled}, "is the log"},
        {"through ..", {xls, viaParent}, "is the log"},
        {"symbolic link", {csv, path("link.dat")}, "is the log"},
        {"hard link", {csv, path("hard.dat")}, "is the log"},
        {"two outputs, one name", {csv, path("a.out"), xls, path("a.out")}, "are the same file"},
        {"two outputs, one new file", {csv, path("new.csv"), png, path("dangling.csv")}, "are the same file"},
        {"two outputs, one old file", {csv, path("hard.dat") + QStringLiteral("x"), xls,
                                       dir.path() + QStringLiteral("/sub/../hard.datx")}, "are the same file"},
        {"pdf is the log", {QStringLiteral("--pdf"), path("link.dat")}, "is the log"},
        {"chart pdf is the pdf", {QStringLiteral("--pdf"), path("p.pdf"), QStringLiteral("--chart-pdf"),
                                  dir.path() + QStringLiteral("/./p.pdf")}, "are the same file"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QStringList before = d.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
        const Outcome r = run(exporter(), QStringList{log} + c.outputs);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(c.stderrHas)) << r.err.constData();
        EXPECT_TRUE(readAll(log) == logBytes);
        EXPECT_EQ(d.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name), before);
    }
    // Different files, even of one name in different folders, are written.
    const Outcome ok = run(exporter(), {log, csv, path("t.csv"), xls, path("sub/t.csv")});
    EXPECT_EQ(ok.exitCode, 0) << ok.err.constData();
    EXPECT_TRUE(QFile::exists(path("t.csv")) && QFile::exists(path("sub/t.csv")));
}

TEST_F(ExporterTest, SampleLogsAreDeterministicAndRealistic)
{
    const QString a = sampleLog("a.dat", 720001, 5);
    const QString b = sampleLog("b.dat", 720001, 5);
    const QString c = sampleLog("c.dat", 720001, 6);
    const QByteArray bytes = readAll(a);
    ASSERT_EQ(bytes.size(), 720001 * 16);
    EXPECT_TRUE(bytes == readAll(b));
    EXPECT_FALSE(bytes == readAll(c));

    // Hour and minute advance every 12 seconds from the start time (06:00).
    const auto *u = reinterpret_cast<const unsigned char *>(bytes.constData());
    for (int i : {0, 1, 4, 5, 299, 300, 7199, 7200, 720000}) {
        const long seconds = 6 * 3600L + i * 12L;
        EXPECT_EQ(u[i * 16 + 13], seconds / 3600 % 24) << i;
        EXPECT_EQ(u[i * 16 + 14], seconds / 60 % 60) << i;
    }
    // A drying run: outgoing moisture settles below the incoming, and the
    // grain leaves warmer than it came in.
    auto word = [&](int i, int offset) { return (u[i * 16 + offset] << 8) | u[i * 16 + offset + 1]; };
    long moistIn = 0, moistOut = 0, wet = 0, dried = 0;
    std::set<int> bins;
    for (int i = 7200; i < 720000; i += 97) {
        moistIn += word(i, 4);
        moistOut += word(i, 8);
        wet += static_cast<std::int16_t>(word(i, 2));
        dried += static_cast<std::int16_t>(word(i, 6));
        bins.insert(u[i * 16 + 12]);
    }
    EXPECT_LT(moistOut, moistIn);
    EXPECT_LT(wet, dried);
    EXPECT_GT(bins.size(), 1u);

    EXPECT_EQ(run(maker(), {}).exitCode, 2);
    EXPECT_EQ(run(maker(), {path("x.dat"), QStringLiteral("--records"), QStringLiteral("-1")}).exitCode, 2);
    const Outcome help = run(maker(), {QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("usage:"));
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

namespace {

// Runs `program` with arguments given as bytes, as a shell passes them; QProcess
// would encode them as text. Returns the exit code, -1 when it did not exit.
int runWithByteArguments(const QByteArray &program, const std::vector<QByteArray> &args, const QByteArray &errFile)
{
    std::vector<QByteArray> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (QByteArray &a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(errFile.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0)
            ::dup2(fd, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

TEST_F(ExporterTest, FileNamesThatAreNotUtf8)
{
    // Names from a USB stick written on Windows: Latin-1 bytes, not UTF-8.
    const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    const QByteArray log = folder + "caf\xe9.dat";
    ASSERT_EQ(::rename(QFile::encodeName(sampleLog("day.dat", 300, 5)).constData(), log.constData()), 0);
    const QByteArray csv = folder + "r\xe9sultat.csv", xls = folder + "r\xe9sultat.xls", err = folder + "err.txt";
    const QByteArray pdf = folder + "r\xe9sultat.pdf";
    const int code =
        runWithByteArguments(QFile::encodeName(exporter()), {log, "--csv", csv, "--xls", xls, "--pdf", pdf}, err);
    EXPECT_EQ(code, 0) << readAll(QFile::decodeName(err)).constData();

    // The same export of the same log under a plain name.
    ASSERT_EQ(::link(log.constData(), QFile::encodeName(path("plain.dat")).constData()), 0);
    ASSERT_EQ(run(exporter(), {path("plain.dat"), QStringLiteral("--csv"), path("plain.csv"), QStringLiteral("--xls"),
                               path("plain.xls")})
                  .exitCode,
              0);
    const auto bytesOf = [](const QByteArray &name) {
        QFile f;
        const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            return QByteArray("missing");
        return f.readAll();
    };
    EXPECT_EQ(bytesOf(csv), readAll(path("plain.csv")));
    EXPECT_EQ(readAll(path("plain.csv")).count("\r\n"), 1 + 300 / 25);
    EXPECT_EQ(bytesOf(xls), readAll(path("plain.xls")));
    EXPECT_TRUE(bytesOf(pdf).startsWith("%PDF-"));
    // Nothing else appeared: no name with U+FFFD, no temporary file left.
    // (QDir does not list names that are not UTF-8.)
    std::set<QByteArray> names;
    if (DIR *d = ::opendir(folder.constData())) {
        while (const dirent *e = ::readdir(d))
            names.insert(QByteArray(e->d_name));
        ::closedir(d);
    }
    EXPECT_EQ(names, (std::set<QByteArray>{".", "..", "caf\xe9.dat", "err.txt", "plain.csv", "plain.dat", "plain.xls",
                                           "r\xe9sultat.csv", "r\xe9sultat.pdf", "r\xe9sultat.xls"}));

    // Names that differ only in such a byte are different files; the log
    // itself is still refused as an output.
    EXPECT_EQ(runWithByteArguments(QFile::encodeName(exporter()), {log, "--csv", folder + "caf\xe8.dat"}, err), 0);
    EXPECT_EQ(bytesOf(folder + "caf\xe8.dat"), readAll(path("plain.csv")));
    EXPECT_EQ(runWithByteArguments(QFile::encodeName(exporter()), {log, "--csv", folder + "r\xe9sultat.csv", "--xls",
                                                                   folder + "r\xe8sultat.csv"},
                                   err),
              0);
    EXPECT_EQ(runWithByteArguments(QFile::encodeName(exporter()), {log, "--csv", log}, err), 2);
    EXPECT_TRUE(readAll(QFile::decodeName(err)).contains(" is the log " + log + " itself"));
    EXPECT_EQ(bytesOf(log), readAll(path("plain.dat")));

    // QTemporaryDir cannot see these names to remove them.
    for (const QByteArray &name : names)
        ::unlink(QByteArray(folder + name).constData());
    for (const char *name : {"caf\xe8.dat", "r\xe8sultat.csv"})
        ::unlink(QByteArray(folder + name).constData());
}

TEST_F(ExporterTest, PrintSettingsFileIsAnInputNeverAnOutput)
{
    const QString log = sampleLog("run.dat", 300, 3);
    const QByteArray settings = "[PRINTSETTINGS]\r\nBorders=3\r\n";
    {
        QFile f(path("ps.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(settings);
    }
    ASSERT_TRUE(QFile::link(path("ps.ini"), path("link.ini")));
    const QString pdf = QStringLiteral("--pdf"), ps = QStringLiteral("--print-settings");
    struct Case {
        const char *what;
        QStringList args;
    };
    const Case cases[] = {
        {"same name", {pdf, path("ps.ini"), ps, path("ps.ini")}},
        {"through a link", {pdf, path("link.ini"), ps, path("ps.ini")}},
        {"other spelling", {ps, path("ps.ini"), pdf, dir.path() + QStringLiteral("/./ps.ini")}},
        {"the csv", {QStringLiteral("--csv"), path("ps.ini"), pdf, path("out.pdf"), ps, path("link.ini")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome r = run(exporter(), QStringList{log} + c.args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains("is the print settings file")) << r.err.constData();
        EXPECT_TRUE(readAll(path("ps.ini")) == settings);
        EXPECT_FALSE(QFile::exists(path("out.pdf")));
    }
}

TEST_F(ExporterTest, PrintSettingsFileOverTheSizeLimitIsAnError)
{
    const QString log = sampleLog("run.dat", 300, 3);
    {
        QFile f(path("big.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[PRINTSETTINGS]\nBorders=3\n");
        ASSERT_TRUE(f.resize(64 * 1024 * 1024 + 1));
    }
    const Outcome r = run(exporter(), {log, QStringLiteral("--pdf"), path("out.pdf"), QStringLiteral("--print-settings"),
                                       path("big.ini")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("64 MiB")) << r.err.constData();
    EXPECT_FALSE(QFile::exists(path("out.pdf")));
}

TEST_F(ExporterTest, APdfWrittenInPlaceOntoAFullDiskLeavesTheOldOneWhole)
{
    // An existing PDF in a folder that takes no new file is written in
    // place; the disk fills up (the file size limit) half-way through.
    const QString log = sampleLog("run.dat", 7200, 4);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("shared")));
    const QString target = path("shared/run.pdf");
    const QByteArray old = QByteArray("%PDF-1.4 old printout\n").repeated(2000); // 44 kB
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(old);
    }
    sorvant::filelimits::SealedFolder sealed(path("shared"));
    if (!sealed.sealed())
        GTEST_SKIP() << "no folder here can be made to refuse new files";
    QProcess p;
    p.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("trap '' XFSZ; ulimit -f 100; exec \"$0\" \"$@\""),
                                   exporter(), log, QStringLiteral("--step"), QStringLiteral("5"),
                                   QStringLiteral("--pdf"), target});
    ASSERT_TRUE(p.waitForFinished(120000));
    sealed.unseal();
    EXPECT_EQ(p.exitCode(), 1) << p.readAllStandardError().constData();
    EXPECT_TRUE(readAll(target) == old) << readAll(target).size() << " bytes";
    EXPECT_EQ(QDir(path("shared")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
              QStringList{QStringLiteral("run.pdf")});
}

TEST_F(ExporterTest, AnExportKilledHalfWayLeavesNoTemporaryFile)
{
    // A long printout, killed while its file is open for writing, under a
    // name that is UTF-8 and one that is not.
    const QString log = sampleLog("long.dat", 30000, 6);
    const QByteArray folder = QFile::encodeName(dir.path()) + "/out";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    for (const QByteArray &name : {QByteArray("caf\xe9.pdf"), QByteArray("caf\xc3\xa9.pdf")}) {
        SCOPED_TRACE(name.constData());
        const pid_t pid = ::fork();
        if (pid == 0) {
            const QByteArray program = QFile::encodeName(exporter()), logName = QFile::encodeName(log);
            const QByteArray target = folder + '/' + name, option = "--pdf", step = "--step", one = "1";
            char *argv[] = {const_cast<char *>(program.constData()), const_cast<char *>(logName.constData()),
                            const_cast<char *>(step.constData()), const_cast<char *>(one.constData()),
                            const_cast<char *>(option.constData()), const_cast<char *>(target.constData()), nullptr};
            ::execv(argv[0], argv);
            ::_exit(127);
        }
        ASSERT_GT(pid, 0);
        // Killed as soon as it holds a file in the folder open.
        bool killed = false;
        const QByteArray fds = "/proc/" + QByteArray::number(pid) + "/fd";
        for (int wait = 0; wait < 60000 && !killed; ++wait) {
            if (DIR *d = ::opendir(fds.constData())) {
                while (const dirent *e = ::readdir(d)) {
                    char link[4096];
                    const QByteArray fd = fds + '/' + e->d_name;
                    const ssize_t n = ::readlink(fd.constData(), link, sizeof link);
                    if (n > 0 && QByteArray(link, static_cast<qsizetype>(n)).startsWith(folder + '/')) {
                        ::kill(pid, SIGKILL);
                        killed = true;
                        break;
                    }
                }
                ::closedir(d);
            }
            int status = 0;
            if (!killed && ::waitpid(pid, &status, WNOHANG) == pid)
                break;
            ::usleep(1000);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(killed) << "the export ended before it could be killed";
        std::set<QByteArray> names;
        if (DIR *d = ::opendir(folder.constData())) {
            while (const dirent *e = ::readdir(d))
                names.insert(QByteArray(e->d_name));
            ::closedir(d);
        }
        EXPECT_EQ(names, (std::set<QByteArray>{".", ".."}));
        for (const QByteArray &left : names)
            ::unlink(QByteArray(folder + '/' + left).constData());
    }
}
