#pragma once

#include <string>

namespace tamsiro {

// Called by the crash seam before counted file operation `number`. With
// TAMSIRO_MARK_DEVICE=DEVICE:OFFSET it writes one 512-byte sector
// "TAMSIRO MARK <number> <operation> <path>" to DEVICE at byte OFFSET,
// past the page cache, so that a recording of the device's writes shows
// which file operation each of them belongs to. Does nothing without the
// variable, or where the host cannot write past its cache (Windows).
void MarkFileChange(unsigned long number, const char* operation, const std::string& path);

}  // namespace tamsiro
