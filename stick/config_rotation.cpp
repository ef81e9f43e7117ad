#include "stick/config_rotation.h"

#include "host/file_system.h"
#include "stick/stick.h"

namespace tamsiro {

bool RotateConfigFiles(const std::string& tmpPath, const std::string& cfgPath, const std::string& bakPath,
                       Failure* failure) {
    (void)DeleteFileAt(bakPath);
    if (!RenameFile(cfgPath, bakPath, failure)) return false;
    if (RenameFile(tmpPath, cfgPath, failure)) return true;
    (void)RenameFile(bakPath, cfgPath);
    return false;
}

namespace {

std::string StickConfigPath(const Stick& stick, std::string_view stem, std::string_view extension) {
    std::string name(stem);
    name += extension;
    return stick.Path(name);
}

}  // namespace

void RepairInterruptedRotation(const Stick& stick, std::string_view stem) {
    const std::string cfg = StickConfigPath(stick, stem, ".CFG");
    const std::string bak = StickConfigPath(stick, stem, ".BAK");
    const std::string tmp = StickConfigPath(stick, stem, ".TMP");
    const bool putBack = !FileExists(cfg) && FileExists(bak);
    const bool tmpThere = FileExists(tmp);
    if (putBack) (void)RenameFile(bak, cfg);
    if (tmpThere) DiscardFile(tmp);
    if (putBack || tmpThere) (void)FlushFolder(stick.FolderPath(std::string(stem) + ".CFG"));
}

}  // namespace tamsiro
