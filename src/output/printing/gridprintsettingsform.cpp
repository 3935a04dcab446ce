#include "gridprintsettingsform.h"

#include "platform/dialoghost.h"
#include "platform/errortext.h"
#include "platform/usererror.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QValidator>

#include <algorithm>

namespace sorvant {

namespace {

// A length box: two decimals, arrows by 0.1 and page keys by 1.0 (ten
// steps), between 0 and 100 in either unit. A number beyond that cannot be
// typed, and a stored one beyond it shows as 100: the box always shows what
// is applied.
class LengthSpinBox : public QDoubleSpinBox
{
public:
    explicit LengthSpinBox(QWidget *parent) : QDoubleSpinBox(parent)
    {
        setDecimals(2);
        setSingleStep(0.1);
        setRange(0.0, GridPrintSettingsLogic::kLengthBoxMaximum);
        setAlignment(Qt::AlignRight);
    }
};

// Keeps a one-line text on one line: a pasted line break becomes a blank,
// as no line of the settings file could hold it.
class OneLineValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &cursor) const override
    {
        static const QRegularExpression lineBreaks(QStringLiteral("\\r\\n|[\\r\\n]"));
        if (input.contains(QLatin1Char('\n')) || input.contains(QLatin1Char('\r'))) {
            const QString before = input.left(cursor).replace(lineBreaks, QStringLiteral(" "));
            input = before + input.mid(cursor).replace(lineBreaks, QStringLiteral(" "));
            cursor = int(before.size());
        }
        return Acceptable;
    }
};

constexpr int kGroupX = 4;
constexpr int kGroupWidth = 257;
constexpr int kFieldX = 96;
constexpr int kFieldWidth = 153;
constexpr int kRowHeight = 21;

QStringList positionItems()
{
    return {QStringLiteral("(none)"),      QStringLiteral("Top Left"),     QStringLiteral("Top Right"),
            QStringLiteral("Top Center"),  QStringLiteral("Bottom Left"),  QStringLiteral("Bottom Right"),
            QStringLiteral("Bottom Center")};
}

QGroupBox *group(QWidget *page, const QString &title, int y, int height)
{
    auto *box = new QGroupBox(title, page);
    box->setGeometry(kGroupX, y, kGroupWidth, height);
    return box;
}

// A label with its access key, for the control to its right.
QLabel *label(QWidget *parent, const QString &text, int y, QWidget *buddy, int width = kFieldX - 10)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(8, y + 4, width, 13);
    l->setBuddy(buddy);
    return l;
}

QComboBox *list(QWidget *parent, const char *name, const QStringList &items, int y, int x = kFieldX,
                int width = kFieldWidth)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->addItems(items);
    combo->setGeometry(x, y, width, kRowHeight);
    return combo;
}

QLineEdit *lineEdit(QWidget *parent, const char *name, int y)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(kFieldX, y, kFieldWidth, kRowHeight);
    edit->setValidator(new OneLineValidator(edit));
    return edit;
}

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &text, int x, int y, int width)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(x, y, width, 17);
    return box;
}

void select(QComboBox *combo, int index) { combo->setCurrentIndex(index); }

} // namespace

TGridPrintSettingsForm::TGridPrintSettingsForm(DialogHost &dialogs, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("GridPrintSettingsForm"));
    setWindowTitle(QStringLiteral("Print Settings"));
    // Laid out for "MS Sans Serif" 8 pt at 96 dpi; where that face is
    // missing, faces of about its width keep the labels inside their places.
    QFont designed;
    designed.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Tahoma"),
                          QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    designed.setPixelSize(11);
    setFont(designed);
    setFixedSize(kClientWidth, kClientHeight);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setGeometry(0, 0, kClientWidth, kTabHeight);
    // Compact tabs, so all four fit side by side in the narrow window.
    m_pages->setUsesScrollButtons(false);
    m_pages->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 3px; }"));
    const char *titles[] = {"General", "Headers / Footers", "Margins", "Preferences"};
    for (std::size_t i = 0; i < m_pageWidgets.size(); ++i) {
        m_pageWidgets[i] = new QWidget;
        m_pages->addTab(m_pageWidgets[i], QString::fromLatin1(titles[i]));
    }
    buildGeneralPage();
    buildHeadersFootersPage();
    buildMarginsPage();
    buildPreferencesPage();

    // The button strip: OK 8 pixels left of the middle, Cancel 8 right of it.
    const int middle = kClientWidth / 2;
    const int buttonTop = kTabHeight + 8;
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OKBtn"));
    m_ok->setGeometry(middle - 8 - 75, buttonTop, 75, 25);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CancelBtn"));
    m_cancel->setGeometry(middle + 8, buttonTop, 75, 25);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject); // Esc rejects as well

    m_guard = [this](QWidget *parentWidget, const std::function<void()> &command) {
        try {
            command();
        } catch (const UserError &e) {
            m_dialogs.messageBox(parentWidget, errorDisplayText(e.text()), applicationTitle(), MessageButtons::Ok,
                                 MessageIcon::Error);
        }
    };
    setUnit(pdmm);
    setOptions(kAllPrintSettingsOptions);
}

