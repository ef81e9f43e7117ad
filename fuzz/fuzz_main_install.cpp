// Fuzz target: the whole Main install of two arbitrary archives:
// the merge into the work archive and the copy to a stick folder. The first
// two input bytes say how many of the rest make the base; the remainder is
// the selected set. Checks messages, busy pointer, the stick's archive and
// the work archive against the merge as first designed.
#include "app/app_context.h"
#include "fuzz/fuzz_support.h"
#include "host/file_system.h"
#include "install/main_install.h"
#include "stick/stick.h"

#include <filesystem>

using namespace tamsiro;
using namespace tamsiro::fuzz;

namespace {

struct Folders {
    std::string program = ScratchFolder() + "/program";
    Stick stick{ScratchFolder() + "/stick"};
    std::string target = stick.Root() + "/OPEN-R/MW/DATA/P/DYNAUDIO.ODA";
    Folders() {
        std::filesystem::create_directories(program);
        std::filesystem::create_directories(stick.Root() + "/OPEN-R/MW/DATA/P");
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Folders folders;
    if (size < 2) return 0;
    const std::size_t split = std::min<std::size_t>(size - 2, data[0] | (data[1] << 8));
    const Bytes base(data + 2, data + 2 + split);
    const Bytes selected(data + 2 + split, data + size);

    const std::string basePath = folders.program + "/DATA_BASEMIND3.ODA";
    const std::string setPath = folders.program + "/DATA_M3_Fuzz.ODA";
    const std::string workPath = folders.program + "/TMP.ODA";
    static const Bytes previous = {'O', 'L', 'D'};
    if (!WriteFileBytes(basePath, base.data(), base.size()) ||
        !WriteFileBytes(setPath, selected.data(), selected.size()) ||
        !WriteFileBytes(folders.target, previous.data(), previous.size())) {
        return 0;
    }
    DiscardFile(workPath);

    RecordingUi ui;
    AppContext context(ui, folders.program);
    const bool installed = InstallMain(context, folders.stick, setPath);
    Require(!ui.busy && context.BusyDepth() == 0, "busy pointer off at the end");
    const auto stick = ReadFileBytes(folders.target);
    const auto work = ReadFileBytes(workPath);

    using Messages = std::vector<std::string>;
    if (!ReferenceOpens(base)) {
        Require(!installed && ui.messages == Messages{"Failed to open base .ODA file\nNot Saved"}, "base refused");
        Require(stick == previous && !work, "nothing written");
        return 0;
    }
    if (!ReferenceOpens(selected)) {
        Require(!installed && ui.messages == Messages{"Failed to open source .ODA file (1)\nNot Saved"}, "set refused");
        Require(stick == previous && !work, "nothing written");
        return 0;
    }
    const auto expected = ReferenceMerge(base, selected);
    if (!expected) {
        Require(!installed && ui.messages == Messages{"Error writing to temp file\nNot Saved"}, "build error");
        Require(stick == previous && !work, "stick untouched, no work archive left after Not Saved");
        return 0;
    }
    Require(installed && ui.messages.empty(), "installed without a message");
    Require(stick == expected, "stick archive equals the reference merge");
    Require(!work, "work archive deleted");
    return 0;
}
