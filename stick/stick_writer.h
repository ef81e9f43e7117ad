#pragma once

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

// Copies `source` to `target` (whatever is at its name removed, then
// created exclusively, so never written through a link), then flushes and
// verifies it. On failure the target is deleted. `step` names the work
// for the progress window, e.g. "Copying DYNAUDIO.ODA to memory stick".
[[nodiscard]] bool CopyVerified(UserInterface& ui, const std::string& source, const std::string& target, std::string_view step);

// The name a new file is written under beside the one it will replace:
// the same folder and stem with the extension .NEW (8.3-safe, e.g.
// DYNAUDIO.NEW for DYNAUDIO.ODA).
std::string BesidePath(const std::string& target);

// "Copying DYNAUDIO.ODA to memory stick" for a stick path.
std::string CopyingStep(std::string_view stickPath);
// The name a written and verified file carries while it waits to replace
// its target: the same stem with the extension .RDY. Every file of a step
// is renamed to it only once all of them are whole, so a .RDY file is
// always complete and an interrupted step can be finished from it.
std::string ReadyPath(const std::string& target);

// After a write that was cut short (a crash, a pulled plug), puts the
// targets (host paths) in order: when any .NEW file is still there the step
// had not finished writing, so every .NEW and .RDY file goes and the targets
// stay as they are; otherwise each .RDY file takes its target's place.
// Does nothing when no temporary file is there.
void FinishInterruptedWrites(const std::vector<std::string>& targets);

// One file to put on the stick: `source` is a host path (program folder),
// `target` the host path on the stick.
struct StickFile {
    std::string source;
    std::string target;
    std::string step;     // progress text
    std::string failure;  // shown when this file could not be written (nothing when empty)
};

// Writes every file beside its target (.NEW), and only when all of them are
// written and verified, marks them ready (.RDY) and replaces the targets
// with them (a pair such as the two Games files changes together or not at
// all, even across a crash: see FinishInterruptedWrites). On failure the
// failing file's message is shown, the temporary files are removed and
// every target is as it was.
[[nodiscard]] bool WriteBesideThenReplace(AppContext& context, const std::vector<StickFile>& files);

// For a stick without room for both: deletes each target, then writes the
// new file beside it and renames it into place the same way, one file at a
// time. On failure its message is shown and the target is gone (but never
// left as a fragment).
[[nodiscard]] bool DeleteThenCopy(AppContext& context, const std::vector<StickFile>& files);

}  // namespace tamsiro
