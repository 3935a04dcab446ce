#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Where the overview's numbers come from: a number of series of equal
// length, read in slices. The source must outlive the summary built on it,
// which reads it again for the few points a query does not cover by whole
// blocks.
class OverviewSource
{
public:
    virtual ~OverviewSource() = default;
    virtual int seriesCount() const = 0;
    virtual std::size_t pointCount() const = 0;
    // Writes the values of points first .. first + count - 1 of `series`.
    virtual void values(int series, std::size_t first, std::size_t count, float *out) const = 0;
};

// Lowest, highest and sum of a run of points.
struct OverviewStats {
    float minimum = 0;
    float maximum = 0;
    double sum = 0;
    std::size_t count = 0;
    double mean() const { return count ? sum / static_cast<double>(count) : 0.0; }
    void add(const OverviewStats &o);
    void add(float v);
};

// Min, max and sum of every series over blocks of points, in a pyramid:
// blocks of kBlockPoints points, then blocks of kFanOut of those, and so on.
// Built once per load, it answers a query over any run of points with a few
// dozen blocks and at most 2 x (kBlockPoints - 1) points read from the
// source, so a redraw never walks the whole log and still misses no point.
class OverviewSummary
{
public:
    static constexpr std::size_t kBlockPoints = 16;
    static constexpr std::size_t kFanOut = 4;

    // An empty summary: no series, no points.
    OverviewSummary() = default;
    explicit OverviewSummary(std::shared_ptr<const OverviewSource> source);

    int seriesCount() const { return m_series; }
    std::size_t pointCount() const { return m_points; }
    // Points [first, end) of `series`, cut at the end of the data; an empty
    // run gives count 0.
    OverviewStats query(int series, std::size_t first, std::size_t end) const;
    // All points of `series`.
    OverviewStats whole(int series) const;
    // Bytes held by the pyramid.
    std::size_t memoryBytes() const;

private:
    struct Block {
        float minimum;
        float maximum;
        double sum;
    };
    // levels[l][series * blocksAt(l) + i]
    std::vector<std::vector<Block>> m_levels;
    std::vector<std::size_t> m_levelBlocks;
    std::shared_ptr<const OverviewSource> m_source;
    int m_series = 0;
    std::size_t m_points = 0;
};
