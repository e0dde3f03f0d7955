#include "platform/sys/event.hpp"
#include "platform/sys/thread.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <pthread.h>

namespace {

using platform::Event;
using platform::Thread;

TEST(Thread, WaitWithTimeoutOnAThreadThatDoesNotEnd) {
    Event release;
    auto started = Thread::start("stuck", [&release] { release.wait_for(60'000); });
    ASSERT_TRUE(started.ok()) << started.status().describe();
    Thread thread = std::move(started.value());

    EXPECT_FALSE(thread.wait_for(50));  // still blocked: the wait gives up
    EXPECT_FALSE(thread.finished());
    EXPECT_TRUE(thread.joinable());

    release.set();
    EXPECT_TRUE(thread.wait_for(10'000));
    EXPECT_TRUE(thread.finished());
    thread.join();
    EXPECT_FALSE(thread.joinable());
    EXPECT_TRUE(thread.wait_for(0));  // a joined (or never started) thread counts as ended
}

TEST(Thread, DestructorJoinsSoTheBodyNeverOutlivesItsData) {
    std::atomic<int> value{0};
    {
        Event go;
        auto thread = Thread::start("writer", [&] {
            go.wait_for(10'000);
            value.store(42);
        });
        ASSERT_TRUE(thread.ok());
        go.set();
    }  // ~Thread joins here
    EXPECT_EQ(value.load(), 42);
}

TEST(Thread, BodyRunsUnderItsName) {
    char name[32] = {};
    auto thread = Thread::start("console-thread-long-name",
                                [&name] { pthread_getname_np(pthread_self(), name, sizeof name); });
    ASSERT_TRUE(thread.ok());
    thread->join();
    EXPECT_STREQ(name, "console-thread-");  // cut to the 15 bytes the kernel keeps
}

TEST(Thread, MoveAssignmentJoinsTheThreadItReplaces) {
    std::atomic<bool> first_done{false};
    auto first = Thread::start("first", [&] { first_done = true; });
    ASSERT_TRUE(first.ok());
    Thread holder = std::move(first.value());
    auto second = Thread::start("second", [] {});
    ASSERT_TRUE(second.ok());
    holder = std::move(second.value());
    EXPECT_TRUE(first_done.load());
    holder.join();
}

TEST(Event, ManualResetReleasesEveryWaiterUntilReset) {
    Event event(Event::Reset::manual);
    std::atomic<int> released{0};
    auto a = Thread::start("wait-a", [&] { if (event.wait_for(10'000)) ++released; });
    auto b = Thread::start("wait-b", [&] { if (event.wait_for(10'000)) ++released; });
    ASSERT_TRUE(a.ok() && b.ok());
    event.set();
    a->join();
    b->join();
    EXPECT_EQ(released.load(), 2);
    EXPECT_TRUE(event.is_set());
    event.reset();
    EXPECT_FALSE(event.wait_for(10));
}

TEST(Event, AutomaticResetIsConsumedByOneWait) {
    Event event(Event::Reset::automatic);
    event.set();
    EXPECT_TRUE(event.wait_for(0));
    EXPECT_FALSE(event.is_set());
    EXPECT_FALSE(event.wait_for(10));
}

}  // namespace
