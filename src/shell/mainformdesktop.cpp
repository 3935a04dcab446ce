// What desktop users expect of a main window beyond its designed commands:
// a log dropped on the window or handed over by a launcher or a second
// start opens, the session's end closes the window as its close box does,
// the usual shortcuts, and Copy.

#include "mainform.h"

#include "controls/grid/datagrid.h"
#include "pathparts.h"
#include "platform/dialoghost.h"
#include "platform/filenames.h"
#include "platform/fileuris.h"
#include "views/chartview.h"
#include "views/spreadsheetview.h"
#include "views/viewswitcher.h"

#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>

#include <utility>

#include <sys/stat.h>

namespace sorvant {

namespace {

constexpr int kPendingCheckMs = 200;
const QString kUriListType = QStringLiteral("text/uri-list");

enum class PathKind { Missing, Folder, File };

PathKind kindOf(const QString &path)
{
    struct stat st {};
    if (::stat(encodeFileName(path).constData(), &st) != 0)
        return PathKind::Missing;
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
}

// The local files of a drop, in their order. The raw URI list keeps names
// that are not UTF-8; QMimeData::urls() would turn their bytes into U+FFFD.
QStringList droppedFiles(const QMimeData *data)
{
    if (!data)
        return {};
    if (data->hasFormat(kUriListType))
        return localFilesFromUriList(data->data(kUriListType));
    QStringList files;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    return files;
}

QStringList droppedLogs(const QMimeData *data)
{
    QStringList logs;
    for (const QString &path : droppedFiles(data)) {
        if (kindOf(path) == PathKind::File)
            logs << path;
    }
    return logs;
}

bool aDialogIsOpen()
{
    return QApplication::activeModalWidget() != nullptr;
}

} // namespace

void TSorvantMainForm::buildDesktopCommands()
{
    setAcceptDrops(true);
    Open1->setShortcut(QKeySequence::Open);
    PrintFromMenu->setShortcut(QKeySequence::Print);
    SaveToExcel1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    About1->setShortcut(QKeySequence(Qt::Key_F1));

    Copy1 = new QAction(QStringLiteral("&Copy"), Edit1);
    Copy1->setObjectName(QStringLiteral("Copy1"));
    Copy1->setShortcut(QKeySequence::Copy);
    SelectAll1 = new QAction(QStringLiteral("Select &All"), Edit1);
    SelectAll1->setObjectName(QStringLiteral("SelectAll1"));
    SelectAll1->setShortcut(QKeySequence::SelectAll);
    Edit1->insertAction(Preferences, Copy1);
    Edit1->insertAction(Preferences, SelectAll1);
    N2 = Edit1->insertSeparator(Preferences);
    N2->setObjectName(QStringLiteral("N2"));
    connectCommand(Copy1, [this] { Copy1Click(); });
    connectCommand(SelectAll1, [this] { SelectAll1Click(); });
    StringGrid1->setCellSelectionEnabled(true);

    Chart1 = new QMenu(QStringLiteral("&Chart"), MainMenu1);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    MainMenu1->insertMenu(Help1->menuAction(), Chart1);
    const auto pageItem = [this](const char *name, const QString &caption, const QKeySequence &key,
                                 QAbstractSlider::SliderAction step) {
        QAction *item = Chart1->addAction(caption);
        item->setObjectName(QLatin1String(name));
        item->setShortcut(key);
        // As the scroll bar's own keys turn the pages.
        connectCommand(item, [this, step] { ChartScrollBar1->triggerAction(step); });
        return item;
    };
    PreviousPage1 = pageItem("PreviousPage1", QStringLiteral("&Previous Page"), QKeySequence(Qt::Key_PageUp),
                             QAbstractSlider::SliderSingleStepSub);
    NextPage1 = pageItem("NextPage1", QStringLiteral("&Next Page"), QKeySequence(Qt::Key_PageDown),
                         QAbstractSlider::SliderSingleStepAdd);
    FirstPage1 = pageItem("FirstPage1", QStringLiteral("&First Page"), QKeySequence(Qt::Key_Home),
                          QAbstractSlider::SliderToMinimum);
    LastPage1 = pageItem("LastPage1", QStringLiteral("&Last Page"), QKeySequence(Qt::Key_End),
                         QAbstractSlider::SliderToMaximum);
    // After the switch itself, which the button's first connection runs.
    connect(ChangeViewButton, &QAction::triggered, this, &TSorvantMainForm::updateViewCommands);
    updateViewCommands();

    m_pendingTimer = new QTimer(this);
    m_pendingTimer->setInterval(kPendingCheckMs);
    connect(m_pendingTimer, &QTimer::timeout, this, &TSorvantMainForm::openPendingWhenFree);
    m_noticeTimer = new QTimer(this);
    m_noticeTimer->setSingleShot(true);
    connect(m_noticeTimer, &QTimer::timeout, this, [this] {
        if (MessagePanel->text() == m_noticeText)
            MessagePanel->setText(m_coveredText);
    });
}

void TSorvantMainForm::updateViewCommands()
{
    const bool chart = m_viewSwitcher->chartIsCurrent();
    // The page keys belong to the spreadsheet while it is shown.
    for (QAction *item : {PreviousPage1, NextPage1, FirstPage1, LastPage1})
        item->setEnabled(chart);
    SelectAll1->setEnabled(!chart);
}

void TSorvantMainForm::showNotice(const QString &text, int ms)
{
    if (!m_noticeTimer->isActive())
        m_coveredText = MessagePanel->text();
    m_noticeText = text;
    MessagePanel->setText(text);
    m_noticeTimer->start(ms);
}

void TSorvantMainForm::openFromOutside(const QString &path)
{
    if (path.isEmpty())
        return;
    if (m_loading || aDialogIsOpen()) {
        // The newest request wins; the check repeats until the way is free.
        m_pendingOpen = path;
        m_pendingTimer->start();
        return;
    }
    switch (kindOf(path)) {
    case PathKind::Missing:
        m_dialogs.messageBox(this, QStringLiteral("There is no file \"%1\".").arg(path),
                             QStringLiteral("DryerDataSorvant"), MessageButtons::Ok, MessageIcon::Warning);
        return;
    case PathKind::Folder:
        m_dialogs.messageBox(this, QStringLiteral("\"%1\" is a folder, not a log file.").arg(path),
                             QStringLiteral("DryerDataSorvant"), MessageButtons::Ok, MessageIcon::Warning);
        return;
    case PathKind::File:
        break;
    }
    runGuarded([&] { OpenFile(path); });
}

void TSorvantMainForm::openPendingWhenFree()
{
    if (m_loading || aDialogIsOpen())
        return;
    m_pendingTimer->stop();
    const QString path = std::exchange(m_pendingOpen, QString());
    openFromOutside(path);
}

void TSorvantMainForm::closeForSessionEnd()
{
    // The settings first: whatever follows, they are on disk.
    FormClose();
    m_pendingTimer->stop();
    // An open dialog's own event loop would keep the program alive.
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QDialog *>(w); dialog && dialog->isVisible() && dialog->isModal())
            dialog->reject();
    }
    close();
    QCoreApplication::quit();
}

