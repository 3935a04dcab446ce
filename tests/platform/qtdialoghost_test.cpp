#include "platform/filenames.h"
#include "platform/fonts.h"
#include "platform/qtdialoghost.h"

#include "filetestutil.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

using namespace sorvant;

namespace {

// Runs `act` on the modal dialog of type T as soon as it shows. Should none
// show within five seconds, or should a dialog still be open after `act`,
// the test fails and every dialog is closed, so nothing can hang.
template <typename T>
void whenShown(std::function<void(T *)> act)
{
    auto *timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, act]() {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
            return;
        }
        if (clock->elapsed() > 5000) {
            ADD_FAILURE() << "no dialog of the expected kind showed";
            timer->stop();
            timer->deleteLater();
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *d = qobject_cast<QDialog *>(w))
                    d->reject();
        }
    });
    timer->start();
}

// Closes any modal dialog that stays up longer than three seconds, also one
// opened inside another dialog's handler, and fails the test: a dialog the
// test did not expect can never make it hang.
class ModalWatchdog
{
public:
    ModalWatchdog()
    {
        m_timer.setInterval(100);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this]() {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal != m_seen) {
                m_seen = modal;
                m_since.start();
                return;
            }
            if (modal && m_since.elapsed() > 3000) {
                ADD_FAILURE() << "a dialog stayed open: " << modal->windowTitle().toStdString();
                if (auto *d = qobject_cast<QDialog *>(modal))
                    d->reject();
                else
                    modal->close();
            }
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
    QPointer<QWidget> m_seen;
    QElapsedTimer m_since;
};

void clickButton(QMessageBox *box, QMessageBox::StandardButton which)
{
    ASSERT_NE(box->button(which), nullptr);
    box->button(which)->click();
}

} // namespace

TEST(QtDialogHostTest, MessageBoxShowsCaptionTextButtonsAndIcon)
{
    using SB = QMessageBox::StandardButton;
    struct Case {
        MessageButtons buttons;
        MessageIcon icon;
        QMessageBox::StandardButtons shown;
        QMessageBox::Icon qtIcon;
        SB defaultButton;
        SB click; // NoButton: the user presses Esc
        MessageAnswer answer;
    };
    const Case cases[] = {
        {MessageButtons::Ok, MessageIcon::Error, SB::Ok, QMessageBox::Critical, SB::Ok, SB::Ok, MessageAnswer::Ok},
        {MessageButtons::Ok, MessageIcon::None, SB::Ok, QMessageBox::NoIcon, SB::Ok, SB::NoButton, MessageAnswer::Ok},
        {MessageButtons::OkCancel, MessageIcon::Question, SB::Ok | SB::Cancel, QMessageBox::Question, SB::Ok, SB::Cancel,
         MessageAnswer::Cancel},
        {MessageButtons::OkCancel, MessageIcon::Question, SB::Ok | SB::Cancel, QMessageBox::Question, SB::Ok,
         SB::NoButton, MessageAnswer::Cancel},
        {MessageButtons::OkCancel, MessageIcon::Warning, SB::Ok | SB::Cancel, QMessageBox::Warning, SB::Ok, SB::Ok,
         MessageAnswer::Ok},
        {MessageButtons::YesNo, MessageIcon::Information, SB::Yes | SB::No, QMessageBox::Information, SB::Yes, SB::No,
         MessageAnswer::No},
        {MessageButtons::YesNo, MessageIcon::Information, SB::Yes | SB::No, QMessageBox::Information, SB::Yes,
         SB::NoButton, MessageAnswer::No},
        {MessageButtons::YesNoCancel, MessageIcon::Question, SB::Yes | SB::No | SB::Cancel, QMessageBox::Question,
         SB::Yes, SB::Yes, MessageAnswer::Yes},
        {MessageButtons::YesNoCancel, MessageIcon::Question, SB::Yes | SB::No | SB::Cancel, QMessageBox::Question,
         SB::Yes, SB::NoButton, MessageAnswer::Cancel},
    };
    ModalWatchdog watchdog;
    QtDialogHost host;
    for (const Case &c : cases) {
        SCOPED_TRACE(static_cast<int>(&c - cases));
        whenShown<QMessageBox>([&c](QMessageBox *box) {
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Exit Sorvant"));
            EXPECT_EQ(box->text(), QStringLiteral("Exit Sorvant?"));
            EXPECT_EQ(box->standardButtons(), c.shown);
            EXPECT_EQ(box->icon(), c.qtIcon);
            EXPECT_EQ(box->standardButton(box->defaultButton()), c.defaultButton);
            if (c.click == QMessageBox::NoButton)
                box->reject(); // what Esc and the close box do
            else
                clickButton(box, c.click);
        });
        EXPECT_EQ(host.messageBox(nullptr, QStringLiteral("Exit Sorvant?"), QStringLiteral("Exit Sorvant"), c.buttons,
                                  c.icon),
                  c.answer);
    }
}

