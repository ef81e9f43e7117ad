#pragma once

#include "archive/oda_format.h"

#include <vector>

namespace tamsiro {

// The layout of every archive Tamsiro writes from scratch (packing a folder
// back into an archive, see archive_folder.h): the data of the entries back
// to back in table order, starting right after the table (64 + 144 * N).
// Sets the header's count to the table's size and each entry's offset from
// the sizes already in the table. False when an offset would not fit the
// signed 32-bit field (the data would start past 2 GiB).
[[nodiscard]] bool LayOutBackToBack(OdaHeader& header, std::vector<OdaEntry>& table);

}  // namespace tamsiro
