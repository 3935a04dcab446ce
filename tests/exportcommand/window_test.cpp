// The Export command as the user reaches it: the main window's toolbar button
// and File menu item, with every dialog scripted.

#include "../shell/shellfixture.h"
#include "controls/grid/datagrid.h"
#include "platform/filenames.h"
#include "shell/sorvantapplication.h"
#include "views/spreadsheetview.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QLocale>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <thread>

namespace {

using namespace sorvant;
using sorvant::testing::ShellTest;

class ExportFromWindowTest : public ShellTest
{
protected:
    QByteArray read(const QString &name)
    {
        QFile f(temp.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void answerSave(const QString &name, int fileType)
    {
        dialogs.saveAnswers.push_back({true, temp.filePath(name), fileType});
    }
};

TEST_F(ExportFromWindowTest, ButtonAndMenuItemWriteBothFileTypes)
{
    auto form = makeForm();
    form->CurrentFile = writeCountingLog(QStringLiteral("day1.dat"), 50);
    form->SampleInterval = 25;
    form->LoadLog();

    answerSave(QStringLiteral("day1"), 1);
    form->ExportButton->trigger();
    EXPECT_EQ(read(QStringLiteral("day1.csv")),
              QByteArray("Record #,Wet Grain Temp,Grain Temp Inside Dryer,Dried Grain Temp,Moisture In,Moisture Out,"
                         "Unload Rate,Time,Bin Number\r\n1,62,90,66,21.5,15,350,14:00,0\r\n"
                         "2,62,90,66,21.5,15,350,14:25,4\r\n"));

    // The menu item's dialog offers the name and type of the last export.
    answerSave(QStringLiteral("day1.csv"), 2);
    form->SaveToExcel1->trigger();
    ASSERT_EQ(dialogs.saveRequests.size(), 2u);
    EXPECT_EQ(dialogs.saveRequests[1].fileName.toStdString(), "day1");
    EXPECT_EQ(dialogs.saveRequests[1].filterIndex, 1);
    EXPECT_TRUE(read(QStringLiteral("day1.xls")).startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"));
    EXPECT_TRUE(read(QStringLiteral("day1.BAK")).startsWith("Record #,")) << "the CSV became the backup";
    EXPECT_TRUE(dialogs.messages.empty());
}

// Export takes the spreadsheet's content with the chart on screen too, and
// before any load that is the start-up table.
TEST_F(ExportFromWindowTest, ExportsTheSpreadsheetWhicheverViewIsShown)
{
    auto form = makeForm();
    form->ChangeViewButton->trigger();
    ASSERT_TRUE(form->StringGrid1->isHidden()) << "the chart is shown";
    answerSave(QStringLiteral("empty.csv"), 1);
    form->ExportButton->trigger();
    const QList<QByteArray> lines = read(QStringLiteral("empty.csv")).split('\n');
    ASSERT_EQ(lines.size(), 5001);
    EXPECT_EQ(lines[4999], "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r");

    form->CurrentFile = writeCountingLog(QStringLiteral("day1.dat"), 26);
    form->SampleInterval = 25;
    form->LoadLog();
    ASSERT_TRUE(form->StringGrid1->isHidden());
    answerSave(QStringLiteral("loaded.csv"), 1);
    form->ExportButton->trigger();
    EXPECT_EQ(read(QStringLiteral("loaded.csv")).split('\n').mid(1),
              QList<QByteArray>({"1,62,90,66,21.5,15,350,14:00,0\r", "2,62,90,66,21.5,15,350,14:25,4\r", ""}));
}

// Reads a named pipe that an export writes to. Once the first bytes arrive
// the writer is inside the export, and it stays blocked on the full pipe
// until everything is read: the pointer shown at that moment is the one the
// export shows while it writes.
class PipeReader
{
public:
    explicit PipeReader(const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        if (mkfifo(name.constData(), 0600) != 0)
            return;
        // Opened without blocking, so the writer's open finds a reader.
        m_fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
        if (m_fd >= 0)
            m_thread = std::thread([this] { run(); });
    }
    ~PipeReader() { finish(); }
    bool ok() const { return m_fd >= 0; }
    // Waits for the writer to close; the pointer seen, empty when none was set.
    void finish()
    {
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    bool dataSeen = false;
    std::optional<Qt::CursorShape> shapeWhileWriting;
    qint64 bytes = 0;

private:
    bool waitReadable()
    {
        pollfd p{m_fd, POLLIN, 0};
        return ::poll(&p, 1, 30000) > 0;
    }
    void run()
    {
        char buf[65536];
        while (waitReadable()) {
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n > 0 && !dataSeen) {
                dataSeen = true;
                if (const QCursor *c = QGuiApplication::overrideCursor())
                    shapeWhileWriting = c->shape();
            }
            if (n > 0)
                bytes += n;
            else if (n == 0 && dataSeen)
                return; // the writer closed the pipe
        }
    }
    int m_fd = -1;
    std::thread m_thread;
};

TEST_F(ExportFromWindowTest, BusyPointerWhileWritingRestoredAfterwards)
{
    auto form = makeForm();
    // The start-up table, 5,000 rows, is far more than a pipe holds.
    for (const auto &[type, name] : {std::pair{1, "busy.csv"}, std::pair{2, "busy.xls"}}) {
        SCOPED_TRACE(name);
        PipeReader pipe(temp.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(pipe.ok());
        answerSave(QStringLiteral("busy"), type); // no extension: no backup of the pipe
        form->ExportButton->trigger();
        pipe.finish();
        ASSERT_TRUE(pipe.dataSeen);
        EXPECT_GT(pipe.bytes, 100000);
        ASSERT_TRUE(pipe.shapeWhileWriting.has_value()) << "no busy pointer while writing";
        EXPECT_EQ(*pipe.shapeWhileWriting, Qt::WaitCursor);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "pointer restored";
        EXPECT_TRUE(dialogs.messages.empty());
    }

    // A failed export gives the pointer back too.
    ASSERT_TRUE(QDir(temp.path()).mkdir(QStringLiteral("held.xls")));
    answerSave(QStringLiteral("held.xls"), 2);
    dialogs.messageAnswers.push_back(MessageAnswer::Ok);
    form->ExportButton->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(ExportFromWindowTest, WriterErrorIsShownInTheErrorBox)
{
    auto form = makeForm();
    ASSERT_TRUE(QDir(temp.path()).mkdir(QStringLiteral("day1.csv")));
    answerSave(QStringLiteral("day1.csv"), 1);
    dialogs.messageAnswers.push_back(MessageAnswer::Ok);
    form->SaveToExcel1->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.toStdString(), "Cannot Create file day1.csv.");
    EXPECT_EQ(dialogs.messages[0].caption.toStdString(), "DryerDataSorvant");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
}

} // namespace

int main(int argc, char **argv)
{
    QLocale::setDefault(QLocale::c());
    SorvantApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

namespace {

// Bytes of a file reached by its name's own bytes, which QFile cannot reach
// when they are not UTF-8.
QByteArray readByName(const QByteArray &name)
{
    QFile f;
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return "missing";
    return f.readAll();
}

} // namespace

TEST_F(ExportFromWindowTest, LogsAndFoldersWhoseNamesAreNotUtf8)
{
    // A folder copied from a USB stick written on Windows: "Récolte" in Latin-1.
    const QByteArray folder = QFile::encodeName(temp.path()) + "/R\xe9" "colte";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QString plain = writeCountingLog(QStringLiteral("plain.dat"), 50);
    const QByteArray log = folder + "/caf\xe9.dat";
    ASSERT_EQ(::rename(QFile::encodeName(plain).constData(), log.constData()), 0);
    const QString logName = decodeFileName(log);
    const QString folderName = decodeFileName(folder) + QLatin1Char('/');

    {
        auto form = makeForm();
        answerOpen(logName);
        form->OpenButton1->trigger();
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(form->spreadsheet()->store().RowCount(), 3);
        EXPECT_EQ(form->CurrentFile, logName);
        EXPECT_EQ(form->LastFolder, folderName);

        // Exported beside it; the file chosen is kept as its backup.
        ASSERT_EQ(::close(::open(QByteArray(folder + "/r\xe9sultat.csv").constData(), O_WRONLY | O_CREAT, 0600)), 0);
        dialogs.saveAnswers.push_back({true, decodeFileName(folder + "/r\xe9sultat.csv"), 1});
        form->ExportButton->trigger();
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(readByName(folder + "/r\xe9sultat.csv").count("\r\n"), 3);
        EXPECT_EQ(readByName(folder + "/r\xe9sultat.BAK"), QByteArray());
        QDir::setCurrent(savedCurrent);
        form->close();
    }

    // The recent file and the folder are remembered as they were.
    const StoredSettings stored = readBack();
    EXPECT_EQ(stored.lastFolder, folderName);
    EXPECT_EQ(stored.recentFiles.value(0), logName);
    auto form = makeForm();
    ASSERT_EQ(form->RecentFiles.value(0), logName);
    form->CurrentFile = form->RecentFiles.value(0);
    form->LoadLog();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form->spreadsheet()->store().RowCount(), 3);

    for (const char *name : {"/caf\xe9.dat", "/r\xe9sultat.csv", "/r\xe9sultat.BAK"})
        ::unlink(QByteArray(folder + name).constData());
    ::rmdir(folder.constData());
}
