// sorvant-export and make-sample-log run as the user runs them: as processes.
#include "logdata/loadlog.h"
#include "output/csvwriter.h"
#include "views/spreadsheetconfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "filelimits.h"
#include "logbytes.h"
#include "pdfwords.h"

#include <gtest/gtest.h>

#include <map>
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

// ---- many logs in one call ------------------------------------------------

namespace {

// The words and their boxes on every page, which is what a reader sees of
// a PDF; the file's own bytes carry its creation time.
QString pdfWordsOf(const QString &pdf)
{
    QString all;
    for (const pdfwords::Page &page : pdfwords::read(pdf)) {
        all += QStringLiteral("page %1x%2\n").arg(page.width).arg(page.height);
        for (const pdfwords::Word &w : page.words)
            all += QStringLiteral("%1 %2 %3 %4 %5\n").arg(w.text).arg(w.xMin).arg(w.yMin).arg(w.xMax).arg(w.yMax);
    }
    return all;
}

// The files of a folder (not below it) and their bytes.
std::map<QString, QByteArray> filesIn(const QString &folder)
{
    std::map<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name))
        files[name] = readAll(folder + QLatin1Char('/') + name);
    return files;
}

} // namespace

TEST_F(ExporterTest, BatchWritesWhatSingleRunsWriteOnAnyNumberOfThreads)
{
    ASSERT_TRUE(pdfwords::available());
    QDir d(dir.path());
    ASSERT_TRUE(d.mkpath(QStringLiteral("logs/sub")));
    // Different lengths and seeds, one of them below the folder, one given
    // as a file, one in upper case as a Windows program names it.
    sampleLog("logs/a.dat", 3000, 1);
    sampleLog("logs/b.DAT", 1, 2);
    sampleLog("logs/sub/c.dat", 4100, 3);
    sampleLog("d.dat", 700, 4);
    ASSERT_TRUE(QFile(path("logs/notes.txt")).open(QIODevice::WriteOnly)); // not a log
    const QStringList shape{QStringLiteral("--step"), QStringLiteral("15"), QStringLiteral("--hide"), QStringLiteral("2")};
    for (const char *threads : {"1", "4"}) {
        SCOPED_TRACE(threads);
        const QString out = path("out") + QLatin1String(threads);
        const Outcome r = run(exporter(), QStringList{path("logs"), path("d.dat"), QStringLiteral("--recursive"),
                                                      QStringLiteral("--out-dir"), out, QStringLiteral("-j"),
                                                      QLatin1String(threads), QStringLiteral("--csv"),
                                                      QStringLiteral("--xls"), QStringLiteral("--pdf")} + shape);
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_TRUE(r.err.endsWith("sorvant-export: 4 done, 0 failed\n")) << r.err.constData();
        EXPECT_TRUE(r.err.contains("[4/4] ")) << r.err.constData(); // a plain line per log, not a bar
    }
    const auto one = filesIn(path("out1")), four = filesIn(path("out4"));
    std::vector<QString> names;
    for (const auto &file : one)
        names.push_back(file.first);
    EXPECT_EQ(names, (std::vector<QString>{QStringLiteral("a.csv"), QStringLiteral("a.pdf"), QStringLiteral("a.xls"),
                                           QStringLiteral("b.csv"), QStringLiteral("b.pdf"), QStringLiteral("b.xls"),
                                           QStringLiteral("c.csv"), QStringLiteral("c.pdf"), QStringLiteral("c.xls"),
                                           QStringLiteral("d.csv"), QStringLiteral("d.pdf"), QStringLiteral("d.xls")}));
    ASSERT_EQ(one.size(), four.size());
    for (const char *log : {"logs/a.dat", "logs/b.DAT", "logs/sub/c.dat", "d.dat"}) {
        const QString name = QFileInfo(QLatin1String(log)).completeBaseName();
        SCOPED_TRACE(log);
        const QString single = path("single");
        const Outcome r = run(exporter(), QStringList{path(log), QStringLiteral("--csv"), single + QStringLiteral(".csv"),
                                                      QStringLiteral("--xls"), single + QStringLiteral(".xls"),
                                                      QStringLiteral("--pdf"), single + QStringLiteral(".pdf")} + shape);
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        for (const char *ext : {".csv", ".xls"}) {
            const QByteArray expected = readAll(single + QLatin1String(ext));
            ASSERT_FALSE(expected.isEmpty());
            EXPECT_EQ(one.at(name + QLatin1String(ext)), expected) << ext;
            EXPECT_EQ(four.at(name + QLatin1String(ext)), expected) << ext;
        }
        const QString words = pdfWordsOf(single + QStringLiteral(".pdf"));
        EXPECT_TRUE(words.contains(QStringLiteral("Record")));
        EXPECT_EQ(pdfWordsOf(path("out1/") + name + QStringLiteral(".pdf")), words);
        EXPECT_EQ(pdfWordsOf(path("out4/") + name + QStringLiteral(".pdf")), words);
    }
}