void TSorvantMainForm::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedLogs(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TSorvantMainForm::dragMoveEvent(QDragMoveEvent *event)
{
    if (!droppedLogs(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TSorvantMainForm::dropEvent(QDropEvent *event)
{
    const QStringList logs = droppedLogs(event->mimeData());
    if (logs.isEmpty())
        return;
    event->acceptProposedAction();
    const QString first = logs.first();
    const qsizetype others = logs.size() - 1;
    // After the drop has ended: the source program waits for it, and a load
    // may show its error box.
    QTimer::singleShot(0, this, [this, first, others] {
        openFromOutside(first);
        if (others > 0) {
            showNotice(QStringLiteral(" Opened %1 (%2 more dropped file%3 not opened: one log at a time)")
                           .arg(fileNamePart(first))
                           .arg(others)
                           .arg(others == 1 ? QString() : QStringLiteral("s")));
        }
    });
}

void TSorvantMainForm::SelectAll1Click()
{
    if (m_viewSwitcher->chartIsCurrent())
        return;
    StringGrid1->setFocus();
    StringGrid1->selectAll();
}

void TSorvantMainForm::Copy1Click()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (m_viewSwitcher->chartIsCurrent()) {
        clipboard->setPixmap(Chart->grab());
        showNotice(QStringLiteral(" Copied the chart page as a picture"));
        return;
    }
    const GridCopy copy = StringGrid1->copySelection();
    if (copy.isEmpty()) {
        showNotice(QStringLiteral(" Nothing to copy: select cells first (Ctrl+A selects all)"));
        return;
    }
    clipboard->setMimeData(makeMimeData(copy));
    showNotice(QStringLiteral(" Copied %1 row%2 of %3 column%4%5")
                   .arg(copy.rows)
                   .arg(copy.rows == 1 ? QString() : QStringLiteral("s"))
                   .arg(copy.columns)
                   .arg(copy.columns == 1 ? QString() : QStringLiteral("s"))
                   .arg(copy.withHeader ? QStringLiteral(" with the header row") : QString()));
}

} // namespace sorvant
