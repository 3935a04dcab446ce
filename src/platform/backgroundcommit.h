#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace sorvant {

// Puts written files in place on a thread of its own. Syncing a file to the
// disk takes milliseconds, and on most file systems one sync waits for
// another: a program writing many files goes on with the next one meanwhile.
// Each file is still synced before it takes its name, so a crash leaves the
// old file or the whole new one, as with OutputFile alone.
class BackgroundCommitter
{
public:
    // With more than `maxPending` files waiting, a commit waits for room
    // (each waiting file holds an open handle).
    explicit BackgroundCommitter(std::size_t maxPending = 32);
    // Waits until every file handed over is in place or has failed.
    ~BackgroundCommitter();
    BackgroundCommitter(const BackgroundCommitter &) = delete;
    BackgroundCommitter &operator=(const BackgroundCommitter &) = delete;

    // Runs `work` on the calling thread; the files it commits through
    // OutputFile on this thread are handed over instead of being put in place
    // there. `finished` is called once each of them is in place, or failed,
    // with one "Error writing file NAME: reason" line per failure (none when
    // all went well); on the committer's thread, or on the calling thread
    // when nothing is left waiting. Any thread may call run().
    void run(const std::function<void()> &work, std::function<void(const QStringList &errors)> finished);

    // Waits until every file handed over so far is in place or has failed.
    void waitForAll();

    // Used by OutputFile: takes the unnamed file `fd`, to become `target`,
    // and closes it when done. False when the calling thread is in no run():
    // `fd` stays the caller's, to put in place itself.
    static bool handOver(int fd, const QByteArray &target, const QString &fileName);

private:
    struct Group;
    struct Item {
        int fd = -1;
        QByteArray target;
        QString fileName;
        std::shared_ptr<Group> group;
    };

    // The run() the calling thread is in, if any.
    static thread_local std::shared_ptr<Group> *t_current;

    void loop();
    void finishItem(const Item &item, const QString &error);
    bool enqueue(int fd, const QByteArray &target, const QString &fileName, const std::shared_ptr<Group> &group);

    const std::size_t m_maxPending;
    std::mutex m_mutex;
    std::condition_variable m_wake;   // the committer: an item, or stop
    std::condition_variable m_room;   // the writers: room in the queue
    std::condition_variable m_idle;   // waitForAll: nothing in flight
    std::deque<Item> m_queue;
    std::size_t m_inFlight = 0;       // queued or being put in place
    bool m_stopping = false;
    std::thread m_thread;
};

// Syncs the unnamed file `fd`, gives it a name beside `target` and renames
// that over `target`; closes `fd` in any case, and leaves no file behind on
// failure. False with `error` set when a step failed.
bool placeUnnamedFile(int fd, const QByteArray &target, QString &error);

} // namespace sorvant
