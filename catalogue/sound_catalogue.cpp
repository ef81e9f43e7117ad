#include "catalogue/sound_catalogue.h"

#include "app/app_context.h"
#include "host/file_system.h"
#include "stick/stick_files.h"

#include <algorithm>

namespace tamsiro {

namespace {

// The label in a file name DATA_{prefix}_{label}.ODA, or nothing for a file
// of another kind.
std::optional<std::string> LabelInDataFileName(std::string_view fileName, std::string_view prefix) {
    const std::string head = DataFileName(prefix, "");
    const std::string_view extension = program_files::kDataFileExtension;
    const std::size_t headLength = head.size() - extension.size();  // "DATA_{prefix}_"
    if (fileName.size() <= head.size() ||
        !EqualIgnoringAsciiCase(fileName.substr(0, headLength), head.substr(0, headLength)) ||
        !EqualIgnoringAsciiCase(fileName.substr(fileName.size() - extension.size()), extension)) {
        return std::nullopt;
    }
    return std::string(fileName.substr(headLength, fileName.size() - head.size()));
}

}  // namespace

std::string FileLabelOf(std::string_view rowText) {
    // A Windows dialog's row text was always read into 64 bytes.
    constexpr std::size_t kLongestRowText = 63;
    rowText = rowText.substr(0, kLongestRowText);
    return std::string(rowText.substr(0, rowText.find(' ')));
}

RowFileLabels CatalogueFileLabels() {
    RowFileLabels labels;
    for (auto& category : labels) {
        for (std::size_t row = 0; row < category.size(); ++row) category[row] = FileLabelOf(kRowLabels[row]);
    }
    return labels;
}

bool RowAvailability::IsAvailable(std::size_t categoryPlace, int row) const {
    return categoryPlace < available_.size() && row >= 0 && row < kRowsPerCategory &&
           available_[categoryPlace][static_cast<std::size_t>(row)];
}

int RowAvailability::Count() const {
    int count = 0;
    for (const auto& category : available_)
        count += static_cast<int>(std::count(category.begin(), category.end(), true));
    return count;
}

void RowAvailability::Set(std::size_t categoryPlace, int row, bool available) {
    available_.at(categoryPlace).at(static_cast<std::size_t>(row)) = available;
}

RowAvailability AvailableRows(const AppContext& context, const RowFileLabels& labels) {
    RowAvailability rows;
    for (std::size_t place = 0; place < kCategoriesInDialogOrder.size(); ++place) {
        for (int row = 0; row < kRowsPerCategory; ++row) {
            const std::string& label = labels[place][static_cast<std::size_t>(row)];
            rows.Set(place, row, SetFilesPresent(context, kCategoriesInDialogOrder[place], label));
        }
    }
    return rows;
}

std::string DataFileName(std::string_view prefix, std::string_view label) {
    std::string fileName(program_files::kDataFilePrefix);
    fileName.append(prefix).append("_").append(label).append(program_files::kDataFileExtension);
    return fileName;
}

bool SetFilesPresent(const AppContext& context, const SoundCategory& category, std::string_view label) {
    if (!FileExists(context.DataFilePath(DataFileName(category.prefix, label)))) return false;
    return category.secondPrefix == nullptr ||
           FileExists(context.DataFilePath(DataFileName(category.secondPrefix, label)));
}

std::vector<std::string> AvailableSets(const AppContext& context, const SoundCategory& category) {
    std::vector<std::string> sets;
    for (const char* row : kRowLabels) {
        const std::string label = FileLabelOf(row);
        if (SetFilesPresent(context, category, label)) sets.push_back(label);
    }
    std::vector<std::string> others;
    for (const std::string& fileName : FileNamesIn(context.ProgramFolder())) {
        std::optional<std::string> label = LabelInDataFileName(fileName, category.prefix);
        if (!label || FindSetLabel(sets, *label) || FindSetLabel(others, *label)) continue;
        if (SetFilesPresent(context, category, *label)) others.push_back(std::move(*label));
    }
    std::sort(others.begin(), others.end());
    sets.insert(sets.end(), others.begin(), others.end());
    return sets;
}

bool HoldsAnySoundSet(const AppContext& context) {
    return std::any_of(kCategoriesInDialogOrder.begin(), kCategoriesInDialogOrder.end(),
                       [&](const SoundCategory& category) { return !AvailableSets(context, category).empty(); });
}

std::string MissingDataFile(const AppContext& context, const SoundCategory& category, std::string_view label) {
    for (const char* prefix : {category.prefix, category.secondPrefix}) {
        if (prefix == nullptr) continue;
        const std::string name = DataFileName(prefix, label);
        if (!FileExists(context.DataFilePath(name))) return name;
    }
    return {};
}

std::vector<FolderSet> ExtraSets(const AppContext& context, const SoundCategory& category) {
    std::vector<std::string> rows;
    for (const char* row : kRowLabels) rows.push_back(FileLabelOf(row));
    std::vector<std::string> labels;
    for (const std::string& fileName : FileNamesIn(context.ProgramFolder())) {
        for (const char* prefix : {category.prefix, category.secondPrefix}) {
            if (prefix == nullptr) continue;
            std::optional<std::string> label = LabelInDataFileName(fileName, prefix);
            if (!label || FindSetLabel(rows, *label) || FindSetLabel(labels, *label)) continue;
            labels.push_back(std::move(*label));
        }
    }
    std::sort(labels.begin(), labels.end());
    std::vector<FolderSet> sets;
    for (std::string& label : labels) {
        std::string missing = MissingDataFile(context, category, label);
        sets.push_back({std::move(label), std::move(missing)});
    }
    return sets;
}

std::optional<std::string> FindSetLabel(const std::vector<std::string>& available, std::string_view label) {
    const auto found = std::find_if(available.begin(), available.end(),
                                    [&](const std::string& set) { return EqualIgnoringAsciiCase(set, label); });
    if (found == available.end()) return std::nullopt;
    return *found;
}

}  // namespace tamsiro
