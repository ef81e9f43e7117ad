#include "stick/stick_lock.h"

#include "app/app_context.h"
#include "host/file_system.h"
#include "stick/stick.h"
#include "stick/stick_files.h"

namespace tamsiro {

bool StickLock::Take(const AppContext& context, const Stick& stick) {
    if (!programFolder_.Take(context.DataFilePath(program_files::kLockFile), true)) return false;
    // A folder used as a stick without its marker has only the program
    // folder's lock to go by.
    const std::string marker = stick.Path(stick_files::kMarker);
    return !FileExists(marker) || stick_.Take(marker, false);
}

}  // namespace tamsiro
