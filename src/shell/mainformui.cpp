// The main window's controls as designed: menu, toolbar, client area and the
// status panel with its progress bar.

#include "mainform.h"

#include "toolbaricons.h"
#include "views/chartview.h"
#include "views/spreadsheetview.h"
#include "views/viewswitcher.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <qdrawutil.h>

#include <algorithm>

namespace sorvant {

namespace {

// The toolbar's frame: a raised outer edge, two pixels of face, then a
// lowered inner edge, on all four sides.
class BevelledToolBar : public QToolBar
{
public:
    using QToolBar::QToolBar;

    static constexpr int kBorderWidth = 2;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QToolBar::paintEvent(event);
        QPainter p(this);
        qDrawShadePanel(&p, rect(), palette(), false, 1);
        const int inset = 1 + kBorderWidth;
        qDrawShadePanel(&p, rect().adjusted(inset, inset, -inset, -inset), palette(), true, 1);
    }
};

QAction *makeItem(QMenu *menu, const char *name, const QString &caption)
{
    auto *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

QAction *makeSeparator(QMenu *menu, const char *name)
{
    auto *action = menu->addSeparator();
    action->setObjectName(QLatin1String(name));
    return action;
}

QAction *makeHiddenItem(QMenu *menu, const char *name)
{
    QAction *action = makeItem(menu, name, QString());
    action->setVisible(false);
    return action;
}

} // namespace

void TSorvantMainForm::buildMenus()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));

    File1 = MainMenu1->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    // The menu keeps separators that stand next to hidden items as they are.
    File1->setSeparatorsCollapsible(false);
    Open1 = makeItem(File1, "Open1", QStringLiteral("&Open"));
    PrintFromMenu = makeItem(File1, "PrintFromMenu", QStringLiteral("&Print"));
    PrintPreview1 = makeItem(File1, "PrintPreview1", QStringLiteral("Print Pre&view"));
    PrintPreview1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    PrintSetup1 = makeItem(File1, "PrintSetup1", QStringLiteral("Print &Setup"));
    SaveToExcel1 = makeItem(File1, "SaveToExcel1", QStringLiteral("&Export to Spreadsheet file"));
    MRUSeparator = makeSeparator(File1, "MRUSeparator");
    MRUSeparator->setVisible(false);
    MRU1 = makeHiddenItem(File1, "MRU1");
    MRU2 = makeHiddenItem(File1, "MRU2");
    MRU3 = makeHiddenItem(File1, "MRU3");
    MRU4 = makeHiddenItem(File1, "MRU4");
    MRU5 = makeHiddenItem(File1, "MRU5");
    N1 = makeSeparator(File1, "N1");
    Exit1 = makeItem(File1, "Exit1", QStringLiteral("E&xit"));
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));

    Edit1 = MainMenu1->addMenu(QStringLiteral("&Edit"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Preferences = makeItem(Edit1, "Preferences", QStringLiteral("&Preferences"));

    Help1 = MainMenu1->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    About1 = makeItem(Help1, "About1", QStringLiteral("&About..."));

    connectCommand(Open1, [this] { OpenButtonClick(); });
    connectCommand(Exit1, [this] { Exit1Click(); });
}

void TSorvantMainForm::buildToolBar()
{
    ToolBar1 = new BevelledToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolTip(QStringLiteral("Select one of the Toolbar buttons"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar1->setIconSize(QSize(kToolbarImageSize, kToolbarImageSize));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->setFixedHeight(50);
    // The buttons stand inside the inner edge.
    ToolBar1->setContentsMargins(2 + BevelledToolBar::kBorderWidth, 0, 2 + BevelledToolBar::kBorderWidth, 0);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    const auto button = [this](const char *name, int image, const QString &caption, const QString &tip) {
        auto *action = new QAction(toolbarIcon(image), caption, this);
        action->setObjectName(QLatin1String(name));
        action->setToolTip(tip);
        ToolBar1->addAction(action);
        if (auto *widget = ToolBar1->widgetForAction(action)) {
            widget->setObjectName(QLatin1String(name));
            widget->setFixedSize(39, 38);
            if (auto *tool = qobject_cast<QToolButton *>(widget))
                tool->setAutoRaise(true);
        }
        return action;
    };
    const auto separator = [this] {
        QAction *s = ToolBar1->addSeparator();
        if (QWidget *w = ToolBar1->widgetForAction(s))
            w->setFixedWidth(8);
    };

    OpenButton1 = button("OpenButton1", ImageOpen, QStringLiteral("Open"), QStringLiteral("Open a DAT file to View"));
    separator();
    PrintButton = button("PrintButton", ImagePrint, QStringLiteral("Print"),
                         QStringLiteral("Prints the current view of the graph"));
    separator();
    ChangeViewButton = button("ChangeViewButton", ImageShowChart, QStringLiteral("Change View Button"),
                              QStringLiteral("Changes from spreadsheet to chart view"));
    separator();
    ExportButton = button("ExportButton", ImageExport, QStringLiteral("Export Button"),
                          QStringLiteral("Save the data log to a spreadsheet file"));
    separator();
    ExitButton = button("ExitButton", ImageExit, QStringLiteral("Exit"), QStringLiteral("Exits the program"));

    connectCommand(OpenButton1, [this] { OpenButtonClick(); });
    connectCommand(ExitButton, [this] { Exit1Click(); });
}

void TSorvantMainForm::buildPanels()
{
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto *layout = new QVBoxLayout(Panel1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(Panel1);

    m_spreadsheet = new SpreadsheetView(Panel1);
    StringGrid1 = m_spreadsheet->grid();
    layout->addWidget(StringGrid1, 1);

    MessagePanel = new QLabel(Panel1);
    MessagePanel->setObjectName(QStringLiteral("MessagePanel"));
    MessagePanel->setFixedHeight(20);
    MessagePanel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    MessagePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    MessagePanel->setTextFormat(Qt::PlainText);
    QFont bold(QStringLiteral("Arial"));
    bold.setPixelSize(13);
    bold.setBold(true);
    MessagePanel->setFont(bold);
    MessagePanel->setText(QStringLiteral(" Currently using 3 minute averaging"));
    layout->addWidget(MessagePanel);

    // The bar lies over the whole status panel while a load runs.
    ProgressBar1 = new QProgressBar(MessagePanel);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);
    auto *cover = new QVBoxLayout(MessagePanel);
    cover->setContentsMargins(0, 0, 0, 0);
    cover->addWidget(ProgressBar1);
    ProgressBar1->hide();
}

void TSorvantMainForm::buildViews()
{
    // The chart shares the spreadsheet's place, its page scroll bar below it;
    // both are hidden until the Change View button brings them forward.
    m_chartView = new ChartView(Panel1);
    Chart = m_chartView->chartWidget();
    ChartScrollBar1 = m_chartView->scrollBar();
    addToClientArea(Chart, 1);
    addToClientArea(ChartScrollBar1, 0);
    setChartTargets(nullptr, {});

    m_viewSwitcher = new ViewSwitcher(StringGrid1, m_chartView, ChangeViewButton, this);
    m_viewSwitcher->setImageProvider(&toolbarIcon);
    connectCommand(ChangeViewButton, [this] { m_viewSwitcher->SwitchViewsClick(); });
}

void TSorvantMainForm::addToClientArea(QWidget *widget, int stretch)
{
    auto *layout = static_cast<QVBoxLayout *>(Panel1->layout());
    layout->insertWidget(layout->indexOf(MessagePanel), widget, stretch);
}

void TSorvantMainForm::centreOnScreen()
{
    const QScreen *target = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!target)
        return;
    const QRect area = target->availableGeometry();
    QRect frame(QPoint(), size());
    frame.moveCenter(area.center());
    // On a screen smaller than the window, centring would push the caption
    // above the screen, out of reach of the mouse: keep the top-left corner in.
    frame.moveTopLeft(QPoint(std::max(frame.left(), area.left()), std::max(frame.top(), area.top())));
    move(frame.topLeft());
}

} // namespace sorvant
