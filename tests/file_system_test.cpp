#include "host/file_system.h"
#include "app/busy_cursor.h"
#include "host/binary_file.h"
#include "host/device_reader.h"
#include "host/program_folder.h"
#include "stick/stick_writer.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tamsiro::test {
namespace {

namespace fs = std::filesystem;
using FileSystem = FolderTest;

TEST_F(FileSystem, FileExistsOnlyForReadableFiles) {
    samples::WriteText(folder / "file", "x");
    fs::create_directory(folder / "dir");
    EXPECT_TRUE(FileExists(folder / "file"));
    EXPECT_FALSE(FileExists(folder / "dir"));
    EXPECT_FALSE(FileExists(folder / "missing"));
}

TEST_F(FileSystem, CopyFailIfExistsKeepsTheExistingTarget) {
    samples::WriteText(folder / "from", "new");
    samples::WriteText(folder / "to", "old");
    EXPECT_FALSE(CopyWholeFile(folder / "from", folder / "to", CopyMode::FailIfExists));
    EXPECT_EQ(ReadFile(folder / "to"), "old");
    EXPECT_TRUE(CopyWholeFile(folder / "from", folder / "to", CopyMode::Overwrite));
    EXPECT_EQ(ReadFile(folder / "to"), "new");
    EXPECT_TRUE(CopyWholeFile(folder / "from", folder / "fresh", CopyMode::FailIfExists));
    EXPECT_EQ(ReadFile(folder / "fresh"), "new");
}

TEST_F(FileSystem, CopyTakesLargeAndEmptyFilesExactly) {
    std::vector<unsigned char> big(3 * 1024 * 1024 + 17);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<unsigned char>(i * 31 + 7);
    samples::WriteBytes(folder / "big", big);
    samples::WriteBytes(folder / "empty", {});
    ASSERT_TRUE(CopyWholeFile(folder / "big", folder / "big.copy", CopyMode::FailIfExists));
    ASSERT_TRUE(CopyWholeFile(folder / "empty", folder / "empty.copy", CopyMode::FailIfExists));
    EXPECT_EQ(samples::ReadBytes(folder / "big.copy"), big);
    EXPECT_TRUE(FileExists(folder / "empty.copy"));
    EXPECT_TRUE(samples::ReadBytes(folder / "empty.copy").empty());

    // Files that claim a size of 0 but have content (as /proc's do) are copied whole.
    ASSERT_TRUE(CopyWholeFile("/proc/self/mounts", folder / "mounts", CopyMode::FailIfExists));
    EXPECT_EQ(ReadFile(folder / "mounts").empty(), false);
    EXPECT_EQ(ReadFile(folder / "mounts").substr(0, 20), ReadFile("/proc/self/mounts").substr(0, 20));
}

TEST_F(FileSystem, FailedCopiesLeaveNoPartialTarget) {
    samples::WriteText(folder / "from", std::string(100000, 'a'));
    fs::create_directory(folder / "dir");
    EXPECT_FALSE(CopyWholeFile(folder / "from", folder / "dir", CopyMode::Overwrite));
    EXPECT_TRUE(fs::is_directory(folder / "dir"));
    EXPECT_FALSE(CopyWholeFile(folder / "missing", folder / "to", CopyMode::Overwrite));
    EXPECT_FALSE(Exists(folder / "to"));
    EXPECT_FALSE(CopyWholeFile(folder / "from", folder / "no-such-dir/to", CopyMode::Overwrite));

    fs::create_symlink("/dev/full", folder / "full");
    EXPECT_FALSE(CopyWholeFile(folder / "from", folder / "full", CopyMode::Overwrite));
    EXPECT_FALSE(Exists(folder / "full"));
}

TEST_F(FileSystem, AWriteThatNeverReachesTheDiskFailsItsFlushAndClose) {
    fs::create_symlink("/dev/full", folder / "full");
    for (const bool flushFirst : {true, false}) {
        BinaryFile file;
        ASSERT_TRUE(file.Open(folder / "full", BinaryFile::Mode::Write));
        EXPECT_TRUE(file.WriteExactly("1 VOICE\n", 8));  // still in the stream's buffer
        if (flushFirst) {
            EXPECT_FALSE(file.Flush());
        }
        EXPECT_FALSE(file.Close());
    }
    fs::create_directory(folder / "dir");
    BinaryFile file;
    EXPECT_FALSE(file.Open(folder / "dir", BinaryFile::Mode::Write));
}

TEST_F(FileSystem, AVolumeThatReportsNoSizeHasUnknownSpace) {
    const auto here = SpaceOf(folder.Str());
    ASSERT_TRUE(here.has_value());
    EXPECT_GT(here->freeBytes, 0u);
    // procfs reports 0 blocks in all, as some FUSE file systems do for a
    // stick: that is not a full volume.
    EXPECT_FALSE(SpaceOf("/proc").has_value());
}

// The check after a copy reads past the cache where the file system allows
// (the test folder's disk) and plainly where it does not (tmpfs).
TEST_F(FileSystem, TheDeviceReaderReadsWholeBlocksAndTheTailExactly) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    std::vector<unsigned char> bytes(2 * kMiB + 208);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 131 + i / 4096);
    const TempFolder inMemory(fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path());
    for (const std::string& path : {folder / "file", inMemory / "file"}) {
        SCOPED_TRACE(path);
        samples::WriteBytes(path, bytes);
        AlignedBuffer buffer(kMiB);
        DeviceReader reader;
        ASSERT_TRUE(reader.Open(path));
        std::vector<unsigned char> read;
        for (const std::size_t chunk : {kMiB, kMiB, std::size_t{208}}) {
            ASSERT_TRUE(reader.ReadExactly(buffer, chunk));
            read.insert(read.end(), buffer.Data(), buffer.Data() + chunk);
        }
        EXPECT_EQ(read, bytes);
        EXPECT_FALSE(reader.ReadExactly(buffer, 1)) << "past the end";

        // A read of part of a block that is not the file's last, and one
        // larger than the buffer, both fail.
        ASSERT_TRUE(reader.Open(path));
        EXPECT_FALSE(reader.ReadExactly(buffer, 100));
        ASSERT_TRUE(reader.Open(path));
        EXPECT_FALSE(reader.ReadExactly(buffer, kMiB + 1));
    }
    DeviceReader missing;
    EXPECT_FALSE(missing.Open(folder / "missing"));
}

