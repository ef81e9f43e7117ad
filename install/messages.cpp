#include "install/messages.h"

#include "app/app_context.h"
#include "stick/stick_hazard.h"

namespace tamsiro {

std::string NotEnoughSpaceMessage(std::uint64_t missingBytes) {
    return "Not enough space on memory stick - nothing was changed\n" + std::to_string((missingBytes + 1023) / 1024) +
           " KB more space is needed";
}

std::string StickFileName(std::string_view stickPath) {
    return std::string(stickPath.substr(stickPath.rfind('\\') + 1));
}

bool ReportPrepared(AppContext& context, const PrepareOutcome& outcome) {
    switch (outcome.verdict) {
    case PrepareVerdict::Ready: return true;
    case PrepareVerdict::NoRoomToKeep:
        context.ShowMessage("Not enough space in Tamsiro's folder to keep the stock files\nNothing was changed");
        return false;
    case PrepareVerdict::NotKept:
        context.ShowMessage("Could not keep the stock files in Tamsiro's folder\nNothing was changed");
        return false;
    case PrepareVerdict::StickUnreadable:
        context.ShowMessage("Could not read " + StickFileName(outcome.stickPath) +
                            " on the memory stick\nNothing was changed");
        return false;
    case PrepareVerdict::OtherStickPending:
        context.ShowMessage(
            "A change to another memory stick was cut short and is not undone yet\n"
            "Insert that memory stick and start Tamsiro again\nNothing was changed");
        return false;
    }
    return false;
}

void ReportUndone(AppContext& context, CarryVerdict verdict, bool anythingWasDone) {
    if (verdict == CarryVerdict::UndoFailed) {
        context.ShowMessage(
            "The memory stick could not be put back as it was\nTamsiro will put it back when it next starts");
    } else if (verdict == CarryVerdict::Stopped) {
        context.ShowMessage("Stopped before the change was complete\nThe memory stick was put back as it was");
    } else if (verdict == CarryVerdict::Undone && anythingWasDone) {
        context.ShowMessage("The memory stick was put back as it was");
    }
}

std::string StickHazardMessage(const StickHazard& hazard) {
    if (hazard.kind == StickHazard::Kind::Link) {
        return hazard.path + " is a link\nTamsiro does not follow links on a memory stick - nothing was changed";
    }
    return hazard.path +
           " is not a regular file (a FIFO, device or socket)\nTamsiro reads only regular files - nothing was changed";
}

}  // namespace tamsiro
