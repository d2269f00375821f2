// Every test program's watchdog: a test that has not ended after a while
// (a planted fault looping, a child or a pipe that never answers) ends the
// program at once, so that it fails fast instead of hanging to the runner's
// time limit.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

// Far longer than any test takes, here or under Wine.
#ifdef _WIN32
constexpr auto Limit = std::chrono::seconds(90);
#else
constexpr auto Limit = std::chrono::seconds(30);
#endif

// The watching thread and what it watches, which live as long as the
// program: its end does not wait for them.
class Watch {
public:
    Watch() {
        std::thread([this] { Run(); }).detach();
    }

    void Start(const ::testing::TestInfo& test) {
        const std::lock_guard lock(mutex_);
        name_ = std::string(test.test_suite_name()) + "." + test.name();
        deadline_ = std::chrono::steady_clock::now() + Limit;
        changed_.notify_one();
    }
    void End() {
        const std::lock_guard lock(mutex_);
        deadline_ = std::chrono::steady_clock::time_point::max();
        changed_.notify_one();
    }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (changed_.wait_until(lock, deadline_) == std::cv_status::timeout &&
                std::chrono::steady_clock::now() >= deadline_) {
                std::fprintf(stderr, "%s took more than %lld s: stopped by the watchdog\n",
                             name_.c_str(), static_cast<long long>(Limit.count()));
                std::fflush(stderr);
                std::_Exit(1);
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::string name_;
    std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
};

// What GoogleTest tells of each test, handed on; GoogleTest deletes it at the
// end, never the watch.
class Watchdog final : public ::testing::EmptyTestEventListener {
public:
    explicit Watchdog(Watch& watch) : watch_(watch) {}
    void OnTestStart(const ::testing::TestInfo& test) override { watch_.Start(test); }
    void OnTestEnd(const ::testing::TestInfo&) override { watch_.End(); }

private:
    Watch& watch_;
};

// Before main: gtest_main's main then runs every test under it.
const bool Armed = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog(*new Watch));
    return true;
}();

}  // namespace
