#include "install/stick_change.h"

#include "app/app_context.h"
#include "install/messages.h"

namespace tamsiro {

bool OpenStickForChange(AppContext& context, const Stick& stick, StickLock& lock) {
    if (!lock.Take(context, stick)) {
        context.ShowMessage(kStickBusy);
        return false;
    }
    return TidyStick(context, stick) && StickTakesWrites(context, stick);
}

std::optional<CarryOutcome> KeepAndCarry(AppContext& context, const Stick& stick, StickPlan plan, const Room& room) {
    StickTransaction transaction(context, stick, std::move(plan), room);
    if (!ReportPrepared(context, stick, transaction.Keep())) return std::nullopt;
    return transaction.Carry();
}

}  // namespace tamsiro
