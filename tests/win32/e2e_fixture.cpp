// Builds what the end-to-end tests of Tamsiro.exe start from and compare
// with, on the host:
//
//   e2e_fixture stick <root> [generation=N] [language=N] [no-marker] [upper-case]
//   e2e_fixture sets <folder> [main=ROWS] [voice=ROWS] [games=ROWS] [main-bytes=N]
//   e2e_fixture merge <base.oda> <set.oda> <out.oda>
//
// ROWS are 0-based rows, comma separated; main-bytes makes each sound of
// the Main sets about N bytes long (long installs for the progress window). `merge` writes the archive a Main
// install must put on the stick, from the plain reference model, not from
// the installer's code.
#include "tests/support/reference_merge.h"
#include "tools/sample_workspace.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using tamsiro::samples::ReadBytes;
using tamsiro::samples::WriteBytes;
using tamsiro::test::Bytes;

int Merge(const std::string& basePath, const std::string& setPath, const std::string& outPath) {
    const Bytes base = ReadBytes(basePath);
    const Bytes set = ReadBytes(setPath);
    if (!tamsiro::test::ReferenceOpens(base) || !tamsiro::test::ReferenceOpens(set)) {
        std::fprintf(stderr, "merge: unreadable archive\n");
        return 1;
    }
    const auto merged = tamsiro::test::ReferenceMerge(base, set);
    if (!merged) {
        std::fprintf(stderr, "merge: data outside its archive\n");
        return 1;
    }
    return WriteBytes(outPath, *merged) ? 0 : 1;
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

// As the sample stick and sets have them.
constexpr int kStickEntries = 40;
constexpr int kMainStride = 3;

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "stick") {
        tamsiro::samples::StickOptions options;
        for (std::size_t i = 2; i < args.size(); ++i) {
            const std::string& option = args[i];
            if (StartsWith(option, "generation="))
                options.version.generation = std::stoi(option.substr(11));
            else if (StartsWith(option, "language="))
                options.version.language = std::stoi(option.substr(9));
            else if (option == "no-marker")
                options.withMarker = false;
            else if (option == "upper-case")
                options.upperCaseNames = true;
            else {
                std::fprintf(stderr, "stick: unknown option %s\n", option.c_str());
                return 2;
            }
        }
        return tamsiro::samples::WriteSampleStick(args[1], options) ? 0 : 1;
    }
    if (args.size() >= 2 && args[0] == "sets") {
        tamsiro::samples::SoundSetRows rows;
        std::size_t mainBytes = 0;
        for (std::size_t i = 2; i < args.size(); ++i) {
            const std::string& option = args[i];
            if (StartsWith(option, "main-bytes="))
                mainBytes = std::stoul(option.substr(11));
            else if (StartsWith(option, "main="))
                rows.main = Rows(option.substr(5));
            else if (StartsWith(option, "voice="))
                rows.voice = Rows(option.substr(6));
            else if (StartsWith(option, "games="))
                rows.games = Rows(option.substr(6));
            else {
                std::fprintf(stderr, "sets: unknown option %s\n", option.c_str());
                return 2;
            }
        }
        if (mainBytes > 0) {
            for (int row : rows.main) {
                const auto entries =
                    tamsiro::samples::MainSetEntries(kStickEntries, kMainStride, static_cast<unsigned>(row), mainBytes);
                if (!tamsiro::WriteArchive(args[1] + "/DATA_M3_" + tamsiro::samples::RowFileLabel(row) + ".ODA",
                                           entries))
                    return 1;
            }
            rows.main.clear();
        }
        return tamsiro::samples::WriteSampleSoundSets(args[1], rows) ? 0 : 1;
    }
    if (args.size() == 4 && args[0] == "merge") return Merge(args[1], args[2], args[3]);
    std::fprintf(stderr, "usage: e2e_fixture stick|sets|merge ...\n");
    return 2;
}
