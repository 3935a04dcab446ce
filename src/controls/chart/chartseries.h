#pragma once

#include <QPointF>
#include <QString>

#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

// The points of one line series: X, Y, a text label and an optional colour.
// Stored column by column, labels packed in one buffer, so 144,000 points take
// about 3 MB and a Clear() keeps the memory for the next load.
class ChartSeries
{
public:
    // The point has no colour of its own; the series' colour applies.
    static constexpr std::uint32_t kNoColour = 0x20000000u;

    ChartSeries() = default;
    explicit ChartSeries(const QString &title) : m_title(title) {}

    const QString &title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    // 0xRRGGBB colour of the line.
    std::uint32_t colour() const { return m_colour; }
    void setColour(std::uint32_t rgb) { m_colour = rgb; }

    void Clear();
    void AddXY(double x, double y, std::string_view labelUtf8, std::uint32_t colour = kNoColour);
    void AddXY(double x, double y, const QString &label, std::uint32_t colour = kNoColour);
    void reserve(std::size_t points);
    // A point that holds a place (and an X) but has no value: never drawn and
    // never counted for an axis range.
    void AddNullXY(double x, const QString &label = QString());
    bool isNull(std::size_t i) const { return !m_nulls.empty() && m_nulls[i] != 0; }
    bool hasNulls() const { return !m_nulls.empty(); }

    // Where the user dragged the marker of point i, as an offset from its
    // place above the point; forgotten by Clear().
    QPointF markOffset(std::size_t i) const;
    void setMarkOffset(std::size_t i, const QPointF &offset);

    std::size_t count() const { return m_x.size(); }
    bool isEmpty() const { return m_x.empty(); }
    double x(std::size_t i) const { return m_x[i]; }
    double y(std::size_t i) const { return m_y[i]; }
    std::string_view labelUtf8(std::size_t i) const;
    // Whether any point carries a non-empty label.
    bool hasLabels() const { return !m_labels.empty(); }
    QString label(std::size_t i) const;
    std::uint32_t pointColour(std::size_t i) const { return m_pointColours.empty() ? kNoColour : m_pointColours[i]; }
    const std::vector<double> &xValues() const { return m_x; }
    const std::vector<double> &yValues() const { return m_y; }

    // Bumped by every change, so views can cache what they computed from it.
    std::uint64_t revision() const { return m_revision; }
    std::size_t memoryBytes() const;

private:
    QString m_title;
    std::uint32_t m_colour = 0;
    std::vector<double> m_x;
    std::vector<double> m_y;
    std::vector<std::uint32_t> m_labelEnds; // end offset of label i in m_labels
    std::vector<char> m_labels;
    std::vector<std::uint32_t> m_pointColours; // empty until a point brings its own colour
    std::vector<std::uint8_t> m_nulls;          // empty until a null point is added
    std::map<std::size_t, QPointF> m_markOffsets;
    std::uint64_t m_revision = 0;
};
