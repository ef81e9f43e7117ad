#include "stick/config_rotation.h"

#include "app/file_system.h"
#include "app/stick_path.h"

namespace tamsiro {

bool RotateConfigFiles(const std::string& tmpPath, const std::string& cfgPath, const std::string& bakPath) {
    DeleteFileAt(bakPath);
    if (!RenameFile(cfgPath, bakPath)) return false;
    if (RenameFile(tmpPath, cfgPath)) return true;
    RenameFile(bakPath, cfgPath);
    return false;
}

bool RotateStickConfig(const std::string& stickPathWithoutExtension) {
    return RotateConfigFiles(ResolveStickPath(stickPathWithoutExtension + ".TMP"),
                             ResolveStickPath(stickPathWithoutExtension + ".CFG"),
                             ResolveStickPath(stickPathWithoutExtension + ".BAK"));
}

}  // namespace tamsiro