TGridPrintSettingsForm::~TGridPrintSettingsForm() = default;

void TGridPrintSettingsForm::buildGeneralPage()
{
    QWidget *page = m_pageWidgets[0];
    m_bordersGroup = group(page, QStringLiteral("Borders:"), 4, 70);
    m_border = list(m_bordersGroup, "BorderList",
                    {QStringLiteral("(none)"), QStringLiteral("Single"), QStringLiteral("Double"),
                     QStringLiteral("Vertical"), QStringLiteral("Horizontal"), QStringLiteral("Around"),
                     QStringLiteral("Around Vertical"), QStringLiteral("Around Horizontal")},
                    16);
    label(m_bordersGroup, QStringLiteral("&Border:"), 16, m_border);
    m_borderStyle = list(m_bordersGroup, "BorderStyleList",
                         {QStringLiteral("Solid"), QStringLiteral("Dash"), QStringLiteral("Dot"),
                          QStringLiteral("Dash Dot"), QStringLiteral("Dash Dot Dot"), QStringLiteral("(none)")},
                         41);
    label(m_bordersGroup, QStringLiteral("Border &Style:"), 41, m_borderStyle);

    m_generalGroup = group(page, QStringLiteral("General:"), 78, 110);
    m_fitToPage = list(m_generalGroup, "FitToPageList",
                       {QStringLiteral("Never"), QStringLiteral("Grow to Fit"), QStringLiteral("Shrink to Fit"),
                        QStringLiteral("Always")},
                       16);
    label(m_generalGroup, QStringLiteral("Fit to &Page:"), 16, m_fitToPage);
    m_repeatCols = checkBox(m_generalGroup, "RepeatFixedColsBox", QStringLiteral("Repeat Fi&xed Columns"), 8, 44, 132);
    m_repeatRows = checkBox(m_generalGroup, "RepeatFixedRowsBox", QStringLiteral("Repeat Fixed Ro&ws"), 140, 44, 114);
    m_autoSizeCols = checkBox(m_generalGroup, "AutoSizeColumnsBox", QStringLiteral("&AutoSize Columns"), 8, 64, 126);
    m_autoSizeRows = checkBox(m_generalGroup, "AutoSizeRowsBox", QStringLiteral("AutoSize Rows"), 140, 64, 114);
    m_center = checkBox(m_generalGroup, "CenterOnPageBox", QStringLiteral("&Center on Page"), 8, 84, 126);
    m_graphics = checkBox(m_generalGroup, "PrintGraphicsBox", QStringLiteral("Print graphics"), 140, 84, 114);

    m_fontsGroup = group(page, QStringLiteral("Fonts:"), 192, 98);
    const char *fontTitles[] = {"Table Font", "Fixed Font", "Header Font", "Footer Font"};
    for (int i = 0; i < 4; ++i) {
        auto *button = new QPushButton(QString::fromLatin1(fontTitles[i]), m_fontsGroup);
        button->setGeometry(i % 2 == 0 ? 8 : 132, i < 2 ? 18 : 45, 117, 23);
        m_fontButtons[static_cast<std::size_t>(i)] = button;
        connect(button, &QPushButton::clicked, this, [this, i] { chooseFont(static_cast<PrintFontButton>(i)); });
    }
    m_displayFont = checkBox(m_fontsGroup, "UseDisplayFontBox", QStringLiteral("Use display font"), 8, 74, 160);

    for (QComboBox *combo : {m_border, m_borderStyle, m_fitToPage})
        connect(combo, &QComboBox::currentIndexChanged, this, &TGridPrintSettingsForm::controlChanged);
    for (QCheckBox *box : {m_repeatCols, m_repeatRows, m_autoSizeCols, m_autoSizeRows, m_center, m_graphics,
                           m_displayFont})
        connect(box, &QCheckBox::toggled, this, &TGridPrintSettingsForm::controlChanged);
}

