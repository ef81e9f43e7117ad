#include "ui/win32/set_choices.h"

#include "app/app_context.h"
#include "host/file_system.h"
#include "ui/ui_texts.h"

#include <utility>

namespace tamsiro::win32 {

namespace {

constexpr std::array<const char*, kCategoriesInDialogOrder.size()> kGroupNames = [] {
    std::array<const char*, kCategoriesInDialogOrder.size()> names{};
    names[kMainPlace] = TAMSIRO_GROUP_MAIN;
    names[kVoicePlace] = TAMSIRO_GROUP_VOICE;
    names[kGamesPlace] = TAMSIRO_GROUP_GAMES;
    return names;
}();

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string GroupName(std::size_t categoryPlace) {
    return categoryPlace < kGroupNames.size() ? kGroupNames[categoryPlace] : "";
}

std::string ExtraChoiceText(const SetChoice& choice) { return GroupName(choice.categoryPlace) + ": " + choice.label; }

std::vector<SetChoice> ExtraChoicesOf(const ExtraSetsPerGroup& sets) {
    std::vector<SetChoice> choices;
    for (std::size_t place = 0; place < sets.size(); ++place) {
        for (const FolderSet& set : sets[place]) {
            // Only a file of it brought it here, so a set that lacks one
            // always has another.
            choices.push_back({place, set.label, set.missingFile, !set.missingFile.empty()});
        }
    }
    return choices;
}

std::vector<SetChoice> ExtraChoices(const AppContext& context) {
    ExtraSetsPerGroup sets;
    for (std::size_t place = 0; place < sets.size(); ++place) {
        sets[place] = ExtraSets(context, kCategoriesInDialogOrder[place]);
    }
    return ExtraChoicesOf(sets);
}

SetChoice RowChoice(const AppContext& context, std::size_t categoryPlace, const std::string& label) {
    const SoundCategory& category = kCategoriesInDialogOrder.at(categoryPlace);
    SetChoice choice{categoryPlace, label, MissingDataFile(context, category, label), false};
    if (choice.missingFile.empty()) return choice;
    for (const char* prefix : {category.prefix, category.secondPrefix}) {
        if (prefix == nullptr) continue;
        const std::string name = DataFileName(prefix, label);
        if (name != choice.missingFile && FileExists(context.DataFilePath(name))) choice.partlyThere = true;
    }
    return choice;
}

std::string MissingFileLine(const SetChoice& greyed) {
    return TAMSIRO_MISSING_FILE + greyed.missingFile + " (" + ExtraChoiceText(greyed) + ")";
}

std::string MissingFilesLine(const std::vector<SetChoice>& greyed) {
    std::string line;
    for (const SetChoice& choice : greyed) {
        if (!choice.partlyThere || choice.missingFile.empty()) continue;
        line += line.empty() ? TAMSIRO_MISSING_FILE : ", ";
        line += choice.missingFile + " (" + ExtraChoiceText(choice) + ")";
    }
    return line;
}

std::string StickRootLine(const std::string& root) {
    std::string shown = root;
    // "E:\" and "/" keep theirs: without it they name another folder.
    if (shown.size() > 1 && IsSeparator(shown.back()) && shown[shown.size() - 2] != ':') shown.pop_back();
    return TAMSIRO_STICK_LINE + shown;
}

std::string StickWordsLine(const DialogStatusWords& words, std::string_view separator) {
    std::string line = "Main: " + words.main;
    line.append(separator).append("Voice: ").append(words.voice);
    line.append(separator).append("Games: ").append(words.games);
    return line;
}

SaveSelection WithExtraChoices(SaveSelection selection, const std::vector<SetChoice>& checked) {
    for (const SetChoice& choice : checked) {
        switch (choice.categoryPlace) {
        case kMainPlace: selection.main = choice.label; break;
        case kVoicePlace:
            selection.voice = choice.label;
            selection.voiceOffersMaleVoiceRemoval = false;
            break;
        case kGamesPlace: selection.games = choice.label; break;
        default: break;
        }
    }
    return selection;
}

}  // namespace tamsiro::win32
