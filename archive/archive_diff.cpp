#include "archive/archive_diff.h"

#include "archive/archive_check.h"
#include "archive/oda_archive.h"
#include "archive/oda_text.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <numeric>
#include <optional>
#include <string_view>
#include <utility>

namespace tamsiro {

namespace {

constexpr std::size_t kCompareChunk = 64 * 1024;

// Compares two entries' data a chunk at a time through two buffers made
// once. A read that fails counts as a difference: both archives have passed
// the check, so only a failing disk gets there.
class DataComparer {
public:
    DataComparer(OdaArchive& first, OdaArchive& second)
        : first_(first),
          second_(second),
          left_(std::make_unique<unsigned char[]>(kCompareChunk)),
          right_(std::make_unique<unsigned char[]>(kCompareChunk)) {}

    bool Same(const OdaEntry& a, const OdaEntry& b) {
        if (a.Size() != b.Size()) return false;
        std::int64_t left = a.Offset();
        std::int64_t right = b.Offset();
        for (std::uint64_t remaining = a.Size(); remaining > 0;) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kCompareChunk));
            if (!first_.Source().ReadAt(left, left_.get(), n) || !second_.Source().ReadAt(right, right_.get(), n)) {
                return false;
            }
            if (std::memcmp(left_.get(), right_.get(), n) != 0) return false;
            left += static_cast<std::int64_t>(n);
            right += static_cast<std::int64_t>(n);
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

// Pairs entries of two archives by tag and name: the k-th entry with a
// given tag and name in one archive with the k-th in the other. The
// positions are kept sorted by key (4 bytes an entry, whatever the names),
// and each key's group remembers how many of it are taken.
class EntryMatcher {
public:
    explicit EntryMatcher(const OdaArchive& archive)
        : archive_(archive), order_(archive.TableSize()), taken_(order_.size(), 0) {
        std::iota(order_.begin(), order_.end(), 0u);
        std::stable_sort(order_.begin(), order_.end(),
                         [this](std::uint32_t a, std::uint32_t b) { return KeyAt(a) < KeyAt(b); });
    }

    // The position of the earliest entry left with the tag and name of
    // `entry`, which is then taken; nothing when none is left.
    std::optional<std::size_t> Take(const OdaEntry& entry) {
        const std::string_view key = entry.Key();
        const auto group = std::lower_bound(order_.begin(), order_.end(), key,
                                            [this](std::uint32_t i, std::string_view k) { return KeyAt(i) < k; });
        const auto first = static_cast<std::size_t>(group - order_.begin());
        if (first == order_.size()) return std::nullopt;
        const std::size_t next = first + taken_[first];
        if (next >= order_.size() || KeyAt(order_[next]) != key) return std::nullopt;
        ++taken_[first];
        return order_[next];
    }

private:
    std::string_view KeyAt(std::uint32_t position) const { return archive_.Entry(position).Key(); }

    const OdaArchive& archive_;
    std::vector<std::uint32_t> order_;
    // At the first position of each group: how many of the group are taken.
    std::vector<std::uint32_t> taken_;
};

EntryDifference DifferenceOf(EntryChange change, const OdaEntry& entry) {
    return {change, std::string(TagBytes(entry)), std::string(entry.Name())};
}

}  // namespace

ArchiveDiffOutcome DiffArchiveFiles(const std::string& firstPath, const std::string& secondPath) {
    NamedSource sources[2] = {{firstPath, std::make_unique<FileSource>()},
                              {secondPath, std::make_unique<FileSource>()}};
    for (NamedSource& source : sources) {
        auto& file = static_cast<FileSource&>(*source.bytes);
        if (!file.Open(source.name)) {
            ArchiveDiffOutcome diff{.verdict = ArchiveDiffVerdict::NotSound, .archive = source.name};
            diff.check.verdict = ArchiveCheckVerdict::NotOpened;
            diff.check.failure = file.LastFailure();
            return diff;
        }
    }
    return DiffArchives(std::move(sources[0]), std::move(sources[1]));
}

ArchiveDiffOutcome DiffArchives(NamedSource firstSource, NamedSource secondSource) {
    ArchiveDiffOutcome diff;
    OdaArchive first;
    OdaArchive second;
    for (auto [source, archive] : {std::pair{&firstSource, &first}, std::pair{&secondSource, &second}}) {
        diff.check = CheckArchive(*source->bytes);
        if (!diff.check.Sound()) {
            diff.verdict = ArchiveDiffVerdict::NotSound;
            diff.archive = source->name;
            return diff;
        }
        if (!archive->OpenSource(std::move(source->bytes))) {
            diff.verdict = ArchiveDiffVerdict::NotOpened;
            diff.archive = source->name;
            return diff;
        }
    }

    EntryMatcher unmatched(second);
    std::vector<bool> matched(second.TableSize(), false);
    DataComparer comparer(first, second);

    for (const OdaEntry& entry : first.Table()) {
        const std::optional<std::size_t> match = unmatched.Take(entry);
        if (!match) {
            diff.differences.push_back(DifferenceOf(EntryChange::Removed, entry));
            continue;
        }
        const std::size_t j = *match;
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

std::optional<std::size_t> FindMergedSet(const std::string& basePath, const std::vector<std::string>& setPaths,
                                         const std::string& mergedPath) {
    OdaArchive base;
    OdaArchive merged;
    for (auto [path, archive] : {std::pair{&basePath, &base}, std::pair{&mergedPath, &merged}}) {
        if (!CheckArchiveFile(*path).Sound() || !archive->Open(*path)) return std::nullopt;
    }
    if (merged.TableSize() != base.TableSize()) return std::nullopt;

    // The merged archive's data is read once against the base; each set
    // then costs only its own entries.
    std::vector<bool> sameAsBase(merged.TableSize(), false);
    {
        EntryMatcher unmatched(base);
        DataComparer comparer(base, merged);
        for (std::size_t i = 0; i < merged.TableSize(); ++i) {
            const std::optional<std::size_t> inBase = unmatched.Take(merged.Entry(i));
            if (!inBase) return std::nullopt;
            sameAsBase[i] = comparer.Same(base.Entry(*inBase), merged.Entry(i));
        }
    }
    for (std::size_t candidate = 0; candidate < setPaths.size(); ++candidate) {
        OdaArchive set;
        if (!CheckArchiveFile(setPaths[candidate]).Sound() || !set.Open(setPaths[candidate])) continue;
        DataComparer comparer(set, merged);
        bool holds = true;
        for (std::size_t i = 0; holds && i < merged.TableSize(); ++i) {
            // The merge takes the set's first entry of a tag and name.
            const std::optional<std::size_t> inSet = set.Find(merged.Entry(i));
            holds = inSet ? comparer.Same(set.Entry(*inSet), merged.Entry(i)) : sameAsBase[i];
        }
        if (holds) return candidate;
    }
    return std::nullopt;
}

}  // namespace tamsiro