void TGridPrintSettingsForm::buildHeadersFootersPage()
{
    QWidget *page = m_pageWidgets[1];
    m_dateGroup = group(page, QStringLiteral("Date / Time:"), 4, 92);
    m_datePosition = list(m_dateGroup, "DatePositionList", positionItems(), 16);
    label(m_dateGroup, QStringLiteral("&Date Position:"), 16, m_datePosition);
    m_dateFormat = lineEdit(m_dateGroup, "DateFormatEdit", 40);
    label(m_dateGroup, QStringLiteral("Date &Format:"), 40, m_dateFormat);
    m_timePosition = list(m_dateGroup, "TimePositionList", positionItems(), 64);
    label(m_dateGroup, QStringLiteral("&Time Position:"), 64, m_timePosition);

    m_titleGroup = group(page, QStringLiteral("Title:"), 100, 96);
    m_titlePosition = list(m_titleGroup, "TitlePositionList", positionItems(), 16);
    label(m_titleGroup, QStringLiteral("Title Po&sition:"), 16, m_titlePosition);
    m_titleText = new QPlainTextEdit(m_titleGroup);
    m_titleText->setObjectName(QStringLiteral("TitleTextEdit"));
    m_titleText->setGeometry(kFieldX, 40, kFieldWidth, 48);
    m_titleText->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_titleText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_titleText->setTabChangesFocus(true);
    label(m_titleGroup, QStringLiteral("Title Te&xt:"), 40, m_titleText);

    m_pagesGroup = group(page, QStringLiteral("Page Numbers:"), 200, 116);
    m_pagesPosition = list(m_pagesGroup, "PagesPositionList", positionItems(), 16);
    label(m_pagesGroup, QStringLiteral("&Pages Position:"), 16, m_pagesPosition);
    m_prefix = lineEdit(m_pagesGroup, "PrefixEdit", 40);
    label(m_pagesGroup, QStringLiteral("Pr&efix:"), 40, m_prefix);
    m_separator = lineEdit(m_pagesGroup, "SeparatorEdit", 64);
    label(m_pagesGroup, QStringLiteral("Sep&arator:"), 64, m_separator);
    m_suffix = lineEdit(m_pagesGroup, "SuffixEdit", 88);
    label(m_pagesGroup, QStringLiteral("S&uffix:"), 88, m_suffix);

    for (QComboBox *combo : {m_datePosition, m_timePosition, m_titlePosition, m_pagesPosition})
        connect(combo, &QComboBox::currentIndexChanged, this, &TGridPrintSettingsForm::controlChanged);
    for (QLineEdit *edit : {m_dateFormat, m_prefix, m_separator, m_suffix})
        connect(edit, &QLineEdit::textChanged, this, &TGridPrintSettingsForm::controlChanged);
    connect(m_titleText, &QPlainTextEdit::textChanged, this, &TGridPrintSettingsForm::controlChanged);
}

