// The driver of a fuzz target built without libFuzzer (dev and sanitizer
// builds): runs LLVMFuzzerTestOneInput once over each input given, so that
// ctest replays the seed corpora.
//
//   fuzz_<target> FILE-OR-FOLDER...     (a folder: every file in it)
//
// A failed check aborts, as under libFuzzer; no input at all is a failure.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

// Absolute paths, each folder's files in name order: the targets change
// their current folder.
std::vector<fs::path> InputFiles(int argc, char** argv) {
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path path = fs::absolute(argv[i]);
        std::error_code error;
        if (!fs::is_directory(path, error)) {
            files.push_back(path);
            continue;
        }
        const std::size_t first = files.size();
        for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
            if (entry.is_regular_file(error)) files.push_back(entry.path());
        }
        std::sort(files.begin() + static_cast<std::ptrdiff_t>(first), files.end());
    }
    return files;
}

// Runs one input from a buffer of exactly its size, as libFuzzer does, so
// that the sanitizers see a read past its end.
bool Replay(const fs::path& file) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    std::ifstream in(file, std::ios::binary);
    if (error || !in) return false;
    const auto input = std::make_unique<std::uint8_t[]>(size);
    if (!in.read(reinterpret_cast<char*>(input.get()), static_cast<std::streamsize>(size))) return false;
    LLVMFuzzerTestOneInput(input.get(), size);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<fs::path> files = InputFiles(argc, argv);
    if (files.empty()) {
        std::fprintf(stderr, "usage: %s FILE-OR-FOLDER...   (no input found)\n", argv[0]);
        return 1;
    }
    for (const fs::path& file : files) {
        std::fprintf(stderr, "Running: %s\n", file.c_str());
        if (!Replay(file)) {
            std::fprintf(stderr, "cannot read %s\n", file.c_str());
            return 1;
        }
    }
    std::fprintf(stderr, "Executed %zu inputs\n", files.size());
    return 0;
}
