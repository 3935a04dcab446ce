#include "logdata/celltext.h"
#include "logdata/columns.h"

#include <gtest/gtest.h>

#include <climits>

using namespace sorvant;
using namespace sorvant::celltext;

TEST(CellText, TruncatedTenthsDropTheTenthTowardZero)
{
    const std::pair<int, const char *> cases[] = {
        {621, "62"}, {665, "66"}, {-105, "-10"}, {9, "0"}, {-9, "0"}, {-10, "-1"},
        {0, "0"},    {-100, "-10"}, {32767, "3276"}, {-32768, "-3276"},
    };
    for (const auto &[tenths, text] : cases)
        EXPECT_EQ(truncatedTenthsText(tenths), QLatin1String(text)) << tenths;
}

TEST(CellText, IntegersHaveNoPaddingOrSeparators)
{
    const std::pair<std::int64_t, const char *> cases[] = {
        {0, "0"},           {90, "90"}, {-32768, "-32768"}, {655350, "655350"}, {1000000, "1000000"},
        {INT64_MIN, "-9223372036854775808"},
    };
    for (const auto &[value, text] : cases)
        EXPECT_EQ(integerText(value), QLatin1String(text)) << value;
}

TEST(CellText, TenthsInGeneralNumberFormat)
{
    const CellTextFormat point(QLatin1Char('.'));
    const CellTextFormat comma(QLatin1Char(','));
    const std::tuple<unsigned, const char *, const char *> cases[] = {
        {215, "21.5", "21,5"}, {150, "15", "15"},     {5, "0.5", "0,5"},
        {0, "0", "0"},         {65535, "6553.5", "6553,5"}, {148, "14.8", "14,8"},
    };
    for (const auto &[tenths, withPoint, withComma] : cases) {
        EXPECT_EQ(tenthsText(tenths, point), QLatin1String(withPoint)) << tenths;
        EXPECT_EQ(tenthsText(tenths, comma), QLatin1String(withComma)) << tenths;
    }
}

TEST(CellText, TenthsAgreeWithAGeneralFormatterForEveryStoredValue)
{
    // The integer shortcut must give what the general number format (at most
    // 15 significant digits, no trailing zeros) gives for value * 0.1.
    const CellTextFormat point(QLatin1Char('.'));
    for (unsigned v = 0; v <= 65535; ++v) {
        const QString expected = QString::number(v * 0.1, 'g', 15);
        ASSERT_EQ(tenthsText(v, point), expected) << v;
    }
}

TEST(CellText, SeparatorOutsideAscii)
{
    // A separator of more than one UTF-8 byte (the Arabic decimal separator).
    const CellTextFormat arabic(QChar(0x066B));
    EXPECT_EQ(tenthsText(215, arabic), QStringLiteral("21") + QChar(0x066B) + QStringLiteral("5"));
}

TEST(CellText, TimeTexts)
{
    const std::tuple<unsigned, unsigned, const char *> cases[] = {
        {14, 5, "14:05"}, {9, 0, "9:00"},   {0, 10, "0:10"},    {9, 200, "9:200"},
        {9, 10, "9:10"},  {9, 9, "9:09"},   {200, 0, "200:00"}, {255, 255, "255:255"},
        {0, 0, "0:00"},
    };
    for (const auto &[hour, minute, text] : cases)
        EXPECT_EQ(timeText(hour, minute), QLatin1String(text)) << hour << ":" << minute;
}

TEST(Columns, HeadersTitlesAndStatusTexts)
{
    const char *headers[] = {"Record #",    "Wet Grain Temp", "Grain Temp Inside Dryer",
                             "Dried Grain Temp", "Moisture In", "Moisture Out",
                             "Unload Rate", "Time",           "Bin Number"};
    for (int c = 0; c < kColumnCount; ++c)
        EXPECT_EQ(columnHeader(c), QLatin1String(headers[c])) << c;
    const char *titles[] = {"Moisture In",    "Moisture Out",   "Grain Temp In",
                            "Grain Temp in Dryer", "Grain Temp Out", "Unload Rate"};
    for (int s = 0; s < kSeriesCount; ++s)
        EXPECT_EQ(seriesTitle(s), QLatin1String(titles[s])) << s;

    const std::pair<int, const char *> status[] = {
        {5, " Currently using 1 minute averaging"},  {15, " Currently using 3 minute averaging"},
        {25, " Currently using 5 minute averaging"}, {75, " Currently using 15 minute averaging"},
        {150, " Currently using 30 minute averaging"}, {0, "All Data Loaded"},
        {7, ""}, {-5, ""}, {1, ""},
    };
    for (const auto &[step, text] : status)
        EXPECT_EQ(statusTextForStep(step), QLatin1String(text)) << step;
}

TEST(Columns, NoLoadRunsWithAStepBelowOne)
{
    const std::pair<int, int> cases[] = {{0, 1}, {-1, 1}, {INT_MIN, 1}, {1, 1}, {25, 25}, {INT_MAX, INT_MAX}};
    for (const auto &[stored, used] : cases)
        EXPECT_EQ(effectiveStep(stored), used) << stored;
}
