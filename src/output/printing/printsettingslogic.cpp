#include "printsettingslogic.h"

#include "platform/usererror.h"
#include "printsettingsfile.h"

#include <algorithm>
#include <cmath>

namespace sorvant {

namespace {

// Tenths of a millimetre in one unit of the boxes.
int tenthsPerUnit(TPrintDimensions unit) { return unit == pdinch ? 254 : 10; }

// The list index of a stored value; -1 when the list does not offer it.
int itemOf(int value, int itemCount) { return value >= 0 && value < itemCount ? value : -1; }

// A list selection into its field; no selection leaves the field alone, so
// a value the list does not offer is kept as it is.
template <typename Enum>
void takeItem(int index, Enum &field)
{
    if (index >= 0)
        field = static_cast<Enum>(index);
}

// n / 100 rounded to the nearest whole number, a half going to the even one.
long long divideBy100HalfEven(long long n)
{
    long long q = n / 100;
    const long long r = n % 100;
    if (r > 50 || (r == 50 && (q % 2) != 0))
        ++q;
    return q;
}

} // namespace


GridPrintSettingsLogic::GridPrintSettingsLogic(const QLocale &locale) : m_locale(locale)
{
    m_locale.setNumberOptions(QLocale::OmitGroupSeparator);
}

PrintSettingsEnabling GridPrintSettingsLogic::enabling() const
{
    PrintSettingsEnabling e;
    e.borderStyle = m_controls.border != pbNoborder;
    e.dateFormat = m_controls.datePosition != ppNone;
    e.titleText = m_controls.titlePosition != ppNone;
    e.pageTexts = m_controls.pagesPosition != ppNone;
    return e;
}

QString GridPrintSettingsLogic::unitLabel() const
{
    return m_unit == pdinch ? QStringLiteral("inch") : QStringLiteral("mm");
}

void GridPrintSettingsLogic::setUnit(TPrintDimensions unit)
{
    m_unit = unit;
    showLengths();
}

int &GridPrintSettingsLogic::lengthField(PrintLengthBox box)
{
    PrintSettings &s = *m_settings;
    switch (box) {
    case TopMarginBox: return s.HeaderSize;
    case LeftMarginBox: return s.LeftSize;
    case BottomMarginBox: return s.FooterSize;
    case RightMarginBox: return s.RightSize;
    case RowSpacingBox: return s.RowSpacing;
    case ColumnSpacingBox: return s.ColumnSpacing;
    case TitleMarginBox:
    case PrintLengthBoxCount: break;
    }
    return s.TitleSpacing;
}

QString GridPrintSettingsLogic::lengthText(int tenthsOfMm) const
{
    // A box shows no more than it can hold, and what it shows is applied.
    const double shown = std::clamp(double(tenthsOfMm) / tenthsPerUnit(m_unit), 0.0, kLengthBoxMaximum);
    return m_locale.toString(shown, 'f', 2);
}

std::optional<int> GridPrintSettingsLogic::lengthFromText(PrintLengthBox, const QString &text) const
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    double value = m_locale.toDouble(t, &ok);
    if (!ok)
        value = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(value))
        value = 0; // not a number counts as 0
    if (value < 0 || value > kLengthBoxMaximum)
        return std::nullopt;
    // The box holds two decimals; Round(number × unit) on exactly those.
    const long long hundredths = std::llround(value * 100);
    return static_cast<int>(divideBy100HalfEven(hundredths * tenthsPerUnit(m_unit)));
}

void GridPrintSettingsLogic::showLengths()
{
    if (!m_settings)
        return;
    for (int b = 0; b < PrintLengthBoxCount; ++b) {
        const auto box = static_cast<PrintLengthBox>(b);
        m_controls.lengths[static_cast<std::size_t>(b)] = lengthText(lengthField(box));
    }
}

