// The watch over started runs, with fake runs and a fake window whose message
// boxes can call back into the watch the way a real modal loop does.
#include "job/Outcome.h"
#include "job/RunLauncher.h"
#include "job/RunWatch.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Shown {
    std::string text;
    std::string caption;
    unsigned iconFlags;
};

class FakeHost : public LauncherHost {
public:
    std::vector<unsigned> periods;
    std::vector<Shown> messages;
    std::function<void()> whileMessageOpen; // runs inside showMessage

    void processPendingEvents() override {}
    void setWatchPeriod(unsigned ms) override { periods.push_back(ms); }
    void showMessage(std::string_view text, std::string_view caption, unsigned iconFlags) override
    {
        messages.push_back({std::string(text), std::string(caption), iconFlags});
        if (whileMessageOpen)
            whileMessageOpen();
    }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const Shown& m : messages)
            out.push_back(m.text);
        return out;
    }
};

// What the test sees of one fake run after the watch owns it.
struct RunState {
    std::optional<unsigned long> status; // set: the interpreter has ended
    int removed = 0;
    bool released = false;
};

class FakeRun : public ActiveRun {
public:
    explicit FakeRun(std::shared_ptr<RunState> s) : s_(std::move(s)) {}
    ~FakeRun() override { s_->released = true; }
    std::optional<unsigned long> exitStatus() override { return s_->status; }
    void removeScript() override { ++s_->removed; }

private:
    std::shared_ptr<RunState> s_;
};

class RunWatchTest : public ::testing::Test {
protected:
    FakeHost host;
    RunWatch watch{host};

    std::shared_ptr<RunState> start()
    {
        auto state = std::make_shared<RunState>();
        watch.add(std::make_unique<FakeRun>(state));
        return state;
    }
};

std::string textOf(unsigned long status) { return outcomeOfExit(status).text; }

TEST_F(RunWatchTest, FirstRunArmsTheTimerAndLaterOnesLeaveItAlone)
{
    start();
    start();
    watch.tick();
    EXPECT_EQ(host.periods, (std::vector<unsigned>{WatchPeriodMs}));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(RunWatchTest, TickWithNothingWatchedDoesNotTouchTheTimer)
{
    watch.tick();
    EXPECT_TRUE(host.periods.empty());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(RunWatchTest, EndedRunIsForgottenAndItsFileRemovedBeforeItsMessage)
{
    auto run = start();
    run->status = 0;
    host.whileMessageOpen = [&] {
        EXPECT_EQ(watch.activeRuns(), 0u);
        EXPECT_EQ(host.periods.back(), 0u);
        EXPECT_EQ(run->removed, 1);
        EXPECT_TRUE(run->released);
    };
    watch.tick();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, textOf(0));
    EXPECT_EQ(host.messages[0].caption, outcomeOfExit(0).caption);
    EXPECT_EQ(host.messages[0].iconFlags, 0u);
    EXPECT_EQ(host.periods, (std::vector<unsigned>{WatchPeriodMs, 0}));
}

TEST_F(RunWatchTest, EachRunGetsItsOwnOutcomeAndTheTimerRunsUntilTheLast)
{
    auto first = start();
    auto second = start();
    first->status = 4;
    watch.tick();
    EXPECT_EQ(host.texts(), (std::vector<std::string>{textOf(4)}));
    EXPECT_EQ(host.messages[0].iconFlags, icon::Error);
    EXPECT_EQ(host.periods, (std::vector<unsigned>{WatchPeriodMs}));
    EXPECT_EQ(second->removed, 0);

    second->status = 8;
    watch.tick();
    watch.tick();
    EXPECT_EQ(host.texts(), (std::vector<std::string>{textOf(4), textOf(8)}));
    EXPECT_EQ(host.periods, (std::vector<unsigned>{WatchPeriodMs, 0}));
    EXPECT_EQ(first->removed, 1);
    EXPECT_EQ(second->removed, 1);
}

// Ticks keep arriving while a box is open. Two runs end together and a third
// ends while the first box is shown: each is reported once.
TEST_F(RunWatchTest, TickInsideAnOpenMessageReportsNothingTwice)
{
    auto a = start();
    auto b = start();
    auto c = start();
    a->status = 0;
    b->status = 4;
    int depth = 0;
    host.whileMessageOpen = [&] {
        c->status = 8;
        if (++depth < 5)
            watch.tick();
        --depth;
    };
    watch.tick();
    EXPECT_EQ(host.texts(), (std::vector<std::string>{textOf(0), textOf(8), textOf(4)}));
    for (const auto& run : {a, b, c})
        EXPECT_EQ(run->removed, 1);
    EXPECT_EQ(host.periods, (std::vector<unsigned>{WatchPeriodMs, 0}));
    EXPECT_EQ(watch.activeRuns(), 0u);
}

// The user may start a download while an outcome box is open; the outer tick
// must not stop the timer the new run needs once the box closes.
TEST_F(RunWatchTest, RunStartedWhileAMessageIsOpenKeepsTheTimer)
{
    auto a = start();
    a->status = 0;
    std::shared_ptr<RunState> late;
    host.whileMessageOpen = [&] {
        if (!late)
            late = start();
    };
    watch.tick();
    EXPECT_EQ(host.periods, (std::vector<unsigned>{WatchPeriodMs, 0, WatchPeriodMs}));
    EXPECT_EQ(watch.activeRuns(), 1u);
    late->status = 3;
    watch.tick();
    EXPECT_EQ(host.texts(), (std::vector<std::string>{textOf(0), textOf(3)}));
    EXPECT_EQ(host.periods.back(), 0u);
}

TEST(RunWatch, RunsStillActiveAtTheEndKeepTheirFiles)
{
    FakeHost host;
    auto state = std::make_shared<RunState>();
    {
        RunWatch watch(host);
        watch.add(std::make_unique<FakeRun>(state));
    }
    EXPECT_TRUE(state->released);
    EXPECT_EQ(state->removed, 0);
    EXPECT_TRUE(host.messages.empty());
}

} // namespace
