#include "archive/archive_layout.h"

namespace tamsiro {

bool LayOutBackToBack(OdaHeader& header, std::vector<OdaEntry>& table) {
    if (table.size() > static_cast<std::size_t>(kMaxOdaOffset)) return false;
    header.SetCount(static_cast<std::int32_t>(table.size()));
    std::int64_t offset = static_cast<std::int64_t>(kOdaHeaderSize + kOdaEntrySize * table.size());
    for (OdaEntry& entry : table) {
        if (offset > kMaxOdaOffset) return false;
        entry.SetOffset(static_cast<std::int32_t>(offset));
        offset += entry.Size();
    }
    return true;
}

}  // namespace tamsiro
