// Builds what the end-to-end tests of Tamsiro.exe start from and compare
// with, on the host:
//
//   e2e_fixture stick <root> [generation=N] [language=N] [no-marker] [upper-case]
//   e2e_fixture sets <folder> [main=ROWS] [voice=ROWS] [games=ROWS]
//   e2e_fixture merge <base.oda> <set.oda> <out.oda>
//
// ROWS are 0-based rows, comma separated. `merge` writes the archive a Main
// install must put on the stick; it is worked out here independently of
// the installer.
#include "tools/sample_workspace.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using tamsiro::samples::ReadBytes;
using tamsiro::samples::WriteBytes;

constexpr std::size_t kHeaderSize = 64;
constexpr std::size_t kEntrySize = 144;

std::uint32_t Le32(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes.at(at)) | static_cast<std::uint32_t>(bytes.at(at + 1)) << 8 |
           static_cast<std::uint32_t>(bytes.at(at + 2)) << 16 | static_cast<std::uint32_t>(bytes.at(at + 3)) << 24;
}

void PutLe32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
}

struct Entry {
    Bytes raw;  // the 144 table bytes
    std::string tag, name;
    Bytes data;
};

bool ReadArchive(const std::string& path, Bytes& header, std::vector<Entry>& entries) {
    const Bytes file = ReadBytes(path);
    if (file.size() < kHeaderSize || std::memcmp(file.data(), "ODAR", 4) != 0) return false;
    header.assign(file.begin(), file.begin() + kHeaderSize);
    const std::uint32_t count = Le32(file, 8);
    if (file.size() < kHeaderSize + count * kEntrySize) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = kHeaderSize + i * kEntrySize;
        Entry entry;
        entry.raw.assign(file.begin() + static_cast<long>(at), file.begin() + static_cast<long>(at + kEntrySize));
        entry.tag.assign(reinterpret_cast<const char*>(&entry.raw[0]), 4);
        entry.name = reinterpret_cast<const char*>(&entry.raw[4]);
        const std::uint32_t offset = Le32(entry.raw, 132);
        const std::uint32_t size = Le32(entry.raw, 136);
        if (offset + static_cast<std::uint64_t>(size) > file.size()) return false;
        entry.data.assign(file.begin() + offset, file.begin() + offset + size);
        entries.push_back(std::move(entry));
    }
    return true;
}

int Merge(const std::string& basePath, const std::string& setPath, const std::string& outPath) {
    Bytes header, ignored;
    std::vector<Entry> base, set;
    if (!ReadArchive(basePath, header, base) || !ReadArchive(setPath, ignored, set)) {
        std::fprintf(stderr, "merge: unreadable archive\n");
        return 1;
    }
    Bytes out = header;
    Bytes table;
    Bytes data;
    std::uint32_t offset = static_cast<std::uint32_t>(kHeaderSize + base.size() * kEntrySize);
    for (const Entry& entry : base) {
        const Bytes* source = &entry.data;
        for (const Entry& replacement : set) {
            if (replacement.tag == entry.tag && replacement.name == entry.name) {
                source = &replacement.data;
                break;
            }
        }
        Bytes raw = entry.raw;
        PutLe32(raw, 132, offset);
        PutLe32(raw, 136, static_cast<std::uint32_t>(source->size()));
        table.insert(table.end(), raw.begin(), raw.end());
        data.insert(data.end(), source->begin(), source->end());
        offset += static_cast<std::uint32_t>(source->size());
    }
    out.insert(out.end(), table.begin(), table.end());
    out.insert(out.end(), data.begin(), data.end());
    return WriteBytes(outPath, out) ? 0 : 1;
}

std::vector<int> Rows(const std::string& list) {
    std::vector<int> rows;
    std::size_t start = 0;
    while (start < list.size()) {
        const auto comma = list.find(',', start);
        rows.push_back(std::stoi(list.substr(start, comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return rows;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "stick") {
        tamsiro::samples::StickOptions options;
        for (std::size_t i = 2; i < args.size(); ++i) {
            const std::string& option = args[i];
            if (StartsWith(option, "generation=")) options.version.generation = std::stoi(option.substr(11));
            else if (StartsWith(option, "language=")) options.version.language = std::stoi(option.substr(9));
            else if (option == "no-marker") options.withMarker = false;
            else if (option == "upper-case") options.upperCaseNames = true;
            else {
                std::fprintf(stderr, "stick: unknown option %s\n", option.c_str());
                return 2;
            }
        }
        return tamsiro::samples::WriteSampleStick(args[1], options) ? 0 : 1;
    }
    if (args.size() >= 2 && args[0] == "sets") {
        tamsiro::samples::SoundSetRows rows;
        for (std::size_t i = 2; i < args.size(); ++i) {
            const std::string& option = args[i];
            if (StartsWith(option, "main=")) rows.main = Rows(option.substr(5));
            else if (StartsWith(option, "voice=")) rows.voice = Rows(option.substr(6));
            else if (StartsWith(option, "games=")) rows.games = Rows(option.substr(6));
            else {
                std::fprintf(stderr, "sets: unknown option %s\n", option.c_str());
                return 2;
            }
        }
        return tamsiro::samples::WriteSampleSoundSets(args[1], rows) ? 0 : 1;
    }
    if (args.size() == 4 && args[0] == "merge") return Merge(args[1], args[2], args[3]);
    std::fprintf(stderr, "usage: e2e_fixture stick|sets|merge ...\n");
    return 2;
}