TEST(QtDialogHostTest, FileDialogsTakeAndGiveTitleFolderAndFilterIndex)
{
    ModalWatchdog watchdog;
    QTemporaryDir dir;
    ASSERT_TRUE(sorvant::testing::writeAllBytes(dir.filePath(QStringLiteral("log.dat")), "x"));
    ASSERT_TRUE(sorvant::testing::writeAllBytes(dir.filePath(QStringLiteral("old.csv")), "keep"));
    QtDialogHost host;
    FileDialogRequest request;
    request.title = QStringLiteral("Open Dryer Log");
    request.filter = QStringLiteral("Dryer Log files (*.dat);;All files (*)");
    request.folder = dir.path();
    request.filterIndex = 2;

    whenShown<QFileDialog>([&](QFileDialog *d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Open Dryer Log"));
        EXPECT_EQ(d->directory().absolutePath(), QDir(dir.path()).absolutePath());
        EXPECT_EQ(d->selectedNameFilter(), QStringLiteral("All files (*)"));
        EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptOpen);
        d->selectNameFilter(QStringLiteral("Dryer Log files (*.dat)"));
        // Type the name as the user does: a selection made through the
        // folder view races the dialog's background listing.
        auto *nameEdit = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameEdit, nullptr);
        nameEdit->setText(QStringLiteral("log.dat"));
        static_cast<QDialog *>(d)->accept(); // as the Open or Save button does
    });
    FileDialogAnswer answer = host.openFile(nullptr, request);
    EXPECT_TRUE(answer.accepted);
    EXPECT_EQ(answer.path, dir.filePath(QStringLiteral("log.dat")));
    EXPECT_EQ(answer.filterIndex, 1);

    // Cancel: nothing chosen, the file type as it came in.
    whenShown<QFileDialog>([](QFileDialog *d) { d->reject(); });
    answer = host.openFile(nullptr, request);
    EXPECT_FALSE(answer.accepted);
    EXPECT_EQ(answer.filterIndex, 2);

    // Saving over an existing file asks nothing: the dialog closes at once.
    request.title = QStringLiteral("Export");
    request.filter = QStringLiteral("Excel files (*.xls);;CSV files (*.csv)");
    request.fileName = QStringLiteral("old.csv");
    whenShown<QFileDialog>([](QFileDialog *d) {
        EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(d->selectedNameFilter(), QStringLiteral("CSV files (*.csv)"));
        static_cast<QDialog *>(d)->accept(); // as the Open or Save button does
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a question about replacing the file";
        if (auto *left = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            left->reject();
    });
    answer = host.saveFile(nullptr, request);
    EXPECT_TRUE(answer.accepted);
    EXPECT_EQ(answer.path, dir.filePath(QStringLiteral("old.csv")));
    EXPECT_EQ(answer.filterIndex, 2);
}

// A dialog given no folder starts in the current one, which the export makes
// the folder the user last saved into; not in the folder of the last open
// dialog, as Qt's memory of the last visited folder would have it.
TEST(QtDialogHostTest, FileDialogWithoutAFolderStartsInTheCurrentOne)
{
    ModalWatchdog watchdog;
    const QString startFolder = QDir::currentPath();
    QTemporaryDir logs, out;
    ASSERT_TRUE(sorvant::testing::writeAllBytes(QDir(logs.path()).filePath(QStringLiteral("log.dat")), "x"));
    QtDialogHost host;
    FileDialogRequest open;
    open.folder = logs.path();
    open.filter = QStringLiteral("Dryer Log files (*.dat)");
    whenShown<QFileDialog>([](QFileDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("log.dat"));
        static_cast<QDialog *>(d)->accept();
    });
    ASSERT_TRUE(host.openFile(nullptr, open).accepted);
    ASSERT_TRUE(QDir::setCurrent(logs.path())); // as the Open command does

    FileDialogRequest save;
    save.filter = QStringLiteral("Comma Delimited (*.csv);;MS Excel (*.xls)");
    const QString typed = QDir(out.path()).filePath(QStringLiteral("day1.csv"));
    whenShown<QFileDialog>([&typed](QFileDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(typed);
        static_cast<QDialog *>(d)->accept();
    });
    ASSERT_EQ(host.saveFile(nullptr, save).path, typed);
    ASSERT_TRUE(QDir::setCurrent(out.path())); // as the export does

    for (int i = 0; i < 2; ++i) {
        QString shown;
        whenShown<QFileDialog>([&shown](QFileDialog *d) {
            shown = d->directory().absolutePath();
            d->reject();
        });
        EXPECT_FALSE(host.saveFile(nullptr, save).accepted);
        EXPECT_EQ(shown, QDir(out.path()).absolutePath()) << "dialog " << i;
    }
    QDir::setCurrent(startFolder);
}

