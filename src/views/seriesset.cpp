#include "seriesset.h"

namespace sorvant {

SeriesSet::SeriesSet()
{
    for (int i = 0; i < kSeriesCount; ++i)
        m_series[static_cast<std::size_t>(i)].setTitle(seriesTitle(i));
}

} // namespace sorvant
