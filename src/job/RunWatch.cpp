#include "job/RunWatch.h"

#include "job/Outcome.h"
#include "job/RunLauncher.h"

#include <utility>

void RunWatch::add(std::unique_ptr<ActiveRun> run)
{
    runs_.push_back(std::move(run));
    setPeriod(WatchPeriodMs);
}

void RunWatch::tick()
{
    std::vector<unsigned long> ended;
    for (std::size_t i = 0; i < runs_.size();) {
        if (std::optional<unsigned long> status = runs_[i]->exitStatus()) {
            // Files first and all of them: a box may stay open a long time.
            std::unique_ptr<ActiveRun> run = std::move(runs_[i]);
            runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(i));
            run->removeScript();
            ended.push_back(*status);
        } else {
            ++i;
        }
    }
    if (runs_.empty())
        setPeriod(0);
    for (unsigned long status : ended) {
        Outcome outcome = outcomeOfExit(status);
        host_.showMessage(outcome.text, outcome.caption, outcome.iconFlags);
    }
}

void RunWatch::setPeriod(unsigned ms)
{
    if (ms == period_)
        return;
    period_ = ms;
    host_.setWatchPeriod(ms);
}