TEST(QtDialogHostTest, OpenDialogOpensANameThatIsNotUtf8TypedAsItShows)
{
    ModalWatchdog watchdog;
    QTemporaryDir dir;
    const QByteArray onDisk = QFile::encodeName(dir.path()) + "/caf\xe9.dat";
    {
        // QFile cannot spell the name; the bytes go to the system as they are.
        FILE *raw = std::fopen(onDisk.constData(), "wb");
        ASSERT_NE(raw, nullptr);
        std::fclose(raw);
    }
    QtDialogHost host;
    FileDialogRequest request;
    request.title = QStringLiteral("Select Data Log file");
    request.filter = QStringLiteral("Dryer Log files (*.dat);;All Files (*)");
    request.folder = dir.path();
    whenShown<QFileDialog>([&](QFileDialog *d) {
        auto *nameEdit = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameEdit, nullptr);
        nameEdit->setText(QStringLiteral("café.dat")); // as the Windows machine showed it
        static_cast<QDialog *>(d)->accept();           // as the Open button and Return do
    });
    const FileDialogAnswer answer = host.openFile(nullptr, request);
    EXPECT_TRUE(answer.accepted);
    EXPECT_EQ(encodeFileName(answer.path), onDisk);
    ::unlink(onDisk.constData()); // QTemporaryDir cannot remove it
}

TEST(QtDialogHostTest, PrintDialogAnswersWhetherToPrint)
{
    ModalWatchdog watchdog;
    QtDialogHost host;
    QPrinter printer;
    whenShown<QPrintDialog>([](QPrintDialog *d) { d->reject(); });
    EXPECT_FALSE(host.print(nullptr, printer));

    QTemporaryDir dir;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
    whenShown<QPrintDialog>([](QPrintDialog *d) { static_cast<QDialog *>(d)->accept(); });
    EXPECT_TRUE(host.print(nullptr, printer));
}

TEST(QtDialogHostTest, FontDialogShowsTheFontAndConfirmedUnchangedKeepsIt)
{
    ModalWatchdog watchdog;
    QtDialogHost host;
    registerCompatibleFonts(); // the faces the program itself offers, where installed

    // Presets the font dialog is known to show otherwise: a face the system
    // only substitutes, a face with fixed sizes only, and a face whose plain
    // style the dialog would not pick by itself.
    for (const auto &[family, points, bold] : {std::tuple{"MS Sans Serif", 8, false}, std::tuple{"Arial", 10, false},
                                               std::tuple{"DejaVu Sans", 8, false}, std::tuple{"DejaVu Sans", 12, true}}) {
        QFont preset{QString::fromLatin1(family)};
        preset.setPointSize(points);
        preset.setBold(bold);
        QFont font = preset;
        QFont shown;
        whenShown<QFontDialog>([&shown](QFontDialog *d) {
            shown = d->currentFont();
            d->accept();
        });
        EXPECT_TRUE(host.chooseFont(nullptr, font));
        const std::string what = family + std::string(" ") + std::to_string(points);
        EXPECT_EQ(shown.italic(), false) << what;
        EXPECT_EQ(shown.bold(), bold) << what;
        EXPECT_EQ(font.family(), preset.family()) << what;
        EXPECT_EQ(font.pointSize(), points) << what;
        EXPECT_EQ(font.bold(), bold) << what;
        EXPECT_FALSE(font.italic()) << what;
    }

    // A font the user picks replaces it; Cancel leaves it.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(8);
    whenShown<QFontDialog>([](QFontDialog *d) {
        QFont other(QStringLiteral("DejaVu Sans"));
        other.setPointSize(14);
        other.setBold(true);
        d->setCurrentFont(other);
        d->accept();
    });
    EXPECT_TRUE(host.chooseFont(nullptr, font));
    EXPECT_EQ(font.pointSize(), 14);
    EXPECT_TRUE(font.bold());
    whenShown<QFontDialog>([](QFontDialog *d) { d->reject(); });
    EXPECT_FALSE(host.chooseFont(nullptr, font));
    EXPECT_EQ(font.pointSize(), 14);
}

TEST(QtDialogHostTest, FontDialogStyleChangeKeepsTheSize)
{
    ModalWatchdog watchdog;
    QtDialogHost host;
    registerCompatibleFonts();
    // MS Sans Serif has bitmaps of a few sizes only: the dialog shows 8 pt
    // with an empty size box. Ticking a style must not bring another size.
    for (const auto &[family, points] : {std::pair{"MS Sans Serif", 8}, std::pair{"Arial", 10}, std::pair{"Tahoma", 8}}) {
        for (const char *style : {"Underline", "Strikeout"}) {
            QFont font{QString::fromLatin1(family)};
            font.setPointSize(points);
            const QString face = font.family();
            whenShown<QFontDialog>([style](QFontDialog *d) {
                for (QCheckBox *box : d->findChildren<QCheckBox *>()) {
                    if (box->text().remove(QLatin1Char('&')).startsWith(QLatin1String(style), Qt::CaseInsensitive))
                        box->click();
                }
                d->accept();
            });
            EXPECT_TRUE(host.chooseFont(nullptr, font));
            const std::string what = family + std::string(" ") + std::to_string(points) + " " + style;
            EXPECT_EQ(font.pointSize(), points) << what;
            EXPECT_EQ(font.family(), face) << what;
            EXPECT_EQ(font.underline(), std::string(style) == "Underline") << what;
            EXPECT_EQ(font.strikeOut(), std::string(style) == "Strikeout") << what;
            EXPECT_FALSE(font.bold()) << what;
        }
    }
}
