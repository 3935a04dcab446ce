#pragma once

#include "printsettings.h"

#include <QFont>
#include <QLocale>
#include <QString>

#include <array>
#include <optional>

namespace sorvant {

// The groups of controls a print settings dialog offers; each enables one
// group box.
enum TPrintSettingsOption : unsigned {
    psBorders = 1u << 0,
    psGeneral = 1u << 1,
    psFonts = 1u << 2,
    psDateTime = 1u << 3,
    psTitle = 1u << 4,
    psPages = 1u << 5,
    psMargins = 1u << 6,
    psSpacing = 1u << 7,
    psOrientation = 1u << 8,
    psSaveSettings = 1u << 9,
};
constexpr unsigned kAllPrintSettingsOptions = (1u << 10) - 1;

// The unit the length boxes show.
enum TPrintDimensions : int { pdmm = 0, pdinch = 1 };

// The seven length boxes, in their order on the "Margins" page.
enum PrintLengthBox : int {
    TopMarginBox,
    LeftMarginBox,
    BottomMarginBox,
    RightMarginBox,
    RowSpacingBox,
    ColumnSpacingBox,
    TitleMarginBox,
    PrintLengthBoxCount
};

// The four font buttons.
enum PrintFontButton : int { TableFontButton, FixedFontButton, HeaderFontButton, FooterFontButton };

// What the dialog's controls hold. A list selection is the item index, -1
// for no selection (a stored value the list does not offer).
struct PrintSettingsControls {
    int border = -1;
    int borderStyle = -1;
    int fitToPage = -1;
    bool repeatFixedCols = false;
    bool repeatFixedRows = false;
    bool autoSizeColumns = false; // ticked when NoAutoSize is off
    bool autoSizeRows = false;    // ticked when NoAutoSizeRow is off
    bool centerOnPage = false;
    bool printGraphics = false;
    bool useDisplayFont = false;
    int datePosition = -1;
    QString dateFormat;
    int timePosition = -1;
    int titlePosition = -1;
    QString titleText; // the title lines, one per line of the text
    int pagesPosition = -1;
    QString pagePrefix;
    QString pageSeparator;
    QString pageSuffix;
    std::array<QString, PrintLengthBoxCount> lengths; // the boxes' texts, without the unit
    int orientation = -1;
};

// Which of the dependent controls are enabled.
struct PrintSettingsEnabling {
    bool borderStyle = true;
    bool dateFormat = true;
    bool titleText = true;
    bool pageTexts = true; // prefix, separator and suffix
};

// The logic of the print settings dialog, without any widget: it puts a
// PrintSettings record into the controls' values and takes the controls back
// into the record. The dialog window only binds its controls to this, so
// tests drive it without showing anything.
class GridPrintSettingsLogic
{
public:
    // Items of the lists, in order: item i stands for value i.
    static constexpr int kBorderItems = 8;      // "(none)" .. "Around Horizontal"
    static constexpr int kBorderStyleItems = 6; // "Solid" .. "(none)"
    static constexpr int kFitToPageItems = 4;   // "Never" .. "Always"
    static constexpr int kPositionItems = 7;    // "(none)" .. "Bottom Center"
    static constexpr int kOrientationItems = 2; // "Portrait", "Landscape"

    // The largest number a length box shows and takes, in either unit.
    static constexpr double kLengthBoxMaximum = 100.0;

    // `locale` gives the decimal separator of the length boxes.
    explicit GridPrintSettingsLogic(const QLocale &locale = QLocale());

    // The record the controls edit; it must outlive its use here.
    void setSettings(PrintSettings *settings) { m_settings = settings; }
    PrintSettings *settings() const { return m_settings; }

    const PrintSettingsControls &controls() const { return m_controls; }
    PrintSettingsEnabling enabling() const;

    TPrintDimensions unit() const { return m_unit; }
    QString unitLabel() const;
    // Shows the seven lengths again in `unit`; applies nothing, so the
    // record keeps its lengths until the next change takes them back.
    void setUnit(TPrintDimensions unit);

    // Puts the record into the controls without applying anything; a
    // one-line TitleText is moved into TitleLines first.
    void showValues();
    // Takes every control except the fonts into the record.
    void apply();
    // A change the user made in one or more controls: takes them and applies.
    void controlsChanged(const PrintSettingsControls &controls);

    TPrintFont &font(PrintFontButton button);
    // A font the user confirmed in the font dialog replaces that font (its
    // colour stays); then the controls are applied.
    void fontChosen(PrintFontButton button, const QFont &chosen);

    // The "&Save settings" and "&Load settings" buttons. Saving throws a
    // UserError "Unable to write to <fileName>" at the first refused key;
    // loading shows the loaded values and applies them, and throws a
    // UserError, changing nothing, when the file exists but cannot be read.
    void saveSettings(const QString &fileName, const QString &section);
    void loadSettings(const QString &fileName, const QString &section);

    // A length in tenths of a millimetre as a box shows it in the current
    // unit (at most kLengthBoxMaximum), and a box's text taken back (nothing
    // when the box is to be ignored: empty, negative, or above
    // kLengthBoxMaximum, which no box shows).
    QString lengthText(int tenthsOfMm) const;
    std::optional<int> lengthFromText(PrintLengthBox box, const QString &text) const;

private:
    int &lengthField(PrintLengthBox box);
    void showLengths();

    QLocale m_locale;
    PrintSettings *m_settings = nullptr;
    PrintSettingsControls m_controls;
    TPrintDimensions m_unit = pdmm;
};

} // namespace sorvant
