// The marks the crash seam writes before each file operation are the ones
// tamsiro_crash_states finds in a write recording, and nothing else of
// the device changes.
#include "host/file_change_hook.h"
#include "tests/fat/write_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tamsiro {
namespace {

constexpr std::size_t kMarkAt = 1024;

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(ChangeMarker, EachOperationLeavesAMarkTheRecordingFinds) {
    const std::string device = (std::filesystem::current_path() / "change_marker_test.disk").string();
    std::ofstream(device, std::ios::binary) << std::string(4096, 'x');
    const int probe = ::open(device.c_str(), O_WRONLY | O_DIRECT);
    if (probe < 0) GTEST_SKIP() << "this file system has no O_DIRECT";
    ::close(probe);
    // Read once, at the first operation of the process.
    ::setenv("TAMSIRO_MARK_DEVICE", (device + ":" + std::to_string(kMarkAt)).c_str(), 1);

    const std::string longPath = "/stick/" + std::string(600, 'L');
    const struct {
        bool (*operation)(const std::string&);
        std::string path;
        std::string mark;
    } cases[] = {
        {[](const std::string& p) { return BeforeFileChange(FileOperation::Write, p); }, "/stick/A.NEW",
         "1 write /stick/A.NEW"},
        {[](const std::string& p) { return BeforeFileChange(FileOperation::Rename, p, "/stick/A"); }, "/stick/A.NEW",
         "2 rename /stick/A.NEW -> /stick/A"},
        {[](const std::string&) { return BeforeFileChange(); }, "", "3 change "},
        {[](const std::string& p) { return BeforeFileChange(FileOperation::Delete, p); }, longPath,
         ("4 delete " + longPath).substr(0, 512 - 1 - crash::kMarkPrefix.size())},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(c.operation(c.path));
        const std::string disk = Contents(device);
        ASSERT_EQ(disk.size(), 4096u);
        EXPECT_EQ(disk.substr(0, kMarkAt), std::string(kMarkAt, 'x')) << c.mark;
        EXPECT_EQ(disk.substr(kMarkAt + 512), std::string(4096 - kMarkAt - 512, 'x')) << c.mark;
        crash::LogEntry entry{.offset = kMarkAt, .length = 512, .data = disk.substr(kMarkAt, 512)};
        const crash::Recording recording = crash::SplitIntoEpochs({entry});
        ASSERT_EQ(recording.marks.size(), 1u) << c.mark;
        EXPECT_EQ(recording.marks[0].text, c.mark);
        EXPECT_EQ(recording.writes, 0u) << "a mark is no file-system write";
    }
    std::filesystem::remove(device);
}

}  // namespace
}  // namespace tamsiro