// A stick file's copy and its check, from a file and from memory, across
// the 1 MiB chunks it is checked in, read back past the cache on disk and
// plainly on tmpfs.
TEST_F(FileSystem, CheckedCopiesAreExactAtEverySize) {
    const TempFolder inMemory(fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path());
    ScriptedUi ui;
    const CopySteps steps{"copying", "writing", "checking"};
    for (const TempFolder* place : {static_cast<const TempFolder*>(&folder), &inMemory}) {
        for (const std::size_t size :
             {std::size_t{0}, std::size_t{1}, std::size_t{4096}, std::size_t{1} << 20, (std::size_t{2} << 20) + 208}) {
            SCOPED_TRACE(place->Str() + " " + std::to_string(size));
            std::string bytes(size, '\0');
            for (std::size_t i = 0; i < size; ++i)
                bytes[i] = static_cast<char>(i * 131 + i / 4093);  // no two chunks alike
            ASSERT_TRUE(samples::WriteText(*place / "source", bytes));
            samples::WriteText(*place / "copy", "left over");
            EXPECT_TRUE(CopyVerified(ui, *place / "source", *place / "copy", steps));
            EXPECT_EQ(ReadFile(*place / "copy"), bytes);
            EXPECT_TRUE(WriteVerified(ui, bytes, *place / "written", steps));
            EXPECT_EQ(ReadFile(*place / "written"), bytes);
        }
    }
    Failure failure;
    EXPECT_FALSE(WriteVerified(ui, "x", folder / "missing/written", steps, &failure));
    EXPECT_EQ(failure.action, FileAction::Create);
    EXPECT_EQ(failure.reason, FailureReason::NotFound);
    fs::create_directory(folder / "dir");
    EXPECT_FALSE(CopyVerified(ui, folder / "source", folder / "dir", steps));
    EXPECT_FALSE(CopyVerified(ui, folder / "missing", folder / "copy2", steps));
    EXPECT_FALSE(fs::exists(folder / "copy2"));
}

TEST_F(FileSystem, RenameRefusesAnExistingTarget) {
    samples::WriteText(folder / "a", "a");
    samples::WriteText(folder / "b", "b");
    EXPECT_FALSE(RenameFile(folder / "a", folder / "b"));
    EXPECT_EQ(ReadFile(folder / "b"), "b");
    fs::create_directory(folder / "d");
    EXPECT_FALSE(RenameFile(folder / "a", folder / "d"));
    EXPECT_TRUE(RenameFile(folder / "a", folder / "c"));
    EXPECT_EQ(ReadFile(folder / "c"), "a");
    EXPECT_FALSE(Exists(folder / "a"));
    EXPECT_FALSE(RenameFile(folder / "a", folder / "e"));
}

TEST_F(FileSystem, DeleteNeverRemovesADirectory) {
    fs::create_directory(folder / "empty-dir");
    samples::WriteText(folder / "file", "x");
    EXPECT_FALSE(DeleteFileAt(folder / "empty-dir"));
    EXPECT_TRUE(fs::is_directory(folder / "empty-dir"));
    EXPECT_TRUE(DeleteFileAt(folder / "file"));
    EXPECT_FALSE(DeleteFileAt(folder / "file"));
}

using ProgramFolder = WorkspaceTest;

TEST_F(ProgramFolder, DataFilesLiveBesideTheExecutable) {
    EXPECT_EQ(ProgramFolderOf("/opt/tamsiro/tamsiro"), "/opt/tamsiro");
    EXPECT_EQ(ProgramFolderOf("/tamsiro"), "");
    EXPECT_EQ(AppContext(workspace.ui, "").DataFilePath("DATA_BASEMIND3.ODA"), "/DATA_BASEMIND3.ODA");
    EXPECT_FALSE(RunningExecutablePath().empty());

    ASSERT_TRUE(samples::WriteText(workspace.Program("data_m3_tilda.oda"), "x"));
    EXPECT_EQ(workspace.context.DataFilePath("DATA_M3_Tilda.ODA"), workspace.Program("data_m3_tilda.oda"));
    EXPECT_EQ(workspace.context.DataFilePath("TMP.ODA"), workspace.Program("TMP.ODA"));
}

TEST(BusyCursor, ExtraEndsOnlyRestoreTheNormalPointer) {
    ScriptedUi ui;
    BusyCursor busy(ui);
    busy.Begin();
    busy.Begin();
    busy.End();
    EXPECT_TRUE(ui.busyShown);
    busy.End();
    EXPECT_FALSE(ui.busyShown);
    busy.End();
    EXPECT_FALSE(ui.busyShown);
    EXPECT_EQ(busy.Depth(), 0);
    busy.Begin();
    EXPECT_TRUE(ui.busyShown);
}

}  // namespace
}  // namespace tamsiro::test
