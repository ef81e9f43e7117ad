#pragma once

#include "app/progress.h"
#include "host/failure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamsiro {

class AppContext;
class UserInterface;

// The one way Tamsiro writes a file to the stick: copied in pieces with
// progress, flushed to the device, read back and compared with its source,
// and removed again if any of that fails, so that no fragment is ever left
// under a name the robot or Tamsiro would trust.

// True when both files exist and hold the same bytes.
[[nodiscard]] bool SameContent(const std::string& a, const std::string& b);

// A stick file compared, as the device holds it (past the host's cache),
// with what it should hold: a host file or bytes in memory. Unreadable when
// it does not read to its end, which on a damaged FAT is what a broken
// cluster chain gives; Different covers a wrong size too.
// `*failure` says why it is not Same.
enum class ReadBackVerdict { Same, Different, Unreadable };
[[nodiscard]] ReadBackVerdict CompareOnDevice(const std::string& stickFile, const std::string& expectedFile,
                                              Failure* failure = nullptr, ProgressMeter* meter = nullptr);
[[nodiscard]] ReadBackVerdict CompareBytesOnDevice(const std::string& stickFile, std::string_view expected,
                                                   Failure* failure = nullptr, ProgressMeter* meter = nullptr);
// Whether a stick file reads to its end past the cache, with `size` bytes
// when a size is given.
[[nodiscard]] ReadBackVerdict ReadsWholeOnDevice(const std::string& stickFile, std::optional<std::uint64_t> size = {},
                                                 Failure* failure = nullptr);

// What the progress window says in each phase of a copy. The texts name
// the file the user knows, never the temporary name it is written under.
struct CopySteps {
    std::string copying;   // e.g. "Copying DYNAUDIO.ODA to memory stick"
    std::string writing;   // while the host writes what it holds to the device
    std::string checking;  // while the copy is read back and compared
    // A copy that an interrupt may stop half-way (see InterruptScope): a
    // change's own files, never the copies that undo one.
    bool stopsOnInterrupt = false;
};

// The phases of a copy to the stick of the file the stick calls `fileName`,
// and of a copy into Tamsiro's folder, in the context's words.
CopySteps ToStickSteps(const AppContext& context, ProgressStep copying, std::string_view fileName);
CopySteps InFolderSteps(const AppContext& context, ProgressStep copying, ProgressStep checking,
                        std::string_view fileName);

// Copies `source` to `target` (whatever is at its name removed, then
// created exclusively, so never written through a link), then flushes and
// verifies it. On failure the target is deleted, and `*failure` says why:
// Damaged when the read-back differs.
[[nodiscard]] bool CopyVerified(UserInterface& ui, const std::string& source, const std::string& target,
                                const CopySteps& steps, Failure* failure = nullptr);

// Writes `bytes` (a configuration file built in memory) to `target` as
// CopyVerified copies a file, and checks it against them.
[[nodiscard]] bool WriteVerified(UserInterface& ui, std::string_view bytes, const std::string& target,
                                 const CopySteps& steps, Failure* failure = nullptr);

// The name a new file is written under beside the one it will replace:
// the same folder and stem with the extension .NEW (8.3-safe, e.g.
// DYNAUDIO.NEW for DYNAUDIO.ODA).
std::string BesidePath(const std::string& target);

// The name a file replaced or removed on its own is set aside under until
// the change is over: the same stem with the extension .PRV. Its bytes then
// need no copy in Tamsiro's folder to be put back.
std::string AsidePath(const std::string& target);

// A temporary name (host path) as it is on disk, whatever its case.
std::string ExistingName(const std::string& path);
// The name a path has on disk when it is a file there, else nothing.
std::optional<std::string> FileThere(const std::string& path);

// The name a written and verified file carries while it waits to replace
// its target: the same stem with the extension .RDY. Every file of a step
// of several files is renamed to it only once all of them are whole, so a
// .RDY file is always complete and an interrupted step can be finished
// from it. A file that is a step alone needs no such name.
std::string ReadyPath(const std::string& target);

// After a write that was cut short (a crash, a pulled plug), puts the
// targets (host paths) in order: when any .NEW file is still there the step
// had not finished writing, so every .NEW and .RDY file goes and the targets
// stay as they are; otherwise each .RDY file takes its target's place.
// Does nothing when no temporary file is there.
void FinishInterruptedWrites(const std::vector<std::string>& targets);

}  // namespace tamsiro
