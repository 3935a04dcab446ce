// sorvant-export --xls, run as a process on logs made by make-sample-log.

#include "xlsreadback.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

std::string str(const QString &s) { return s.toStdString(); }

QString exporter() { return QStringLiteral(SORVANT_BINARY_DIR "/tools/sorvant-export"); }
QString maker() { return QStringLiteral(SORVANT_BINARY_DIR "/tools/make-sample-log"); }

struct Outcome {
    int exitCode = -1;
    QByteArray err;
};

Outcome run(const QString &program, const QStringList &args, const QString &lcAll = QStringLiteral("C.UTF-8"))
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LC_NUMERIC", "LANG", "LANGUAGE"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("LC_ALL"), lcAll);
    p.setProcessEnvironment(env);
    p.start(program, args);
    Outcome o;
    if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit)
        o.exitCode = p.exitCode();
    o.err = p.readAllStandardError();
    return o;
}

// Fields of one line of our CSV: plain fields and fields in double quotes.
QStringList csvFields(const QString &line)
{
    QStringList fields;
    for (QString f : line.split(QLatin1Char(','))) {
        if (f.size() >= 2 && f.startsWith(QLatin1Char('"')) && f.endsWith(QLatin1Char('"')))
            f = f.mid(1, f.size() - 2);
        fields << f;
    }
    return fields;
}

class XlsExportTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    QString log;

    void SetUp() override
    {
        log = path("day.dat");
        const Outcome made = run(maker(), {log, QStringLiteral("--records"), QStringLiteral("6000"),
                                           QStringLiteral("--seed"), QStringLiteral("7")});
        ASSERT_EQ(made.exitCode, 0) << made.err.constData();
    }
};

// The workbook holds what the CSV export holds, numbers as numbers and times
// as h:mm values.
TEST_F(XlsExportTest, WorkbookHoldsTheCsvExportsCells)
{
    const Outcome r = run(exporter(), {log, QStringLiteral("--step"), QStringLiteral("5"), QStringLiteral("--hide"),
                                       QStringLiteral("2"), QStringLiteral("--xls"), path("day.xls"),
                                       QStringLiteral("--csv"), path("day.csv")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    QFile csv(path("day.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(csv.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_TRUE(lines.last().isEmpty());
    lines.removeLast();

    const auto book = xlsreadback::read(path("day.xls"));
    ASSERT_TRUE(book.ok) << str(book.error);
    EXPECT_TRUE(book.warnings.isEmpty()) << str(book.warnings.join(QLatin1Char('\n')));
    ASSERT_EQ(book.sheets.size(), 1u);
    const auto &sheet = book.sheets[0];
    ASSERT_EQ(sheet.rows, lines.size());
    ASSERT_EQ(sheet.rows, 1201);
    int wrong = 0;
    for (int row = 0; row < sheet.rows; ++row) {
        const QStringList fields = csvFields(lines[row]);
        ASSERT_EQ(fields.size(), 8);
        for (int c = 0; c < 8; ++c) {
            const auto &cell = sheet.cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(c)];
            const QString &f = fields[c];
            bool ok;
            if (cell.type == 's') {
                ok = row == 0 && cell.text == f;
            } else if (cell.type == 'd') {
                const int colon = static_cast<int>(f.indexOf(QLatin1Char(':')));
                ok = colon > 0 && cell.format == QLatin1String("h:mm")
                     && cell.number == (f.left(colon).toInt() * 60 + f.mid(colon + 1).toInt()) / 1440.0;
            } else {
                ok = cell.type == 'n' && row > 0 && cell.number == f.toDouble();
            }
            if (!ok && ++wrong <= 5)
                ADD_FAILURE() << "row " << row << " column " << c << ": " << str(f) << " read as " << cell.type;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(XlsExportTest, CommaLocaleStillGivesNumbers)
{
    ASSERT_EQ(run(exporter(), {log, QStringLiteral("--xls"), path("point.xls")}).exitCode, 0);
    const Outcome r = run(exporter(), {log, QStringLiteral("--xls"), path("comma.xls"), QStringLiteral("--csv"),
                                       path("comma.csv")},
                          QStringLiteral("de_DE.UTF-8"));
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    QFile csv(path("comma.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    ASSERT_TRUE(csv.readAll().contains(",\"")) << "the cells were written with a decimal comma";
    const auto point = xlsreadback::read(path("point.xls"));
    const auto comma = xlsreadback::read(path("comma.xls"));
    ASSERT_TRUE(point.ok && comma.ok);
    ASSERT_EQ(point.sheets.size(), 1u);
    ASSERT_EQ(comma.sheets.size(), 1u);
    ASSERT_EQ(comma.sheets[0].cells.size(), point.sheets[0].cells.size());
    int texts = 0, differ = 0;
    for (std::size_t row = 1; row < point.sheets[0].cells.size(); ++row) {
        for (std::size_t c = 0; c < point.sheets[0].cells[row].size(); ++c) {
            const auto &a = point.sheets[0].cells[row][c];
            const auto &b = comma.sheets[0].cells[row][c];
            texts += a.type == 's' || b.type == 's';
            differ += a.type != b.type || a.number != b.number;
        }
    }
    EXPECT_EQ(texts, 0);
    EXPECT_EQ(differ, 0);
}

TEST_F(XlsExportTest, TogetherWithTheChartImage)
{
    const Outcome r = run(exporter(), {log, QStringLiteral("--chart-png"), path("page.png"), QStringLiteral("--xls"),
                                       path("day.xls")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    QFile png(path("page.png"));
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    EXPECT_TRUE(png.read(8) == QByteArray("\x89PNG\r\n\x1a\n", 8));
    const auto book = xlsreadback::read(path("day.xls"));
    ASSERT_TRUE(book.ok) << str(book.error);
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].rows, 241); // 6,000 records at the default step of 25
}

TEST_F(XlsExportTest, FailureIsReportedAndTheOtherOutputsWritten)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.xls")));
    const Outcome r = run(exporter(), {log, QStringLiteral("--xls"), path("folder.xls"), QStringLiteral("--csv"),
                                       path("day.csv")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("Cannot Create file " + path("folder.xls").toUtf8())) << r.err.constData();
    EXPECT_TRUE(QFile::exists(path("day.csv")));
    const Outcome missing = run(exporter(), {log, QStringLiteral("--xls")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains("--xls")) << missing.err.constData();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
