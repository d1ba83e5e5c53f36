#include "platform/OffThread.h"

#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace platform {

namespace {

// The works still running. Never destroyed: an abandoned work may still be running
// while the program ends, and must not find its counter gone.
struct RunningWorks {
    std::mutex mutex;
    std::condition_variable ended;
    int count = 0;
};

RunningWorks& runningWorks() {
    static auto* works = new RunningWorks;
    return *works;
}

// What the caller and its worker share; the worker's copy keeps it alive after the
// caller has left.
struct Shared {
    std::mutex mutex;
    bool abandoned = false;
    bool finished = false;
    std::exception_ptr failure;
    QEventLoop* loop = nullptr;  // alive while !abandoned; read under mutex
};

// The worker's body: runs work, frees its captures, then tells the caller (unless it
// has stopped waiting) and the count of running works.
void runAlone(std::shared_ptr<Shared> shared, std::function<void()> work) {
    std::exception_ptr failure;
    try {
        work();
    } catch (...) {
        failure = std::current_exception();
    }
    work = nullptr;  // the captures go now, on this thread
    {
        const std::lock_guard<std::mutex> lock(shared->mutex);
        shared->finished = true;
        shared->failure = failure;
        // While not abandoned the caller waits in exec() for this quit: the loop exists.
        if (!shared->abandoned) QMetaObject::invokeMethod(shared->loop, &QEventLoop::quit, Qt::QueuedConnection);
    }
    RunningWorks& running = runningWorks();
    {
        const std::lock_guard<std::mutex> lock(running.mutex);
        --running.count;
    }
    running.ended.notify_all();
}

}  // namespace

OffThreadEnd RunOffThreadUnlessAbandoned(std::function<void()> work, const std::function<bool()>& abandon, int pollMs) {
    QEventLoop loop;
    const auto shared = std::make_shared<Shared>();
    shared->loop = &loop;

    RunningWorks& works = runningWorks();
    {
        const std::lock_guard<std::mutex> lock(works.mutex);
        ++works.count;
    }
    try {
        std::thread(runAlone, shared, std::move(work)).detach();
    } catch (...) {
        const std::lock_guard<std::mutex> lock(works.mutex);
        --works.count;  // no thread: nothing runs
        throw;
    }

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!abandon || !abandon()) return;
        const std::lock_guard<std::mutex> lock(shared->mutex);
        shared->abandoned = true;
        loop.quit();
    });
    poll.start(pollMs);
    loop.exec();
    poll.stop();

    const std::lock_guard<std::mutex> lock(shared->mutex);
    // A loop ended by anything else (the application quitting) gives the wait up too.
    if (!shared->finished) shared->abandoned = true;
    if (shared->abandoned) return OffThreadEnd::Abandoned;
    if (shared->failure) std::rethrow_exception(shared->failure);
    return OffThreadEnd::Finished;
}

bool WaitForOffThreadWork(int timeoutMs) {
    RunningWorks& works = runningWorks();
    std::unique_lock<std::mutex> lock(works.mutex);
    return works.ended.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return works.count == 0; });
}

}  // namespace platform
