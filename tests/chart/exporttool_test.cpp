// sorvant-export --chart-png as a process: the options, the image and the errors.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const QString kTools = QStringLiteral(SORVANT_BINARY_DIR "/tools/");

struct ToolRun {
    int code = -1;
    QString errors;
};

ToolRun run(const QString &program, const QStringList &args, bool withPlatform = true)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!withPlatform)
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    p.setProcessEnvironment(env);
    p.start(kTools + program, args);
    EXPECT_TRUE(p.waitForFinished(120000)) << program.toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAllStandardError())};
}

struct SampleLog {
    QTemporaryDir dir;
    QString log = dir.filePath(QStringLiteral("run.dat"));
    SampleLog()
    {
        // 3000 records at step 25: 120 rows, ten pages.
        EXPECT_EQ(run(QStringLiteral("make-sample-log"), {log, QStringLiteral("--records"), QStringLiteral("3000")}).code, 0);
    }
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
};

} // namespace

TEST(ExportChartPng, WritesThePageWithTheCsvInOneRunWithoutADisplay)
{
    SampleLog s;
    const ToolRun r = run(QStringLiteral("sorvant-export"),
                      {s.log, QStringLiteral("--chart-png"), s.path("page.png"), QStringLiteral("--page"),
                       QStringLiteral("10"), QStringLiteral("--size"), QStringLiteral("800x500"),
                       QStringLiteral("--3d"), QStringLiteral("--markers"), QStringLiteral("--hide-series"),
                       QStringLiteral("6,1"), QStringLiteral("--csv"), s.path("table.csv")},
                      false);
    EXPECT_EQ(r.code, 0) << r.errors.toStdString();
    EXPECT_EQ(QImage(s.path("page.png")).size(), QSize(800, 500));
    EXPECT_TRUE(QFile::exists(s.path("table.csv")));

    const ToolRun plain = run(QStringLiteral("sorvant-export"), {s.log, QStringLiteral("--chart-png"), s.path("default.png")});
    EXPECT_EQ(plain.code, 0) << plain.errors.toStdString();
    EXPECT_EQ(QImage(s.path("default.png")).size(), QSize(1200, 800));
}

TEST(ExportChartPng, APageTheLogDoesNotHaveIsRefusedWithoutAFile)
{
    SampleLog s;
    const ToolRun r = run(QStringLiteral("sorvant-export"),
                      {s.log, QStringLiteral("--chart-png"), s.path("none.png"), QStringLiteral("--page"), QStringLiteral("11")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.errors.contains(QStringLiteral("The chart has no page 11: it has 10 pages"))) << r.errors.toStdString();
    EXPECT_FALSE(QFile::exists(s.path("none.png")));
}

TEST(ExportChartPng, BadChartOptionsAreRefused)
{
    SampleLog s;
    const QStringList bad[] = {
        {QStringLiteral("--size"), QStringLiteral("0x500")},   {QStringLiteral("--size"), QStringLiteral("800")},
        {QStringLiteral("--size"), QStringLiteral("axb")},     {QStringLiteral("--page"), QStringLiteral("0")},
        {QStringLiteral("--hide-series"), QStringLiteral("7")}, {QStringLiteral("--hide-series"), QStringLiteral("")},
        {QStringLiteral("--chart-png")},
        // Too large to draw in a sensible time and memory.
        {QStringLiteral("--size"), QStringLiteral("20000x20000")}, {QStringLiteral("--size"), QStringLiteral("16385x10")},
        {QStringLiteral("--size"), QStringLiteral("16384x4097")}, {QStringLiteral("--size"), QStringLiteral("99999999999x1")},
    };
    for (const QStringList &extra : bad) {
        QStringList args{s.log, QStringLiteral("--chart-png"), s.path("x.png")};
        args += extra;
        const ToolRun r = run(QStringLiteral("sorvant-export"), args);
        EXPECT_EQ(r.code, 2) << extra.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(r.errors.isEmpty());
        EXPECT_FALSE(QFile::exists(s.path("x.png")));
    }
    // The largest sizes that fit are drawn.
    const ToolRun wide = run(QStringLiteral("sorvant-export"), {s.log, QStringLiteral("--chart-png"), s.path("wide.png"),
                                                                QStringLiteral("--size"), QStringLiteral("16384x40")});
    EXPECT_EQ(wide.code, 0) << wide.errors.toStdString();
    EXPECT_EQ(QImage(s.path("wide.png")).size(), QSize(16384, 40));
    const ToolRun huge = run(QStringLiteral("sorvant-export"), {s.log, QStringLiteral("--chart-png"), s.path("x.png"),
                                                                QStringLiteral("--size"), QStringLiteral("20000x20000")});
    EXPECT_TRUE(huge.errors.contains(QStringLiteral("too large"))) << huge.errors.toStdString();
}
