#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamsiro {

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
enum class DeviceContent { Same, Different, Unreadable };
[[nodiscard]] DeviceContent CompareOnDevice(const std::string& stickFile, const std::string& expectedFile);
[[nodiscard]] DeviceContent CompareBytesOnDevice(const std::string& stickFile, std::string_view expected);
// Whether a stick file reads to its end past the cache, with `size` bytes
// when a size is given.
[[nodiscard]] DeviceContent ReadsWholeOnDevice(const std::string& stickFile, std::optional<std::uint64_t> size = {});

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

// The phases of a copy into Tamsiro's folder (`copying` and `checking`
// say what it is, and where).
CopySteps ProgramFolderCopySteps(std::string copying, std::string checking);

// The phases of a copy to the stick: `copying` says what it is; the check
// names the file the stick will hold, never its temporary name.
CopySteps StickCopySteps(std::string copying, std::string_view stickPath);

// Copies `source` to `target` (whatever is at its name removed, then
// created exclusively, so never written through a link), then flushes and
// verifies it. On failure the target is deleted.
[[nodiscard]] bool CopyVerified(UserInterface& ui, const std::string& source, const std::string& target,
                                const CopySteps& steps);

// Writes `bytes` (a configuration file built in memory) to `target` as
// CopyVerified copies a file, and checks it against them.
enum class WriteOutcome { Written, NotCreated, NotWritten };
[[nodiscard]] WriteOutcome WriteVerified(UserInterface& ui, std::string_view bytes, const std::string& target,
                                         const CopySteps& steps);

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

// "Copying DYNAUDIO.ODA to memory stick" for a stick path.
std::string CopyingStep(std::string_view stickPath);
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
