#pragma once

namespace tamsiro {

// Called by the file layer just before every operation that changes a file:
// create, write, flush, rename, delete, copy. It counts them; when the
// environment variable TAMSIRO_CRASH_AT holds a number k, the process ends
// abruptly (no clean-up, no flush of its own buffers) just before operation
// k. The crash-point tests use it to stop a Save at every step.
void BeforeFileChange();

// Operations counted so far in this process.
unsigned long FileChangesSoFar();

}  // namespace tamsiro
