#include "host/failure.h"

namespace tamsiro {

std::string_view ReasonName(FailureReason reason) {
    switch (reason) {
    case FailureReason::NoRoom: return "no room";
    case FailureReason::ReadOnly: return "read-only";
    case FailureReason::DeviceGone: return "device gone";
    case FailureReason::NotFound: return "not found";
    case FailureReason::Denied: return "denied";
    case FailureReason::Exists: return "exists";
    case FailureReason::LinkOrSpecial: return "link or special file";
    case FailureReason::Io: return "input/output error";
    case FailureReason::Damaged: return "damaged";
    case FailureReason::Interrupted: return "interrupted";
    }
    return "input/output error";
}

}  // namespace tamsiro
