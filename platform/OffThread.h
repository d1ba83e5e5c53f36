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

}  // namespace platform
