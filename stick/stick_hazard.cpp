#include "stick/stick_hazard.h"

#include "host/file_system.h"
#include "stick/stick_files.h"
#include "stick/stick_writer.h"

#include <vector>

namespace tamsiro {

namespace {

std::vector<std::string> PathsInUse(const Stick& stick) {
    std::vector<std::string> paths;
    auto add = [&](std::string_view stickPath) {
        std::string path = stick.Path(stickPath);
        if (!path.empty()) paths.push_back(std::move(path));
    };
    add(stick_files::kMarker);
    add(stick_files::kVersion);
    for (const std::string_view file : stick_files::kStockFiles) add(file);
    for (const std::string_view file : {stick_files::kVoiceListNew, stick_files::kModeFlagsNew}) add(file);
    for (const std::string_view file : stick_files::kSafelyWrittenFiles) {
        const std::string target = stick.Path(file);
        if (target.empty()) continue;
        paths.push_back(target);
        for (const std::string& temporary : {BesidePath(target), ReadyPath(target), AsidePath(target)}) {
            paths.push_back(ExistingName(temporary));
        }
    }
    return paths;
}

}  // namespace

std::optional<StickHazard> FindStickHazard(const Stick& stick) {
    // The root as the paths below it are spelled (Windows makes them full).
    const std::string root = stick.Path("");
    for (const std::string& path : PathsInUse(stick)) {
        if (auto link = FirstLinkBelow(root, path)) return StickHazard{StickHazard::Kind::Link, *link};
        if (KindAt(path) == PathKind::Special) return StickHazard{StickHazard::Kind::SpecialFile, path};
    }
    return std::nullopt;
}

}  // namespace tamsiro