void GridPrintSettingsLogic::showValues()
{
    if (!m_settings)
        return;
    PrintSettings &s = *m_settings;
    if (!s.TitleText.isEmpty()) {
        s.TitleLines = printsettingsfile::splitLines(s.TitleText);
        s.TitleText.clear();
    }
    PrintSettingsControls &c = m_controls;
    c.border = itemOf(s.Borders, kBorderItems);
    c.borderStyle = itemOf(s.BorderStyle, kBorderStyleItems);
    c.fitToPage = itemOf(s.FitToPage, kFitToPageItems);
    c.repeatFixedCols = s.RepeatFixedCols;
    c.repeatFixedRows = s.RepeatFixedRows;
    c.autoSizeColumns = !s.NoAutoSize;
    c.autoSizeRows = !s.NoAutoSizeRow;
    c.centerOnPage = s.Centered;
    c.printGraphics = s.PrintGraphics;
    c.useDisplayFont = s.UseDisplayFont;
    c.datePosition = itemOf(s.Date, kPositionItems);
    c.dateFormat = s.DateFormat;
    c.timePosition = itemOf(s.Time, kPositionItems);
    c.titlePosition = itemOf(s.Title, kPositionItems);
    c.titleText = s.TitleLines.isEmpty() ? QString() : s.TitleLines.join(QLatin1Char('\n'));
    c.pagesPosition = itemOf(s.PageNr, kPositionItems);
    c.pagePrefix = s.PagePrefix;
    c.pageSeparator = s.PageNumSep;
    c.pageSuffix = s.PageSuffix;
    c.orientation = itemOf(s.Orientation, kOrientationItems);
    showLengths();
}

void GridPrintSettingsLogic::apply()
{
    if (!m_settings)
        return;
    PrintSettings &s = *m_settings;
    const PrintSettingsControls &c = m_controls;
    takeItem(c.border, s.Borders);
    takeItem(c.borderStyle, s.BorderStyle);
    takeItem(c.fitToPage, s.FitToPage);
    s.RepeatFixedCols = c.repeatFixedCols;
    s.RepeatFixedRows = c.repeatFixedRows;
    s.NoAutoSize = !c.autoSizeColumns;
    s.NoAutoSizeRow = !c.autoSizeRows;
    s.Centered = c.centerOnPage;
    s.PrintGraphics = c.printGraphics;
    s.UseDisplayFont = c.useDisplayFont;
    takeItem(c.datePosition, s.Date);
    s.DateFormat = c.dateFormat;
    takeItem(c.timePosition, s.Time);
    takeItem(c.titlePosition, s.Title);
    s.TitleLines = printsettingsfile::splitLines(c.titleText);
    takeItem(c.pagesPosition, s.PageNr);
    s.PagePrefix = c.pagePrefix;
    s.PageNumSep = c.pageSeparator;
    s.PageSuffix = c.pageSuffix;
    takeItem(c.orientation, s.Orientation);
    for (int b = 0; b < PrintLengthBoxCount; ++b) {
        const auto box = static_cast<PrintLengthBox>(b);
        if (const auto tenths = lengthFromText(box, c.lengths[static_cast<std::size_t>(b)]))
            lengthField(box) = *tenths;
    }
}

void GridPrintSettingsLogic::controlsChanged(const PrintSettingsControls &controls)
{
    m_controls = controls;
    apply();
}

TPrintFont &GridPrintSettingsLogic::font(PrintFontButton button)
{
    PrintSettings &s = *m_settings;
    switch (button) {
    case TableFontButton: return s.Font;
    case FixedFontButton: return s.FixedFont;
    case HeaderFontButton: return s.HeaderFont;
    case FooterFontButton: break;
    }
    return s.FooterFont;
}

void GridPrintSettingsLogic::fontChosen(PrintFontButton button, const QFont &chosen)
{
    if (!m_settings)
        return;
    font(button).assignFont(chosen);
    apply();
}

void GridPrintSettingsLogic::saveSettings(const QString &fileName, const QString &section)
{
    if (!m_settings)
        return;
    if (!SavePrintSettings(*m_settings, fileName, section))
        throw UserError(QStringLiteral("Unable to write to %1").arg(fileName));
}

void GridPrintSettingsLogic::loadSettings(const QString &fileName, const QString &section)
{
    if (!m_settings)
        return;
    QString error;
    if (!LoadPrintSettings(*m_settings, fileName, section, &error))
        throw UserError(error);
    showValues();
    apply();
}

} // namespace sorvant
