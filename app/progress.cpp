#include "app/progress.h"

#include <utility>

namespace tamsiro {

namespace {
constexpr auto kReportInterval = std::chrono::milliseconds(200);
}

ProgressMeter::ProgressMeter(UserInterface& ui, std::string step, std::uint64_t total)
    : ui_(ui), report_{std::move(step), 0, total}, lastReport_(std::chrono::steady_clock::now()) {
    ui_.ShowProgress(report_);
}

void ProgressMeter::Advance(std::uint64_t bytes) {
    report_.done += bytes;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastReport_ < kReportInterval && report_.done < report_.total) return;
    lastReport_ = now;
    ui_.ShowProgress(report_);
}

void ProgressMeter::StartPhase(std::string step, std::uint64_t total) {
    report_ = {std::move(step), 0, total};
    lastReport_ = std::chrono::steady_clock::now();
    ui_.ShowProgress(report_);
}

}  // namespace tamsiro
