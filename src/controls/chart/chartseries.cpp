#include "chartseries.h"

#include <stdexcept>

void ChartSeries::Clear()
{
    m_x.clear();
    m_y.clear();
    m_labelEnds.clear();
    m_labels.clear();
    m_pointColours.clear();
    m_nulls.clear();
    m_markOffsets.clear();
    ++m_revision;
}

void ChartSeries::reserve(std::size_t points)
{
    m_x.reserve(points);
    m_y.reserve(points);
    m_labelEnds.reserve(points);
}

void ChartSeries::AddXY(double x, double y, std::string_view labelUtf8, std::uint32_t colour)
{
    if (m_labels.size() + labelUtf8.size() > UINT32_MAX)
        throw std::length_error("series labels exceed 4 GiB");
    m_x.push_back(x);
    m_y.push_back(y);
    m_labels.insert(m_labels.end(), labelUtf8.begin(), labelUtf8.end());
    m_labelEnds.push_back(static_cast<std::uint32_t>(m_labels.size()));
    if (colour != kNoColour && m_pointColours.empty())
        m_pointColours.assign(m_x.size() - 1, kNoColour);
    if (!m_pointColours.empty())
        m_pointColours.push_back(colour);
    if (!m_nulls.empty())
        m_nulls.push_back(0);
    ++m_revision;
}

void ChartSeries::AddXY(double x, double y, const QString &label, std::uint32_t colour)
{
    const QByteArray utf8 = label.toUtf8();
    AddXY(x, y, std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), colour);
}

std::string_view ChartSeries::labelUtf8(std::size_t i) const
{
    const std::uint32_t begin = i == 0 ? 0 : m_labelEnds[i - 1];
    return std::string_view(m_labels.data() + begin, m_labelEnds[i] - begin);
}

QString ChartSeries::label(std::size_t i) const
{
    const std::string_view l = labelUtf8(i);
    return QString::fromUtf8(l.data(), static_cast<qsizetype>(l.size()));
}

std::size_t ChartSeries::memoryBytes() const
{
    return m_x.capacity() * sizeof(double) + m_y.capacity() * sizeof(double)
        + m_labelEnds.capacity() * sizeof(std::uint32_t) + m_labels.capacity()
        + m_pointColours.capacity() * sizeof(std::uint32_t);
}

void ChartSeries::AddNullXY(double x, const QString &label)
{
    AddXY(x, 0.0, label);
    if (m_nulls.empty())
        m_nulls.assign(m_x.size(), 0);
    m_nulls.back() = 1;
}

QPointF ChartSeries::markOffset(std::size_t i) const
{
    const auto it = m_markOffsets.find(i);
    return it == m_markOffsets.end() ? QPointF() : it->second;
}

void ChartSeries::setMarkOffset(std::size_t i, const QPointF &offset)
{
    // Not a change of the data: cached ranges stay valid.
    m_markOffsets[i] = offset;
}
