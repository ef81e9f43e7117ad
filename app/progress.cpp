#include "app/progress.h"

#include <algorithm>
#include <utility>

namespace tamsiro {

namespace {

constexpr auto kReportInterval = std::chrono::milliseconds(200);

// The whole the meters of this thread report into, if any.
thread_local WholeProgress* whole = nullptr;

}  // namespace

ProgressMeter::ProgressMeter(UserInterface& ui, std::string step, std::uint64_t total)
    : ui_(ui), report_{std::move(step), 0, total}, lastReport_(std::chrono::steady_clock::now()) {
    Report();
}

ProgressMeter::~ProgressMeter() {
    // Within a whole the window stays up from one step to the next, and
    // what this step did is the whole's.
    if (whole) {
        whole->done_ += report_.done;
    } else {
        ui_.EndProgress();
    }
}

void ProgressMeter::Report() {
    if (!whole) {
        ui_.ShowProgress(report_);
        return;
    }
    // The whole's bar: what it had done before this step, and this step's
    // part; a total it outgrows grows with it.
    ProgressReport overall = report_;
    const std::size_t count = whole->stages_.size();
    if (whole->stage_ > 0 && whole->stepWords_) {
        overall.step = whole->stepWords_(static_cast<int>(whole->stage_), static_cast<int>(count)) + overall.step;
    }
    whole->total_ =
        std::max(whole->total_, whole->done_ + report_.done + (report_.total - std::min(report_.total, report_.done)));
    overall.done = whole->done_ + report_.done;
    overall.total = whole->total_;
    ui_.ShowProgress(overall);
}

void ProgressMeter::Advance(std::uint64_t bytes) {
    report_.done += bytes;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastReport_ < kReportInterval && report_.done < report_.total) return;
    lastReport_ = now;
    Report();
}

void ProgressMeter::StartPhase(std::string step, std::uint64_t total) {
    // The bytes of the phase before are the whole's now.
    if (whole) whole->done_ += report_.done;
    report_ = {std::move(step), 0, total};
    lastReport_ = std::chrono::steady_clock::now();
    Report();
}

WholeProgress::WholeProgress(UserInterface& ui, std::vector<ProgressStage> stages, std::uint64_t expectedBytes,
                             StepWords stepWords)
    : ui_(ui), stages_(std::move(stages)), stepWords_(stepWords), total_(expectedBytes), outer_(whole) {
    whole = this;
}

WholeProgress::~WholeProgress() {
    whole = outer_;
    ui_.EndProgress();
}

void BeginProgressStage(ProgressStage stage) {
    if (!whole) return;
    const auto found = std::find(whole->stages_.begin(), whole->stages_.end(), stage);
    if (found != whole->stages_.end()) whole->stage_ = static_cast<std::size_t>(found - whole->stages_.begin()) + 1;
}

}  // namespace tamsiro
