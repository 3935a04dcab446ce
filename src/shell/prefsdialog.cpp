#include "prefsdialog.h"

#include "bevelpanel.h"
#include "designfont.h"
#include "logdata/columns.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>

#include <algorithm>

namespace sorvant {

const std::array<SampleStepButton, 5> kSampleStepButtons = {{
    {"RadioButton1", "1 minute averaging", 40, 113, 0, 5},
    {"RadioButton4", "3 minute averaging", 64, 113, 3, 15},
    {"RadioButton2", "5 minute averaging", 88, 113, 1, 25},
    {"RadioButton5", "15 minute averaging", 112, 129, 4, 75},
    {"RadioButton3", "30 minute averaging", 136, 129, 2, 150},
}};

namespace {

// "3 minute averaging" is selected as designed.
constexpr int kDesignedSelection = 1;

int screenIndexForTabOrder(int tabOrder)
{
    for (std::size_t i = 0; i < kSampleStepButtons.size(); ++i) {
        if (kSampleStepButtons[i].tabOrder == tabOrder)
            return static_cast<int>(i);
    }
    return kDesignedSelection;
}

QLabel *boldLabel(const QString &text, int left, int top, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(designFont(QStringLiteral("MS Sans Serif"), 11, true));
    label->adjustSize();
    label->move(left, top);
    return label;
}

} // namespace

QPoint placeInside(const QPoint &designed, const QSize &frameSize, const QRect &available)
{
    if (available.isEmpty())
        return designed;
    const int maxLeft = available.left() + available.width() - frameSize.width();
    const int maxTop = available.top() + available.height() - frameSize.height();
    // A window larger than the area keeps its top-left corner, and so its
    // title bar, inside it.
    const int left = std::max(available.left(), std::min(designed.x(), maxLeft));
    const int top = std::max(available.top(), std::min(designed.y(), maxTop));
    return {left, top};
}

TForm3::TForm3(PreferencesHost &host, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_host(host)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Preferences"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(designFont(QStringLiteral("MS Sans Serif"), 11));
    setFixedSize(kClientSize);
    move(kDesignedPosition);

    auto *panel1 = new BevelPanel(BevelPanel::Bevel::Raised, BevelPanel::Bevel::Lowered, 0, this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setGeometry(0, 0, kClientSize.width(), kClientSize.height());

    auto *panel2 = new BevelPanel(BevelPanel::Bevel::Raised, BevelPanel::Bevel::Lowered, 0, panel1);
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setGeometry(8, 8, 153, 161);
    // The buttons carry no tooltip of their own, so this one shows anywhere
    // on the group.
    panel2->setToolTip(QStringLiteral("Select the sample rate then reload your data log into the Sorvant"));
    boldLabel(QStringLiteral("Select the sampling "), 16, 8, panel2)->setObjectName(QStringLiteral("Label1"));
    boldLabel(QStringLiteral("rate of the data file"), 16, 24, panel2)->setObjectName(QStringLiteral("Label2"));

    for (std::size_t i = 0; i < kSampleStepButtons.size(); ++i) {
        const SampleStepButton &row = kSampleStepButtons[i];
        auto *button = new QRadioButton(QString::fromLatin1(row.caption), panel2);
        button->setObjectName(QString::fromLatin1(row.name));
        button->setGeometry(19, row.top, row.width, 17);
        button->installEventFilter(this);
        const int screenIndex = static_cast<int>(i);
        connect(button, &QRadioButton::clicked, this, [this, screenIndex] { selectStep(screenIndex); });
        m_stepButtons[i] = button;
    }

    auto *panel3 = new BevelPanel(BevelPanel::Bevel::Raised, BevelPanel::Bevel::Lowered, 0, panel1);
    panel3->setObjectName(QStringLiteral("Panel3"));
    panel3->setGeometry(168, 8, 153, 161);
    boldLabel(QStringLiteral("Graph Setup"), 41, 16, panel3)->setObjectName(QStringLiteral("Label3"));
    m_showMarkers = new QCheckBox(QStringLiteral("Show Markers"), panel3);
    m_showMarkers->setObjectName(QStringLiteral("ShowMarkersCheckbox"));
    m_showMarkers->setGeometry(19, 55, 97, 17);
    connect(m_showMarkers, &QCheckBox::toggled, this, &TForm3::ShowMarkersCheckboxClick);
    m_show3d = new QCheckBox(QStringLiteral("View Chart in 3D"), panel3);
    m_show3d->setObjectName(QStringLiteral("Show3dCheckBox1"));
    m_show3d->setGeometry(19, 106, 111, 17);
    // Only the user's clicks: the handler sets the box itself.
    connect(m_show3d, &QCheckBox::clicked, this, &TForm3::Show3dCheckBox1Click);

    m_button1 = new QPushButton(QStringLiteral("OK"), panel1);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button1->setGeometry(128, 200, 75, 25);
    // Enter presses it only while it has the focus; it is no default button
    // and Escape does nothing here.
    m_button1->setAutoDefault(true);
    m_button1->setDefault(false);
    connect(m_button1, &QPushButton::clicked, this, &TForm3::Button1Click);

    // Tab order: OK, the sampling steps (1, 5, 30, 3, 15 minutes), then the
    // chart group.
    QWidget *previous = m_button1;
    for (int t = 0; t < static_cast<int>(kSampleStepButtons.size()); ++t) {
        QWidget *next = m_stepButtons[static_cast<std::size_t>(screenIndexForTabOrder(t))];
        setTabOrder(previous, next);
        previous = next;
    }
    setTabOrder(previous, m_showMarkers);
    setTabOrder(m_showMarkers, m_show3d);

    // The stored step picks the button; any other value keeps the designed
    // one. This is no user selection: the flag and the status stay as they are.
    int initial = kDesignedSelection;
    for (std::size_t i = 0; i < kSampleStepButtons.size(); ++i) {
        if (kSampleStepButtons[i].sampleInterval == m_host.sampleInterval())
            initial = static_cast<int>(i);
    }
    showSelection(initial);
    m_button1->setFocus();
}

TForm3::~TForm3() = default;

void TForm3::showPreferences()
{
    if (!windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (!m_placed) {
        moveOnScreen();
        m_placed = true;
    }
    show();
    raise();
    activateWindow();
}

void TForm3::moveOnScreen()
{
    QScreen *screen = QGuiApplication::screenAt(kDesignedPosition);
    if (!screen && parentWidget())
        screen = parentWidget()->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(placeInside(kDesignedPosition, frameGeometry().size(), screen->availableGeometry()));
}

void TForm3::showSelection(int screenIndex)
{
    m_selected = screenIndex;
    for (std::size_t i = 0; i < m_stepButtons.size(); ++i) {
        QRadioButton *button = m_stepButtons[i];
        const bool selected = static_cast<int>(i) == screenIndex;
        if (selected)
            button->setChecked(true);
        // Only the selected step is a tab stop.
        button->setFocusPolicy(selected ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

void TForm3::selectStep(int screenIndex)
{
    if (screenIndex < 0 || screenIndex >= static_cast<int>(kSampleStepButtons.size()))
        return;
    if (screenIndex == m_selected) {
        // A click keeps an exclusive button checked; nothing else happens.
        m_stepButtons[static_cast<std::size_t>(screenIndex)]->setChecked(true);
        return;
    }
    const int step = kSampleStepButtons[static_cast<std::size_t>(screenIndex)].sampleInterval;
    m_host.setSampleInterval(step);
    showSelection(screenIndex);
    m_host.setStatusText(statusTextForStep(step));
    m_intervalChanged = true;
}

int TForm3::screenIndexOf(const QObject *button) const
{
    for (std::size_t i = 0; i < m_stepButtons.size(); ++i) {
        if (m_stepButtons[i] == button)
            return static_cast<int>(i);
    }
    return -1;
}

void TForm3::selectByName(const char *name)
{
    for (std::size_t i = 0; i < kSampleStepButtons.size(); ++i) {
        if (qstrcmp(kSampleStepButtons[i].name, name) == 0)
            selectStep(static_cast<int>(i));
    }
}

void TForm3::RadioButton1Click() { selectByName("RadioButton1"); }
void TForm3::RadioButton2Click() { selectByName("RadioButton2"); }
void TForm3::RadioButton3Click() { selectByName("RadioButton3"); }
void TForm3::RadioButton4Click() { selectByName("RadioButton4"); }
void TForm3::RadioButton5Click() { selectByName("RadioButton5"); }

bool TForm3::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int screenIndex = screenIndexOf(watched);
        if (screenIndex >= 0) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            int move = 0;
            if (key == Qt::Key_Down || key == Qt::Key_Right)
                move = 1;
            else if (key == Qt::Key_Up || key == Qt::Key_Left)
                move = -1;
            if (move != 0) {
                // The arrows walk the group in tab order, not screen order,
                // and select the step they reach.
                const int count = static_cast<int>(kSampleStepButtons.size());
                const int tab = kSampleStepButtons[static_cast<std::size_t>(screenIndex)].tabOrder;
                const int target = screenIndexForTabOrder((tab + move + count) % count);
                selectStep(target);
                m_stepButtons[static_cast<std::size_t>(target)]->setFocus(Qt::OtherFocusReason);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm3::Button1Click()
{
    // However the reload ends, the flag is cleared and the dialog hides.
    struct Finish {
        TForm3 *form;
        ~Finish()
        {
            form->m_intervalChanged = false;
            form->hide();
        }
    } finish{this};
    if (m_intervalChanged && !m_host.currentFile().isEmpty())
        m_host.reloadCurrentLog();
}

void TForm3::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void TForm3::ShowMarkersCheckboxClick(bool checked)
{
    m_host.setMarkersVisible(checked);
}

void TForm3::Show3dCheckBox1Click()
{
    // The chart's state decides, not the box.
    const bool view3D = !m_host.isView3D();
    m_host.setView3D(view3D);
    const QSignalBlocker block(m_show3d);
    m_show3d->setChecked(view3D);
}

} // namespace sorvant
