#pragma once
// Runs work on a thread of its own while the calling thread keeps its event loop
// turning, then rethrows whatever the work threw. The caller's thread must have an
// event loop (the window thread, with a QCoreApplication); work must not touch
// objects that live on the caller's thread.

#include <QEventLoop>
#include <QMetaObject>

#include <exception>
#include <functional>
#include <thread>

namespace platform {

// 'loop' is the caller's local loop (so the caller can connect timers to it);
// flags are handed to its exec().
inline void RunOffThread(const std::function<void()>& work, QEventLoop& loop,
                         QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents) {
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(flags);
    worker.join();
    if (failure) std::rethrow_exception(failure);
}

// How RunOffThreadUnlessAbandoned ended.
enum class OffThreadEnd { Finished, Abandoned };

// As RunOffThread, for work that cannot be interrupted (a driver's login): the
// caller's local loop asks 'abandon' every pollMs, and once it answers true the call
// returns Abandoned at once while the work runs on alone until it ends by itself; what
// it then throws or makes is dropped. So work must own everything it touches (capture
// by value or shared_ptr; its captures are destroyed on the worker thread when it
// ends) and must not touch the caller's objects. On Finished the work's exception is
// rethrown. 'abandon' runs on the calling thread.
OffThreadEnd RunOffThreadUnlessAbandoned(std::function<void()> work, const std::function<bool()>& abandon, int pollMs = 100);

// Waits up to timeoutMs for every work started by RunOffThreadUnlessAbandoned (the
// abandoned ones included) to have ended and freed its captures; true when none runs.
bool WaitForOffThreadWork(int timeoutMs);

}  // namespace platform
