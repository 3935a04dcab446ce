#include "overviewsummary.h"

#include <algorithm>
#include <limits>

void OverviewStats::add(const OverviewStats &o)
{
    if (o.count == 0)
        return;
    if (count == 0) {
        *this = o;
        return;
    }
    minimum = std::min(minimum, o.minimum);
    maximum = std::max(maximum, o.maximum);
    sum += o.sum;
    count += o.count;
}

void OverviewStats::add(float v)
{
    if (count == 0) {
        minimum = maximum = v;
    } else {
        minimum = std::min(minimum, v);
        maximum = std::max(maximum, v);
    }
    sum += v;
    ++count;
}

OverviewSummary::OverviewSummary(std::shared_ptr<const OverviewSource> source)
    : m_source(std::move(source))
{
    if (!m_source)
        return;
    m_series = m_source->seriesCount();
    m_points = m_source->pointCount();
    if (m_series <= 0 || m_points == 0) {
        m_points = 0;
        return;
    }
    std::size_t blocks = (m_points + kBlockPoints - 1) / kBlockPoints;
    m_levelBlocks.push_back(blocks);
    m_levels.emplace_back(static_cast<std::size_t>(m_series) * blocks);

    // Level 0 from the source, a slice of whole blocks at a time.
    constexpr std::size_t kSlice = kBlockPoints * 256;
    std::vector<float> buffer(kSlice);
    for (int s = 0; s < m_series; ++s) {
        Block *out = m_levels[0].data() + static_cast<std::size_t>(s) * blocks;
        for (std::size_t first = 0; first < m_points; first += kSlice) {
            const std::size_t n = std::min(kSlice, m_points - first);
            m_source->values(s, first, n, buffer.data());
            for (std::size_t b = 0; b < n; b += kBlockPoints) {
                const std::size_t end = std::min(b + kBlockPoints, n);
                float lo = buffer[b], hi = buffer[b];
                double sum = 0;
                for (std::size_t i = b; i < end; ++i) {
                    const float v = buffer[i];
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                    sum += v;
                }
                *out++ = Block{lo, hi, sum};
            }
        }
    }
    // Each level above merges kFanOut blocks of the one below.
    while (blocks > 1) {
        const std::size_t below = blocks;
        blocks = (below + kFanOut - 1) / kFanOut;
        std::vector<Block> level(static_cast<std::size_t>(m_series) * blocks);
        const std::vector<Block> &prev = m_levels.back();
        for (int s = 0; s < m_series; ++s) {
            const Block *in = prev.data() + static_cast<std::size_t>(s) * below;
            Block *out = level.data() + static_cast<std::size_t>(s) * blocks;
            for (std::size_t j = 0; j < blocks; ++j) {
                const std::size_t c0 = j * kFanOut, c1 = std::min(c0 + kFanOut, below);
                Block m = in[c0];
                for (std::size_t c = c0 + 1; c < c1; ++c) {
                    m.minimum = std::min(m.minimum, in[c].minimum);
                    m.maximum = std::max(m.maximum, in[c].maximum);
                    m.sum += in[c].sum;
                }
                out[j] = m;
            }
        }
        m_levelBlocks.push_back(blocks);
        m_levels.push_back(std::move(level));
    }
}

OverviewStats OverviewSummary::query(int series, std::size_t first, std::size_t end) const
{
    OverviewStats acc;
    end = std::min(end, m_points);
    if (series < 0 || series >= m_series || first >= end)
        return acc;
    const auto raw = [&](std::size_t a, std::size_t b) {
        float buffer[2 * kBlockPoints];
        while (a < b) {
            const std::size_t n = std::min<std::size_t>(b - a, 2 * kBlockPoints);
            m_source->values(series, a, n, buffer);
            for (std::size_t i = 0; i < n; ++i)
                acc.add(buffer[i]);
            a += n;
        }
    };
    const std::size_t a0 = (first + kBlockPoints - 1) / kBlockPoints * kBlockPoints;
    const std::size_t b0 = end / kBlockPoints * kBlockPoints;
    if (a0 >= b0) {
        raw(first, end);
        return acc;
    }
    raw(first, a0);
    std::size_t lo = a0 / kBlockPoints, hi = b0 / kBlockPoints;
    std::size_t blockPoints = kBlockPoints;
    const auto take = [&](std::size_t level, std::size_t i) {
        const Block &b = m_levels[level][static_cast<std::size_t>(series) * m_levelBlocks[level] + i];
        OverviewStats s;
        s.minimum = b.minimum;
        s.maximum = b.maximum;
        s.sum = b.sum;
        s.count = blockPoints;
        acc.add(s);
    };
    for (std::size_t level = 0; lo < hi; ++level) {
        if (level + 1 == m_levels.size() || hi - lo < 2 * kFanOut) {
            for (std::size_t i = lo; i < hi; ++i)
                take(level, i);
            break;
        }
        while (lo < hi && lo % kFanOut != 0)
            take(level, lo++);
        while (lo < hi && hi % kFanOut != 0)
            take(level, --hi);
        lo /= kFanOut;
        hi /= kFanOut;
        blockPoints *= kFanOut;
    }
    raw(b0, end);
    return acc;
}

OverviewStats OverviewSummary::whole(int series) const
{
    return query(series, 0, m_points);
}

std::size_t OverviewSummary::memoryBytes() const
{
    std::size_t bytes = 0;
    for (const auto &level : m_levels)
        bytes += level.capacity() * sizeof(Block);
    return bytes;
}
