#include "db/DatabaseInternal.h"

#include <QFile>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

qint64 currentThread()
{
#ifdef Q_OS_LINUX
    return ::gettid();
#else
    return 0;
#endif
}

// Bytes a thread of this process has read from files so far, or -1 where
// the system does not tell.
qint64 bytesReadBy(qint64 thread)
{
    QFile io(QStringLiteral("/proc/self/task/%1/io").arg(thread));
    if (thread <= 0 || !io.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key("rchar:");
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().toLongLong();
    }
    return -1;
}

}  // namespace

namespace Database {

Progress part(const Progress& whole, int from, int to)
{
    if (!whole)
        return {};
    return [whole, from, to](int permille) { whole(from + (to - from) * permille / 1000); };
}

}  // namespace Database

namespace Database::internal {

ProgressWatch::ProgressWatch(sqlite3* db, const Database::Progress& report, std::function<double()> measure)
    : db_(report ? db : nullptr), report_(report), measure_(std::move(measure))
{
    if (!db_)
        return;
    clock_.start();
    // A call every thousand virtual-machine steps is a few thousand
    // calls a second; each looks at a clock and nothing more.
    sqlite3_progress_handler(db_, 1000, &ProgressWatch::call, this);
}

ProgressWatch::~ProgressWatch()
{
    if (db_)
        sqlite3_progress_handler(db_, 0, nullptr, nullptr);
}

int ProgressWatch::call(void* self)
{
    auto* w = static_cast<ProgressWatch*>(self);
    const qint64 now = w->clock_.elapsed();
    if (now >= w->next_) {
        w->next_ = now + kReportEveryMs;
        w->report_(toPermille(w->measure_()));
    }
    return 0;
}

void runAside(const std::function<void()>& work, const std::function<double(qint64 bytesRead)>& measure,
              const Database::Progress& progress, int from)
{
    if (!progress) {
        work();
        return;
    }
    std::mutex m;
    std::condition_variable finished;
    bool done = false;
    std::atomic<qint64> thread{0};
    std::atomic<qint64> readBefore{-1};
    std::thread worker([&] {
        const qint64 self = currentThread();
        readBefore = bytesReadBy(self);
        thread = self;
        work();
        std::lock_guard lock(m);
        done = true;
        finished.notify_one();
    });
    int last = from;
    std::unique_lock lock(m);
    while (!finished.wait_for(lock, std::chrono::milliseconds(kReportEveryMs), [&] { return done; })) {
        lock.unlock();
        const qint64 now = thread ? bytesReadBy(thread) : -1;
        const double fraction = measure && now >= 0 && readBefore >= 0 ? measure(now - readBefore) : -1;
        if (fraction >= 0)
            last = std::max(last, toPermille(fraction));
        progress(last);
        lock.lock();
    }
    lock.unlock();
    worker.join();
}

}  // namespace Database::internal
