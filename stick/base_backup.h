#pragma once

#include "host/failure.h"

namespace tamsiro {

class AppContext;
class Stick;
struct StickRecord;

// The pieces of a stick's base archive (DATA_BASEMIND3.ODA in the program
// folder for the first stick, see stick_record.h): the pristine copy every
// Main install is rebuilt from. The start sequence (install/) puts them
// together and says what happens.

enum class BaseVerdict { Sound, Missing, Damaged };
[[nodiscard]] BaseVerdict BaseArchiveState(const StickRecord& record);

// Moves a damaged base aside (X.damaged, replacing an older one), so that a
// fresh backup can take its place.
[[nodiscard]] bool SetAsideDamagedBase(const StickRecord& record, Failure* failure = nullptr);

// Writes the stick's record when it is not written yet: before its base,
// which without it would be taken by the next stick whose archive fits.
[[nodiscard]] bool EnsureStickRecord(const AppContext& context, const StickRecord& record, Failure* failure = nullptr);

// Copies the stick's DYNAUDIO.ODA to the base: written under a temporary
// name, read back and compared, and only then given the base's name, since
// any file there counts as a good backup on every later run.
[[nodiscard]] bool CopyBaseArchive(AppContext& context, const Stick& stick, const StickRecord& record,
                                   Failure* failure = nullptr);

}  // namespace tamsiro
