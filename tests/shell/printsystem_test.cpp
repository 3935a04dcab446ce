// Printing through a real print system: a cupsd of the test's own with
// queues that write what they print to a file, read back with poppler.
#include "pdfwords.h"
#include "privatecups.h"
#include "shellfixture.h"

#include "output/printing/printersetupdialog.h"
#include "output/printing/qtprinterdevice.h"
#include "platform/qtdialoghost.h"
#include "views/chartview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTimer>

using namespace sorvant;
using namespace sorvant::testing;

namespace {

const QString kQueue = QStringLiteral("sorvant-office");

// The scripted dialogs, except that the print dialog is Qt's own, confirmed
// as it opened, as a user who only presses Print does.
class RealPrintDialogHost : public ScriptedDialogHost
{
public:
    bool realPrintDialog = false;
    bool print(QWidget *parent, QPrinter &printer) override
    {
        if (!realPrintDialog)
            return ScriptedDialogHost::print(parent, printer);
        ++printRequests;
        messagesAtPrint.push_back(messages.size());
        QTimer::singleShot(200, [] {
            if (auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget()))
                dialog->accept();
        });
        return QtDialogHost().print(parent, printer);
    }
};

class PrintSystemTest : public ShellTest
{
protected:
    PrivateCups cups;

    void SetUp() override
    {
        const QString missing = PrivateCups::missing();
        if (!missing.isEmpty())
            GTEST_SKIP() << "no private print system: " << missing.toStdString();
        ASSERT_TRUE(cups.start()) << cups.why().toStdString();
        ASSERT_TRUE(cups.addQueue(kQueue, true)) << cups.why().toStdString();
    }

    // A window whose printer is the queue, as the print dialog leaves it.
    std::unique_ptr<TSorvantMainForm> makeQueueForm()
    {
        auto form = makeForm();
        form->printer().setOutputFormat(QPrinter::NativeFormat);
        form->printer().setPrinterName(kQueue);
        EXPECT_TRUE(form->printer().isValid());
        return form;
    }
};

TEST_F(PrintSystemTest, AQueueThatRejectsJobsIsReportedWithItsReasonInBothViews)
{
    auto form = makeQueueForm();
    ASSERT_TRUE(cups.reject(kQueue, QStringLiteral("Toner low, call service"))) << cups.why().toStdString();
    dialogs.printAnswers = {true, true};
    dialogs.answerAllMessages = true;
    form->PrintButton->trigger();
    form->ChangeViewButton->trigger();
    form->PrintFromMenu->trigger();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (const auto &m : dialogs.messages) {
        EXPECT_EQ(m.caption, QStringLiteral("DryerDataSorvant"));
        EXPECT_EQ(m.icon, MessageIcon::Error);
        EXPECT_TRUE(m.text.contains(QStringLiteral("not accepting jobs"))) << m.text.toStdString();
        EXPECT_TRUE(m.text.contains(QStringLiteral("Toner low, call service"))) << m.text.toStdString();
        EXPECT_TRUE(m.text.contains(kQueue)) << m.text.toStdString();
    }
    EXPECT_EQ(form->printer().pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Taking jobs again, the chart page arrives, one landscape page.
    ASSERT_TRUE(cups.accept(kQueue));
    dialogs.printAnswers = {true};
    form->PrintButton->trigger();
    EXPECT_EQ(dialogs.messages.size(), 2u);
    ASSERT_TRUE(cups.waitForOutput(kQueue)) << cups.errorLog().toStdString();
    if (pdfwords::available()) {
        const auto pages = pdfwords::read(cups.outputPath(kQueue));
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_GT(pages[0].width, pages[0].height);
    }
}

TEST_F(PrintSystemTest, AJobRefusedAsItIsSentIsAFailureOfTheDocumentsEnd)
{
    // The queue takes jobs when the document starts and stops before it
    // ends, when Qt sends the job.
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(kQueue);
    QtPrinterDevice device(printer);
    ASSERT_TRUE(device.beginDocument()) << device.errorString().toStdString();
    device.painter()->drawText(100, 100, QStringLiteral("Bin 3"));
    ASSERT_TRUE(cups.reject(kQueue, QStringLiteral("Paper jam")));
    EXPECT_FALSE(device.endDocument());
    EXPECT_TRUE(device.errorString().contains(QStringLiteral("Paper jam"))) << device.errorString().toStdString();
}

TEST_F(PrintSystemTest, APrinterThatWentAwayIsNamedBeforeThePrintDialog)
{
    auto form = makeQueueForm();
    dialogs.answerAllMessages = true;
    ASSERT_TRUE(cups.removeQueue(kQueue));
    dialogs.printAnswers = {false};
    form->PrintButton->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messagesAtPrint, std::vector<std::size_t>{1u}) << "the warning comes before the dialog";
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(dialogs.messages[0].text.contains(kQueue)) << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("no longer installed")));

    // The whole print system gone: the same warning, and a job confirmed on
    // the old printer all the same is refused, not written to a file.
    cups.stop();
    dialogs.printAnswers = {true};
    form->PrintButton->trigger();
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messagesAtPrint.back(), 2u);
    EXPECT_TRUE(dialogs.messages[1].text.contains(QStringLiteral("print system cannot be reached")))
        << dialogs.messages[1].text.toStdString();
    EXPECT_EQ(dialogs.messages[2].icon, MessageIcon::Error);
    EXPECT_FALSE(QFile::exists(QDir::home().filePath(QStringLiteral("print.pdf"))));
}

TEST_F(PrintSystemTest, PaperChosenInPrintSetupForTheChartHoldsThroughThePrintDialog)
{
    RealPrintDialogHost host;
    MainFormOptions options;
    options.settingsPath = settingsPath();
    options.locale = QLocale::c();
    TSorvantMainForm form(host, options);
    form.printer().setOutputFormat(QPrinter::NativeFormat);
    form.printer().setPrinterName(kQueue);
    form.ChangeViewButton->trigger();

    // The queue's own paper is Letter; Print Setup offers the queue and
    // chooses A5 on it.
    host.dialogScripts.push_back([&](QDialog &dialog) {
        auto &setup = static_cast<TPrinterSetupDialog &>(dialog);
        EXPECT_GE(setup.printerBox()->findText(kQueue), 0);
        EXPECT_EQ(setup.printerBox()->currentText(), kQueue);
        EXPECT_EQ(setup.statusLabel()->text(), QStringLiteral("Ready"));
        EXPECT_TRUE(setup.selectPaper(QPageSize(QPageSize::A5)));
        return int(QDialog::Accepted);
    });
    QString shownOnReopening;
    host.dialogScripts.push_back([&](QDialog &dialog) {
        shownOnReopening = static_cast<TPrinterSetupDialog &>(dialog).paperBox()->currentText();
        return int(QDialog::Rejected);
    });
    form.PrintSetup1->trigger();
    form.PrintSetup1->trigger();
    EXPECT_EQ(shownOnReopening, QStringLiteral("A5"));

    host.realPrintDialog = true;
    form.PrintButton->trigger();
    EXPECT_TRUE(host.messages.empty());
    ASSERT_TRUE(cups.waitForOutput(kQueue)) << cups.errorLog().toStdString();
    if (!pdfwords::available())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const auto pages = pdfwords::read(cups.outputPath(kQueue));
    ASSERT_EQ(pages.size(), 1u);
    // A5 landscape: 595 x 420 points.
    EXPECT_NEAR(pages[0].width, 595.0, 1.0);
    EXPECT_NEAR(pages[0].height, 420.0, 1.0);
}

} // namespace