// Lines of a poppler tool's report on `pdf`.
QStringList popplerReport(const QString &tool, const QString &pdf)
{
    QProcess p;
    p.start(tool, {pdf});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

TEST_F(ExporterTest, APrintoutDrawnOnSeveralThreadsReadsAsTheOneDrawnAsOneDocument)
{
    ASSERT_TRUE(pdfwords::available());
    // About a hundred pages: parts of 48 pages on two threads.
    const QString log = sampleLog("long.dat", 40000, 9);
    QString words;
    QStringList info;
    std::vector<int> fontLines;
    for (const char *threads : {"1", "2"}) {
        SCOPED_TRACE(threads);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SORVANT_EXPORT_PDF_THREADS"), QLatin1String(threads));
        const QString pdf = path("long") + QLatin1String(threads) + QStringLiteral(".pdf");
        const Outcome r = run(exporter(), {log, QStringLiteral("--step"), QStringLiteral("5"), QStringLiteral("--pdf"), pdf,
                                           QStringLiteral("--paper"), QStringLiteral("A4")}, env);
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        const QString w = pdfWordsOf(pdf);
        QStringList i;
        for (const QString &line : popplerReport(QStringLiteral("pdfinfo"), pdf)) {
            if (line.startsWith(QLatin1String("Title:")) || line.startsWith(QLatin1String("Creator:"))
                || line.startsWith(QLatin1String("Pages:")) || line.startsWith(QLatin1String("Page size:")))
                i << line.simplified();
        }
        fontLines.push_back(static_cast<int>(popplerReport(QStringLiteral("pdffonts"), pdf).size()));
        if (words.isEmpty()) {
            words = w;
            info = i;
            const qsizetype pages = info.indexOf(QRegularExpression(QStringLiteral("^Pages: 1[0-9][0-9]$")));
            EXPECT_GE(pages, 0) << "more pages than two parts hold: " << info.join(QLatin1Char('|')).toStdString();
            EXPECT_TRUE(words.contains(QStringLiteral("Record")));
            continue;
        }
        EXPECT_EQ(i, info);
        EXPECT_TRUE(w == words) << "the pages differ in their words or where they stand";
    }
    // Each part brings its own copy of the fonts: proof that parts were joined.
    EXPECT_GT(fontLines[1], fontLines[0]);
}

TEST_F(ExporterTest, BatchGoesOnPastALogThatFails)
{
    QDir d(dir.path());
    ASSERT_TRUE(d.mkpath(QStringLiteral("out/c.csv"))); // a folder where c's CSV would go
    ASSERT_TRUE(d.mkpath(QStringLiteral("empty")));
    const QString a = sampleLog("a.dat", 200, 1), b = sampleLog("b.dat", 300, 2), c = sampleLog("c.dat", 400, 3);
    const Outcome r = run(exporter(), {a, path("missing.dat"), c, path("empty"), b, QStringLiteral("--out-dir"),
                                       path("out"), QStringLiteral("--csv"), QStringLiteral("--xls")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("failed: " + path("missing.dat").toUtf8() + ": File Error: Can't perform one of the "
                               "following file operations: Open, Seek, Read, Close."))
        << r.err.constData();
    EXPECT_TRUE(r.err.contains("failed: " + c.toUtf8() + ": Cannot Create file " + path("out/c.csv").toUtf8()))
        << r.err.constData();
    EXPECT_TRUE(r.err.contains("failed: " + path("empty").toUtf8() + " holds no .dat log")) << r.err.constData();
    EXPECT_TRUE(r.err.endsWith("sorvant-export: 2 done, 3 failed\n")) << r.err.constData();
    // The good logs are written whole, and c's workbook as well: each output
    // of a log is attempted, as in a single run.
    for (const char *name : {"out/a.csv", "out/a.xls", "out/b.csv", "out/b.xls", "out/c.xls"})
        EXPECT_TRUE(QFileInfo(path(name)).isFile()) << name;
    EXPECT_EQ(readAll(path("out/b.csv")).count("\r\n"), 1 + 300 / 25);

    // --quiet: the failures alone, then the count.
    const Outcome quiet = run(exporter(), {a, path("missing.dat"), QStringLiteral("--out-dir"), path("out"),
                                           QStringLiteral("--csv"), QStringLiteral("--quiet")});
    EXPECT_EQ(quiet.exitCode, 1);
    EXPECT_EQ(quiet.err.count('\n'), 2) << quiet.err.constData();
    const Outcome fine = run(exporter(), {a, QStringLiteral("--out-dir"), path("out"), QStringLiteral("--csv"),
                                          QStringLiteral("--quiet")});
    EXPECT_EQ(fine.exitCode, 0);
    EXPECT_TRUE(fine.err.isEmpty()) << fine.err.constData();
}

TEST_F(ExporterTest, BatchKeepsCollidingNamesApart)
{
    QDir d(dir.path());
    ASSERT_TRUE(d.mkpath(QStringLiteral("season/north")) && d.mkpath(QStringLiteral("season/south")));
    // Two a.dat, an A.dat that a FAT stick would take for the same name,
    // and a log that really is called a-2.
    const QString north = sampleLog("season/north/a.dat", 500, 1);
    const QString south = sampleLog("season/south/a.dat", 600, 2);
    const QString upper = sampleLog("season/south/A.dat", 700, 3);
    const QString a2 = sampleLog("season/a-2.dat", 800, 4);
    const Outcome r = run(exporter(), {path("season"), QStringLiteral("--recursive"), QStringLiteral("--out-dir"),
                                       path("out"), QStringLiteral("--csv")});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    // Files of a folder come before its subfolders, each in name order.
    const std::pair<QString, QString> expected[] = {{a2, QStringLiteral("a-2.csv")},
                                                    {north, QStringLiteral("a.csv")},
                                                    {upper, QStringLiteral("A-3.csv")},
                                                    {south, QStringLiteral("a-4.csv")}};
    EXPECT_EQ(filesIn(path("out")).size(), 4u);
    for (const auto &[log, name] : expected) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_EQ(run(exporter(), {log, QStringLiteral("--csv"), path("single.csv")}).exitCode, 0);
        EXPECT_EQ(readAll(path("out/") + name), readAll(path("single.csv")));
    }
    EXPECT_TRUE(r.err.contains(south.toUtf8() + " is written as a-4")) << r.err.constData();

    // One log named twice, as a file and through its folder, is written once.
    const Outcome twice = run(exporter(), {path("season/north"), north, QStringLiteral("--out-dir"), path("out2"),
                                           QStringLiteral("--csv")});
    EXPECT_EQ(twice.exitCode, 0) << twice.err.constData();
    EXPECT_EQ(filesIn(path("out2")).size(), 1u);
}

TEST_F(ExporterTest, BatchNeverOverwritesALog)
{
    // The logs' own folder as the output folder, where one log is named
    // b.csv: b.dat's CSV would be that log.
    const QString a = sampleLog("a.dat", 200, 1);
    const QString b = sampleLog("b.dat", 300, 2);
    const QString bCsv = sampleLog("b.csv", 400, 3);
    ASSERT_TRUE(QFile::link(dir.path(), path("again")));
    const QByteArray logBytes = readAll(bCsv);
    for (const QString &outDir : {dir.path(), path("again"), dir.path() + QStringLiteral("/./")}) {
        SCOPED_TRACE(outDir.toStdString());
        QFile::remove(path("a.csv"));
        const Outcome r = run(exporter(), {dir.path(), bCsv, QStringLiteral("--out-dir"), outDir, QStringLiteral("--csv"),
                                           QStringLiteral("-j"), QStringLiteral("2")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(" would overwrite a log; nothing was written for it")) << r.err.constData();
        EXPECT_EQ(readAll(bCsv), logBytes);
        EXPECT_TRUE(QFile::exists(path("a.csv"))); // the others are written
        EXPECT_TRUE(r.err.endsWith("2 done, 1 failed\n")) << r.err.constData();
    }
    (void)a;
    (void)b;
}

TEST_F(ExporterTest, BatchArguments)
{
    const QString log = sampleLog("a.dat", 100, 1);
    struct Case {
        const char *what;
        QStringList args;
        const char *stderrHas;
    };
    const QString outDir = QStringLiteral("--out-dir");
    const Case cases[] = {
        {"no output kind", {log, outDir, path("out")}, "nothing to write"},
        {"no log", {outDir, path("out"), QStringLiteral("--csv")}, "no log file or folder"},
        {"no folder", {log, QStringLiteral("--csv"), outDir}, "--out-dir takes a folder"},
        {"jobs 0", {log, outDir, path("out"), QStringLiteral("--csv"), QStringLiteral("-j"), QStringLiteral("0")}, "-j takes"},
        {"jobs word", {log, outDir, path("out"), QStringLiteral("--csv"), QStringLiteral("--jobs"), QStringLiteral("all")}, "--jobs takes"},
        {"jobs attached 0", {log, outDir, path("out"), QStringLiteral("--csv"), QStringLiteral("-j0")}, "-j takes"},
        {"jobs attached word", {log, outDir, path("out"), QStringLiteral("--csv"), QStringLiteral("-jall")}, "unknown option -jall"},
        {"recursive alone", {log, QStringLiteral("--csv"), path("x.csv"), QStringLiteral("--recursive")}, "give --out-dir"},
        {"two logs alone", {log, log, QStringLiteral("--csv"), path("x.csv")}, "without --out-dir"},
        {"settings without pdf", {log, outDir, path("out"), QStringLiteral("--csv"), QStringLiteral("--print-settings"),
                                  path("p.ini")}, "give --pdf too"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome r = run(exporter(), c.args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(c.stderrHas)) << r.err.constData();
        EXPECT_FALSE(QFileInfo::exists(path("out")));
    }
    // -j4 as make takes it.
    const Outcome attached = run(exporter(), {log, outDir, path("out"), QStringLiteral("--csv"), QStringLiteral("-j3")});
    EXPECT_EQ(attached.exitCode, 0) << attached.err.constData();
    EXPECT_TRUE(QFileInfo(path("out/a.csv")).isFile());
    ASSERT_TRUE(QDir(path("out")).removeRecursively());

    const Outcome help = run(exporter(), {QStringLiteral("--help")});
    EXPECT_TRUE(help.out.contains("--out-dir DIR")) << help.out.constData();

    // An output folder that cannot be made: a file stands in its way.
    ASSERT_TRUE(QFile(path("file")).open(QIODevice::WriteOnly));
    const Outcome blocked = run(exporter(), {log, outDir, path("file/out"), QStringLiteral("--csv")});
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_TRUE(blocked.err.contains("cannot make the output folder " + path("file/out").toUtf8())) << blocked.err.constData();
}
