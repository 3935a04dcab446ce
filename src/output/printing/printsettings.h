#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

#include <cstdint>

class QFont;
class QPalette;

namespace sorvant {

// Where a header or footer item goes. 1..3 are the top slots, 4..6 the bottom.
// The numbers are stored in the print settings file.
enum TPrintPosition : int {
    ppNone = 0,
    ppTopLeft = 1,
    ppTopRight = 2,
    ppTopCenter = 3,
    ppBottomLeft = 4,
    ppBottomRight = 5,
    ppBottomCenter = 6,
};

// Which cell lines a printout draws.
enum TPrintBorders : int {
    pbNoborder = 0,
    pbSingle = 1,
    pbDouble = 2,
    pbVertical = 3,
    pbHorizontal = 4,
    pbAround = 5,
    pbAroundVertical = 6,
    pbAroundHorizontal = 7,
    pbCustom = 8,
};

// How the columns and fonts are scaled to the page width.
enum TFitToPage : int {
    fpNever = 0,
    fpGrow = 1,
    fpShrink = 2,
    fpAlways = 3,
    fpCustom = 4,
};

// Dash pattern of every printed line.
enum TPrintPenStyle : int {
    psSolid = 0,
    psDash = 1,
    psDot = 2,
    psDashDot = 3,
    psDashDotDot = 4,
    psClear = 5,       // no line at all
    psInsideFrame = 6, // drawn as solid
};

enum TPrinterOrientation : int {
    poPortrait = 0,
    poLandscape = 1,
};

// A colour as the settings file stores it: red + 256 × green + 65536 × blue,
// or, with the top bit set, one of the desktop's system colours by number
// (8 is the window-text colour), resolved only when something is drawn.
using ColorCode = std::int32_t;
constexpr ColorCode clWindowText = static_cast<ColorCode>(0x80000008u); // -2147483640
constexpr ColorCode clWindow = static_cast<ColorCode>(0x80000005u);
constexpr ColorCode clBtnFace = static_cast<ColorCode>(0x8000000Fu);
constexpr ColorCode clBlack = 0;

// The colour a code stands for; system colours come from `palette`.
QColor colorFromCode(ColorCode code, const QPalette &palette);
// The code of a plain colour (alpha dropped).
ColorCode codeFromColor(const QColor &colour);

// A printer font: face, size in whole points, colour and style.
struct TPrintFont {
    QString Name = QStringLiteral("MS Sans Serif");
    int Size = 8; // points
    ColorCode Color = clWindowText;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;

    // 1 bold, 2 italic, 4 underline, 8 strikeout.
    int styleBits() const;
    void setStyleBits(int bits);

    // The face and style as a QFont of `Size` points (no colour).
    QFont toQFont() const;
    // Face, whole point size and style taken from `font`; the colour stays.
    void assignFont(const QFont &font);

    friend bool operator==(const TPrintFont &a, const TPrintFont &b);
    friend bool operator!=(const TPrintFont &a, const TPrintFont &b) { return !(a == b); }
};

// Everything that shapes the printout of a grid. Lengths are whole tenths of
// a millimetre. A default-constructed record holds the values the program
// starts every run with.
struct PrintSettings {
    int FooterSize = 0; // bottom margin
    int HeaderSize = 0; // top margin
    TPrintPosition Time = ppNone;
    TPrintPosition Date = ppNone;
    QString DateFormat = QStringLiteral("dd/mm/yyyy");
    TPrintPosition PageNr = ppNone;
    TPrintPosition Title = ppNone;
    QString TitleText;      // one-line title, used instead of TitleLines when not empty
    QStringList TitleLines; // title of one or more lines
    TPrintFont Font;        // table font; sets the gap unit
    TPrintFont FixedFont;   // fixed cells when UseDisplayFont is off
    TPrintFont HeaderFont;  // top slots
    TPrintFont FooterFont;  // bottom slots
    TPrintBorders Borders = pbSingle;
    TPrintPenStyle BorderStyle = psSolid;
    bool Centered = true;
    bool RepeatFixedRows = false;
    bool RepeatFixedCols = false;
    int LeftSize = 0;
    int RightSize = 0;
    int ColumnSpacing = 0; // on top of a fixed 2 mm
    int RowSpacing = 0;
    int TitleSpacing = 0;
    TPrinterOrientation Orientation = poPortrait;
    QString PagePrefix;
    QString PageSuffix;
    int PageNumberOffset = 0;
    int MaxPagesOffset = 0;
    int FixedWidth = 0;
    int FixedHeight = 0;
    bool UseFixedHeight = false;
    bool UseFixedWidth = false;
    TFitToPage FitToPage = fpNever;
    QString JobName;
    QString PageNumSep = QStringLiteral("/");
    bool NoAutoSize = false;
    bool NoAutoSizeRow = false;
    bool PrintGraphics = false;
    bool UseDisplayFont = true;
    bool UseDefaultOrientation = false;

    friend bool operator==(const PrintSettings &a, const PrintSettings &b);
    friend bool operator!=(const PrintSettings &a, const PrintSettings &b) { return !(a == b); }
};

// What a page can use: no margin, spacing or fixed size beyond a metre, and
// font sizes a printer can draw. Larger numbers (from a hand-edited file)
// would only push every row or column off the page, or overflow the layout.
constexpr int kMaxPrintLength = 10000; // tenths of a millimetre
constexpr int kMinPrintFontSize = 1;   // points
constexpr int kMaxPrintFontSize = 1638;

// Every length of `settings` within 0 to kMaxPrintLength (a negative margin
// or spacing counts as none) and every font size within kMinPrintFontSize to
// kMaxPrintFontSize.
void boundPrintSettings(PrintSettings &settings);
int boundedPrintLength(int tenths);
int boundedFontSize(int points);

} // namespace sorvant