void TGridPrintSettingsForm::buildMarginsPage()
{
    QWidget *page = m_pageWidgets[2];
    m_marginsGroup = group(page, QStringLiteral("Margins:"), 4, 118);
    m_spacingGroup = group(page, QStringLiteral("Spacing:"), 126, 94);
    struct Row {
        const char *name;
        const char *caption;
        QGroupBox *box;
        int y;
    };
    const Row rows[PrintLengthBoxCount] = {
        {"TopMarginEdit", "&Top Margin :", m_marginsGroup, 16},
        {"LeftMarginEdit", "&Left Margin :", m_marginsGroup, 40},
        {"BottomMarginEdit", "&Bottom Margin :", m_marginsGroup, 64},
        {"RightMarginEdit", "&Right Margin :", m_marginsGroup, 88},
        {"RowSpacingEdit", "Row &Spacing :", m_spacingGroup, 16},
        {"ColumnSpacingEdit", "C&olumn Spacing :", m_spacingGroup, 40},
        {"TitleMarginEdit", "Title &Margin :", m_spacingGroup, 64},
    };
    for (std::size_t i = 0; i < m_lengths.size(); ++i) {
        auto *spin = new LengthSpinBox(rows[i].box);
        spin->setObjectName(QLatin1String(rows[i].name));
        spin->setGeometry(104, rows[i].y, 66, kRowHeight);
        label(rows[i].box, QString::fromLatin1(rows[i].caption), rows[i].y, spin, 94);
        auto *unit = new QLabel(rows[i].box);
        unit->setGeometry(174, rows[i].y + 4, 28, 13);
        m_lengths[i] = spin;
        m_unitLabels[i] = unit;
        connect(spin, &QDoubleSpinBox::textChanged, this, &TGridPrintSettingsForm::controlChanged);
    }
    m_mm = new QRadioButton(QStringLiteral("mm"), m_marginsGroup);
    m_mm->setGeometry(206, 16, 46, 17);
    m_inch = new QRadioButton(QStringLiteral("inch"), m_marginsGroup);
    m_inch->setGeometry(206, 40, 46, 17);
    auto *units = new QButtonGroup(this);
    units->addButton(m_mm);
    units->addButton(m_inch);
    connect(m_mm, &QRadioButton::clicked, this, [this] { unitChosen(pdmm); });
    connect(m_inch, &QRadioButton::clicked, this, [this] { unitChosen(pdinch); });

    m_orientationGroup = group(page, QStringLiteral("Orientation:"), 224, 48);
    m_orientation = list(m_orientationGroup, "OrientationList",
                         {QStringLiteral("Portrait"), QStringLiteral("Landscape")}, 16, 112, 137);
    label(m_orientationGroup, QStringLiteral("&Page Orientation:"), 16, m_orientation, 100);
    connect(m_orientation, &QComboBox::currentIndexChanged, this, &TGridPrintSettingsForm::controlChanged);
}

void TGridPrintSettingsForm::buildPreferencesPage()
{
    m_saveGroup = group(m_pageWidgets[3], QStringLiteral("Save settings"), 4, 56);
    m_load = new QPushButton(QStringLiteral("&Load settings"), m_saveGroup);
    m_load->setGeometry(8, 20, 117, 25);
    m_save = new QPushButton(QStringLiteral("&Save settings"), m_saveGroup);
    m_save->setGeometry(132, 20, 117, 25);
    connect(m_load, &QPushButton::clicked, this, [this] {
        runCommand([this] {
            m_logic.loadSettings(m_iniFile, m_section);
            showValues();
        });
    });
    connect(m_save, &QPushButton::clicked, this, [this] {
        runCommand([this] { m_logic.saveSettings(m_iniFile, m_section); });
    });
}

void TGridPrintSettingsForm::setOptions(unsigned options)
{
    const std::pair<QGroupBox *, unsigned> groups[] = {
        {m_bordersGroup, psBorders}, {m_generalGroup, psGeneral},   {m_fontsGroup, psFonts},
        {m_dateGroup, psDateTime},   {m_titleGroup, psTitle},       {m_pagesGroup, psPages},
        {m_marginsGroup, psMargins}, {m_spacingGroup, psSpacing},   {m_orientationGroup, psOrientation},
        {m_saveGroup, psSaveSettings},
    };
    for (const auto &[box, option] : groups)
        box->setEnabled((options & option) != 0);
    // The first page is always there; the others only with an enabled group.
    m_pages->setTabVisible(1, (options & (psDateTime | psTitle | psPages)) != 0);
    m_pages->setTabVisible(2, (options & (psMargins | psSpacing | psOrientation)) != 0);
    m_pages->setTabVisible(3, (options & psSaveSettings) != 0);
}

void TGridPrintSettingsForm::setUnit(TPrintDimensions unit)
{
    const QSignalBlocker blockMm(m_mm), blockInch(m_inch);
    (unit == pdinch ? m_inch : m_mm)->setChecked(true);
    m_logic.setUnit(unit);
    showLengths();
}

void TGridPrintSettingsForm::setIniFile(const QString &fileName, const QString &section)
{
    m_iniFile = fileName;
    m_section = section;
}

