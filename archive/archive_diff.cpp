#include "archive/archive_diff.h"

#include "archive/archive_check.h"
#include "archive/oda_archive.h"
#include "archive/oda_text.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

namespace tamsiro {

namespace {

constexpr std::size_t kCompareChunk = 64 * 1024;

std::string KeyOf(const OdaEntry& entry) {
    return std::string(TagBytes(entry)) + std::string(entry.Name());
}

// Compares two entries' data a chunk at a time through two buffers made
// once. A read that fails counts as a difference: both archives have passed
// the check, so only a failing disk gets there.
class DataComparer {
public:
    DataComparer(OdaArchive& first, OdaArchive& second)
        : first_(first), second_(second),
          left_(std::make_unique<unsigned char[]>(kCompareChunk)),
          right_(std::make_unique<unsigned char[]>(kCompareChunk)) {}

    bool Same(const OdaEntry& a, const OdaEntry& b) {
        if (a.Size() != b.Size()) return false;
        if (!first_.File().Seek(a.Offset()) || !second_.File().Seek(b.Offset())) return false;
        for (std::uint64_t remaining = a.Size(); remaining > 0;) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kCompareChunk));
            if (!first_.File().ReadExactly(left_.get(), n) || !second_.File().ReadExactly(right_.get(), n)) return false;
            if (std::memcmp(left_.get(), right_.get(), n) != 0) return false;
            remaining -= n;
        }
        return true;
    }

private:
    OdaArchive& first_;
    OdaArchive& second_;
    std::unique_ptr<unsigned char[]> left_;
    std::unique_ptr<unsigned char[]> right_;
};

EntryDifference DifferenceOf(EntryChange change, const OdaEntry& entry) {
    return {change, std::string(TagBytes(entry)), std::string(entry.Name())};
}

}  // namespace

ArchiveDiff DiffArchiveFiles(const std::string& firstPath, const std::string& secondPath) {
    ArchiveDiff diff;
    OdaArchive first;
    OdaArchive second;
    for (auto [path, archive] : {std::pair{&firstPath, &first}, std::pair{&secondPath, &second}}) {
        if (auto problem = CheckArchiveFile(*path)) {
            diff.problem = *path + ": " + *problem;
            return diff;
        }
        if (!archive->Open(*path)) {
            diff.problem = *path + ": cannot open the archive";
            return diff;
        }
    }

    // Positions of the second archive's entries by key, in table order;
    // each match takes the earliest one left.
    std::map<std::string, std::vector<std::size_t>> unmatched;
    for (std::size_t i = second.TableSize(); i-- > 0;) unmatched[KeyOf(second.Entry(i))].push_back(i);
    std::vector<bool> matched(second.TableSize(), false);
    DataComparer comparer(first, second);

    for (const OdaEntry& entry : first.Table()) {
        auto it = unmatched.find(KeyOf(entry));
        if (it == unmatched.end() || it->second.empty()) {
            diff.differences.push_back(DifferenceOf(EntryChange::Removed, entry));
            continue;
        }
        const std::size_t j = it->second.back();
        it->second.pop_back();
        matched[j] = true;
        if (comparer.Same(entry, second.Entry(j))) {
            ++diff.unchanged;
        } else {
            diff.differences.push_back(DifferenceOf(EntryChange::Changed, entry));
        }
    }
    for (std::size_t j = 0; j < second.TableSize(); ++j) {
        if (!matched[j]) diff.differences.push_back(DifferenceOf(EntryChange::Added, second.Entry(j)));
    }
    return diff;
}

}  // namespace tamsiro
