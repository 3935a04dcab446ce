#include "aboutbox.h"

#include "bevelpanel.h"
#include "designfont.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

static void initSorvantIcons()
{
    // The icons live in a static library: its resources must be registered
    // by name, or the linker may drop them.
    Q_INIT_RESOURCE(sorvanticons);
}

namespace sorvant {

namespace {

struct LabelSpec {
    const char *name;
    int left;
    int top;
    const char *family;
    int pixelSize;
    bool bold;
    QRgb colour; // 0 for the window-text colour
};

constexpr QRgb kTeal = 0x008080;
constexpr QRgb kMaroon = 0x800000;
constexpr QRgb kNavy = 0x000080;
constexpr QRgb kPurple = 0x800080;

QLabel *addLabel(const LabelSpec &spec, const QString &text, QWidget *panel)
{
    auto *label = new QLabel(text, panel);
    label->setObjectName(QString::fromLatin1(spec.name));
    label->setFont(designFont(QString::fromLatin1(spec.family), spec.pixelSize, spec.bold));
    // On the button-face panel a label would take the button-text colour.
    label->setForegroundRole(QPalette::WindowText);
    if (spec.colour != 0) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor::fromRgb(spec.colour));
        label->setPalette(palette);
    }
    label->adjustSize();
    label->move(spec.left, spec.top);
    return label;
}

} // namespace

QIcon sorvantIcon()
{
    initSorvantIcons();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/sorvant/icons/sorvant-%1.png").arg(size), QSize(size, size));
    return icon;
}

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Sorvant"));
    setModal(false);
    setAttribute(Qt::WA_QuitOnClose, false);
    const QIcon icon = sorvantIcon();
    setWindowIcon(icon);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setFont(designFont(QStringLiteral("MS Sans Serif"), 11));
    setFixedSize(kClientSize);
    if (QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        QRect centred(QPoint(), kClientSize);
        centred.moveCenter(screen->geometry().center());
        move(centred.topLeft());
    }

    auto *panel = new BevelPanel(BevelPanel::Bevel::Lowered, BevelPanel::Bevel::Raised, 5, this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(9, 6, 281, 188);

    auto *programIcon = new QLabel(panel);
    programIcon->setObjectName(QStringLiteral("ProgramIcon"));
    programIcon->setGeometry(33, 23, 41, 41);
    programIcon->setScaledContents(true);
    programIcon->setPixmap(icon.pixmap(QSize(48, 48)));

    addLabel({"ProductName", 81, 27, "MS Sans Serif", 16, true, kTeal}, QStringLiteral("Dryer Data Sorvant"), panel);
    addLabel({"Label1", 100, 53, "Arial", 11, false, 0}, QStringLiteral("Version"), panel);
    addLabel({"Version", 141, 53, "Arial", 11, false, 0}, QStringLiteral("1.2"), panel);
    addLabel({"Label7", 169, 53, "Arial", 11, false, 0}, QStringLiteral("Build 163"), panel);
    addLabel({"Description", 18, 75, "Nimrod", 12, true, kMaroon},
             QStringLiteral("Data analyzer for Veskor and Pramil+ Dryers"), panel);
    addLabel({"Copyright", 56, 111, "Arial", 12, false, kNavy}, QStringLiteral("\u00A9 2026 the Sorvant developers"),
             panel);
    addLabel({"Comments", 96, 127, "Arial", 12, false, kNavy}, QStringLiteral("Built with Qt 6"), panel);
    addLabel({"Label4", 93, 142, "Book Antiqua", 11, false, kPurple}, QStringLiteral("Programming by "), panel);
    addLabel({"Label5", 92, 159, "Arial", 15, true, 0}, QStringLiteral("the Sorvant team"), panel);

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("OKButton"));
    m_okButton->setGeometry(111, 213, 75, 24);
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::showAbout()
{
    show();
    raise();
    activateWindow();
}

void TAboutBox::OKButtonClick()
{
    hide();
}

} // namespace sorvant
