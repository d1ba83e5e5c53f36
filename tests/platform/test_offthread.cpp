// Work run off the calling thread while its event loop turns, and given up on.

#include "support/TestSupport.h"
#include "platform/OffThread.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>

using platform::OffThreadEnd;
using platform::RunOffThreadUnlessAbandoned;

TEST(OffThreadTest, FinishedWorkGivesItsResultOrItsExceptionWhileEventsFlow) {
    testsupport::TimerTicks ticks(10);
    int result = 0;
    const auto never = [] { return false; };
    const auto work = [&result] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        result = 42;
    };
    EXPECT_EQ(RunOffThreadUnlessAbandoned(work, never), OffThreadEnd::Finished);
    EXPECT_EQ(result, 42);
    EXPECT_GE(ticks.count, 5) << "events did not flow while the work ran";  // about 30 when the machine is quiet
    EXPECT_THROW(RunOffThreadUnlessAbandoned([] { throw std::runtime_error("refused"); }, never), std::runtime_error);
    EXPECT_TRUE(platform::WaitForOffThreadWork(5000));
}

TEST(OffThreadTest, AbandonedWorkRunsOnAloneAndFreesWhatItHoldsWhenItEnds) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    auto held = std::make_shared<int>(7);
    const std::weak_ptr<int> watch = held;
    const auto ran = std::make_shared<std::atomic<bool>>(false);

    bool asked = false;
    QTimer::singleShot(200, [&] { asked = true; });
    QElapsedTimer clock;
    clock.start();
    const OffThreadEnd end = RunOffThreadUnlessAbandoned(
        [held, released, ran] {
            released.wait();  // a driver call that ends only when it ends
            *ran = *held == 7;
        },
        [&] { return asked; }, 50);
    EXPECT_EQ(end, OffThreadEnd::Abandoned);
    EXPECT_LT(clock.elapsed(), 1000) << "the wait did not end when the work was given up";
    EXPECT_FALSE(platform::WaitForOffThreadWork(100)) << "the work should still be running";

    // Nothing the caller held is needed: the work owns its captures.
    held.reset();
    EXPECT_FALSE(watch.expired());
    release.set_value();
    ASSERT_TRUE(platform::WaitForOffThreadWork(5000));
    EXPECT_TRUE(*ran);
    EXPECT_TRUE(watch.expired()) << "the abandoned work's captures were not freed";
}
