// Builds a workspace in which Tamsiro can be tried without a robot:
//   <folder>/Tamsiro  the program folder, with sound sets for some rows only
//                     so that the missing ones show greyed out
//   <folder>/stick    a memory stick as AiboMind 3 (English) leaves it
// Everything is generated; the sounds are short synthetic tones.

#include "tools/sample_workspace.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

constexpr int kDemoSoundEntries = 36;

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_workspace <folder>\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path root = fs::absolute(argv[1]);
    const fs::path program = root / "Tamsiro";
    const fs::path stick = root / "stick";

    std::error_code error;
    fs::create_directories(program, error);
    if (error) {
        std::fprintf(stderr, "make_demo_workspace: cannot create %s: %s\n", program.string().c_str(),
                     error.message().c_str());
        return 1;
    }

    tamsiro::samples::StickOptions stickOptions;
    stickOptions.soundEntries = kDemoSoundEntries;
    if (!tamsiro::samples::WriteSampleStick(stick.string(), stickOptions)) {
        std::fprintf(stderr, "make_demo_workspace: cannot write the sample stick in %s\n", stick.string().c_str());
        return 1;
    }

    // Rows counted from 0: the sixth row (MiniTilda) is there in Main and
    // Talkative Voice, so the male-voice question can be tried.
    tamsiro::samples::SoundSetRows rows;
    rows.main = {0, 1, 5};
    rows.voice = {0, 3, 5};
    rows.games = {1, 2};
    if (!tamsiro::samples::WriteSampleSoundSets(program.string(), rows, kDemoSoundEntries)) {
        std::fprintf(stderr, "make_demo_workspace: cannot write the sound sets in %s\n", program.string().c_str());
        return 1;
    }

    std::printf("Demo workspace ready:\n  program folder  %s\n  stick           %s (choose %s)\n",
                program.string().c_str(), stick.string().c_str(), (stick / "memstick.ind").string().c_str());
    return 0;
}