void TGridPrintSettingsForm::showValues()
{
    m_logic.showValues();
    const PrintSettingsControls &c = m_logic.controls();
    m_filling = true;
    select(m_border, c.border);
    select(m_borderStyle, c.borderStyle);
    select(m_fitToPage, c.fitToPage);
    m_repeatCols->setChecked(c.repeatFixedCols);
    m_repeatRows->setChecked(c.repeatFixedRows);
    m_autoSizeCols->setChecked(c.autoSizeColumns);
    m_autoSizeRows->setChecked(c.autoSizeRows);
    m_center->setChecked(c.centerOnPage);
    m_graphics->setChecked(c.printGraphics);
    m_displayFont->setChecked(c.useDisplayFont);
    select(m_datePosition, c.datePosition);
    m_dateFormat->setText(c.dateFormat);
    select(m_timePosition, c.timePosition);
    select(m_titlePosition, c.titlePosition);
    if (m_titleText->toPlainText() != c.titleText)
        m_titleText->setPlainText(c.titleText);
    select(m_pagesPosition, c.pagesPosition);
    m_prefix->setText(c.pagePrefix);
    m_separator->setText(c.pageSeparator);
    m_suffix->setText(c.pageSuffix);
    select(m_orientation, c.orientation);
    m_filling = false;
    showLengths();
    showEnabling();
}

void TGridPrintSettingsForm::showLengths()
{
    const PrintSettingsControls &c = m_logic.controls();
    const bool wasFilling = m_filling;
    m_filling = true;
    for (std::size_t i = 0; i < m_lengths.size(); ++i) {
        m_lengths[i]->setValue(m_lengths[i]->locale().toDouble(c.lengths[i]));
        m_unitLabels[i]->setText(m_logic.unitLabel());
    }
    m_filling = wasFilling;
}

void TGridPrintSettingsForm::showEnabling()
{
    const PrintSettingsEnabling e = m_logic.enabling();
    m_borderStyle->setEnabled(e.borderStyle);
    m_dateFormat->setEnabled(e.dateFormat);
    m_titleText->setEnabled(e.titleText);
    for (QLineEdit *edit : {m_prefix, m_separator, m_suffix})
        edit->setEnabled(e.pageTexts);
}

PrintSettingsControls TGridPrintSettingsForm::gatherControls() const
{
    PrintSettingsControls c;
    c.border = m_border->currentIndex();
    c.borderStyle = m_borderStyle->currentIndex();
    c.fitToPage = m_fitToPage->currentIndex();
    c.repeatFixedCols = m_repeatCols->isChecked();
    c.repeatFixedRows = m_repeatRows->isChecked();
    c.autoSizeColumns = m_autoSizeCols->isChecked();
    c.autoSizeRows = m_autoSizeRows->isChecked();
    c.centerOnPage = m_center->isChecked();
    c.printGraphics = m_graphics->isChecked();
    c.useDisplayFont = m_displayFont->isChecked();
    c.datePosition = m_datePosition->currentIndex();
    c.dateFormat = m_dateFormat->text();
    c.timePosition = m_timePosition->currentIndex();
    c.titlePosition = m_titlePosition->currentIndex();
    c.titleText = m_titleText->toPlainText();
    c.pagesPosition = m_pagesPosition->currentIndex();
    c.pagePrefix = m_prefix->text();
    c.pageSeparator = m_separator->text();
    c.pageSuffix = m_suffix->text();
    for (std::size_t i = 0; i < m_lengths.size(); ++i)
        c.lengths[i] = m_lengths[i]->text();
    c.orientation = m_orientation->currentIndex();
    return c;
}

void TGridPrintSettingsForm::controlChanged()
{
    if (m_filling)
        return;
    m_logic.controlsChanged(gatherControls());
    showEnabling();
}

void TGridPrintSettingsForm::unitChosen(TPrintDimensions unit)
{
    if (unit == m_logic.unit())
        return;
    m_logic.setUnit(unit);
    showLengths();
}

void TGridPrintSettingsForm::chooseFont(PrintFontButton button)
{
    if (!m_logic.settings())
        return;
    QFont font = m_logic.font(button).toQFont();
    if (m_dialogs.chooseFont(this, font))
        m_logic.fontChosen(button, font);
}

void TGridPrintSettingsForm::runCommand(const std::function<void()> &command)
{
    if (m_guard)
        m_guard(this, command);
    else
        command();
}

void TGridPrintSettingsForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    // The window's appearance applies the controls once.
    if (!m_filling)
        m_logic.apply();
}

} // namespace sorvant
