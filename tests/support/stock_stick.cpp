#include "tests/support/stock_stick.h"

#include "archive/archive_writer.h"

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
        std::ifstream in(it->path(), std::ios::binary);
        tree[fs::relative(it->path(), root).generic_string()] =
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

void ReplaceContents(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(to)) fs::remove_all(entry.path());
    fs::copy(from, to, fs::copy_options::recursive);
}

}  // namespace tamsiro::test
