#include "backgroundcommit.h"

#include <pthread.h>

namespace sorvant {

struct BackgroundCommitter::Group {
    BackgroundCommitter *owner = nullptr;
    // Guarded by the owner's mutex.
    std::size_t pending = 0;
    bool ended = false;
    QStringList errors;
    std::function<void(const QStringList &)> finished;
};

thread_local std::shared_ptr<BackgroundCommitter::Group> *BackgroundCommitter::t_current = nullptr;

BackgroundCommitter::BackgroundCommitter(std::size_t maxPending)
    : m_maxPending(maxPending > 0 ? maxPending : 1)
{
    m_thread = std::thread([this] {
        ::pthread_setname_np(::pthread_self(), "commit"); // as top and perf show it
        loop();
    });
}

BackgroundCommitter::~BackgroundCommitter()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join(); // the queue is emptied first
}

void BackgroundCommitter::run(const std::function<void()> &work, std::function<void(const QStringList &errors)> finished)
{
    auto group = std::make_shared<Group>();
    group->owner = this;
    std::shared_ptr<Group> *const previous = t_current;
    t_current = &group;
    try {
        work();
    } catch (...) {
        t_current = previous;
        const std::lock_guard<std::mutex> lock(m_mutex);
        group->ended = true; // its files still go in place; nobody is told
        throw;
    }
    t_current = previous;
    bool now;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        group->finished = std::move(finished);
        group->ended = true;
        now = group->pending == 0;
    }
    if (now && group->finished)
        group->finished(group->errors);
}

void BackgroundCommitter::waitForAll()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_inFlight == 0; });
}

bool BackgroundCommitter::handOver(int fd, const QByteArray &target, const QString &fileName)
{
    if (!t_current)
        return false;
    return (*t_current)->owner->enqueue(fd, target, fileName, *t_current);
}

bool BackgroundCommitter::enqueue(int fd, const QByteArray &target, const QString &fileName,
                                  const std::shared_ptr<Group> &group)
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_room.wait(lock, [this] { return m_queue.size() < m_maxPending; });
        m_queue.push_back({fd, target, fileName, group});
        ++group->pending;
        ++m_inFlight;
    }
    m_wake.notify_one();
    return true;
}

void BackgroundCommitter::loop()
{
    for (;;) {
        Item item;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_queue.empty())
                return;
            item = std::move(m_queue.front());
            m_queue.pop_front();
        }
        m_room.notify_one();
        QString error;
        if (!placeUnnamedFile(item.fd, item.target, error))
            error = QStringLiteral("Error writing file %1: %2").arg(item.fileName, error);
        finishItem(item, error);
    }
}

void BackgroundCommitter::finishItem(const Item &item, const QString &error)
{
    Group &group = *item.group;
    bool last;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!error.isEmpty())
            group.errors << error;
        last = --group.pending == 0 && group.ended;
    }
    if (last && group.finished)
        group.finished(group.errors);
    // Counted out only now, so that waitForAll() also waits for the call.
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (--m_inFlight == 0)
        m_idle.notify_all();
}

} // namespace sorvant
