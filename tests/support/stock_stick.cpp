#include "tests/support/stock_stick.h"

#include "tools/archive_fixtures.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace tamsiro::test {

namespace fs = std::filesystem;

bool WriteStockStick(const std::string& root, const samples::StickOptions& options) {
    bool ok = samples::WriteSampleStick(root, options);
    ok = WriteArchive(root + "/" + kGame1, {{"WAVE", "STOCK1.WAV", samples::SyntheticTone(1200, 7)}}) && ok;
    ok = WriteArchive(root + "/" + kGame8, {{"WAVE", "STOCK8.WAV", samples::SyntheticTone(1300, 9)}}) && ok;
    return ok;
}

Tree ReadTree(const fs::path& root) {
    Tree tree;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file()) continue;
        // One read per file: a stick may hold tens of MB the checks skip.
        std::ifstream in(it->path(), std::ios::binary);
        std::string bytes(static_cast<std::size_t>(it->file_size()), '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
        tree[fs::relative(it->path(), root).generic_string()] = std::move(bytes);
    }
    return tree;
}

std::optional<std::string> FileIn(const Tree& tree, const std::string& relative) {
    const auto found = tree.find(relative);
    if (found == tree.end()) return std::nullopt;
    return found->second;
}

std::vector<std::string> Differences(const Tree& actual, const Tree& expected) {
    std::vector<std::string> differing;
    for (const auto& [path, bytes] : actual) {
        const auto other = expected.find(path);
        if (other == expected.end()) {
            differing.push_back(path + " (not expected)");
        } else if (other->second != bytes) {
            differing.push_back(path + " (differs)");
        }
    }
    for (const auto& [path, bytes] : expected) {
        if (actual.count(path) == 0) differing.push_back(path + " (missing)");
    }
    return differing;
}

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::vector<std::string> BrokenInvariants(const Tree& stick, const Tree& program, const Tree& stock, const Tree& before,
                                          const Tree& after) {
    std::vector<std::string> broken;
    auto oneOf = [&](const char* path, std::initializer_list<std::optional<std::string>> allowed) {
        const auto actual = FileIn(stick, path);
        if (std::find(allowed.begin(), allowed.end(), actual) == allowed.end()) {
            broken.push_back(std::string(path) + (actual ? " is neither the old nor the new file" : " is missing"));
        }
    };
    oneOf(kSoundArchive, {FileIn(before, kSoundArchive), FileIn(after, kSoundArchive), FileIn(stock, kSoundArchive)});
    oneOf(kVoiceList, {FileIn(before, kVoiceList), FileIn(after, kVoiceList)});
    oneOf(kModeFlags, {FileIn(before, kModeFlags), FileIn(after, kModeFlags)});
    auto games = [](const Tree& tree) { return std::make_pair(FileIn(tree, kGame1), FileIn(tree, kGame8)); };
    if (games(stick) != games(before) && games(stick) != games(after))
        broken.push_back("the Games files are not a pair");
    for (const auto& [path, bytes] : stick) {
        if (EndsWith(path, ".NEW") || EndsWith(path, ".RDY") || EndsWith(path, ".TMP"))
            broken.push_back(path + " left on the stick");
    }
    const std::string store = "DATA_BASEMIND3.FILES/";
    for (const auto& [path, bytes] : program) {
        if (EndsWith(path, ".partial")) {
            broken.push_back(path + " left in the program folder");
        } else if (path == store + "STICK.JSON") {
            // The stick's record itself, not a stock file.
        } else if (path == "DATA_BASEMIND3.ODA" && bytes != FileIn(stock, kSoundArchive)) {
            broken.push_back("the base is not the stock archive");
        } else if (path.rfind(store, 0) == 0 && EndsWith(path, ".absent")) {
            if (FileIn(stock, path.substr(store.size(), path.size() - store.size() - 7)))
                broken.push_back(path + ": the stock stick has it");
        } else if (path.rfind(store, 0) == 0 && FileIn(stock, path.substr(store.size())) != bytes) {
            broken.push_back(path + " is not the stock file");
        }
    }
    return broken;
}

void ReplaceContents(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(to)) fs::remove_all(entry.path());
    fs::copy(from, to, fs::copy_options::recursive);
}

void CopyOver(const std::string& from, const std::string& to) {
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

}  // namespace tamsiro::test
