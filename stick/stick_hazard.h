#pragma once

#include "stick/stick.h"

#include <optional>
#include <string>

namespace tamsiro {

// Something on a stick Tamsiro will not touch: a link on the way from the
// root to a file it reads, writes or removes (whatever the link points to,
// a write through it would land off the stick or elsewhere on it), or a
// FIFO, device or socket where it expects a file (reading one could wait
// for ever).
struct StickHazard {
    enum class Kind { Link, SpecialFile };
    Kind kind;
    std::string path;  // the host path of the link or special file
};

// The first hazard on the way to any file Tamsiro uses on the stick (the
// marker, VERSION, the sound archives, the configuration files, and their
// temporary and backup names), or nothing.
[[nodiscard]] std::optional<StickHazard> FindStickHazard(const Stick& stick);

}  // namespace tamsiro
