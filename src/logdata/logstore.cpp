#include "logstore.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>

namespace sorvant {

namespace {
constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t roundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }
constexpr std::size_t kMappedBytes = roundUp(LogStore::kCapacityBytes, kHugePage);

// The mapping a thread last released, kept for its next store. A batch makes
// and drops a store per log on each of its threads: mapping it afresh each
// time meant faulting in and zeroing 12 MB, and unmapping it stalled the
// other threads.
struct SpareMapping {
    void *mapping = nullptr;
    SpareMapping() = default;
    SpareMapping(const SpareMapping &) = delete;
    SpareMapping &operator=(const SpareMapping &) = delete;
    ~SpareMapping()
    {
        if (mapping)
            ::munmap(mapping, kMappedBytes + kHugePage);
    }
};
thread_local SpareMapping t_spare;

} // namespace

LogStore::LogStore()
{
    // Anonymous memory costs nothing until it is touched. Asking for huge pages
    // makes the first load fault in 6 pages instead of 2,800.
    // The mapping is over-sized by one huge page so the records can start on a
    // huge-page boundary.
    void *p = t_spare.mapping;
    t_spare.mapping = nullptr;
    if (!p)
        p = ::mmap(nullptr, kMappedBytes + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    m_mapping = p;
    const auto base = reinterpret_cast<std::uintptr_t>(p);
    const auto aligned = (base + kHugePage - 1) / kHugePage * kHugePage;
    void *records = reinterpret_cast<void *>(aligned);
#ifdef MADV_HUGEPAGE
    ::madvise(records, kMappedBytes, MADV_HUGEPAGE);
#endif
    m_records = static_cast<LogRecord *>(records);
}

LogStore::~LogStore()
{
    if (!t_spare.mapping)
        t_spare.mapping = m_mapping;
    else
        ::munmap(m_mapping, kMappedBytes + kHugePage);
}

} // namespace sorvant
