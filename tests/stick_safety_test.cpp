// Save on a real small stick (a tmpfs mounted for the test, so a full stick
// fails with the real ENOSPC): what it leaves, byte for byte, in each
// situation a stick can be in.
#include "app/app_context.h"
#include "host/file_change_hook.h"
#include "host/file_system.h"
#include "install/save_command.h"
#include "install/start_sequence.h"
#include "stick/stick.h"
#include "stick/stick_files.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tamsiro::test {
namespace {

namespace fs = std::filesystem;
using Snapshot = std::map<std::string, std::string>;
using Messages = std::vector<std::string>;

constexpr int kStickEntries = 400;
const std::string kFewer = "ask(no): You didn't select all three parts\nShould I install fewer parts?";
const std::string kSaved = "message: New audio saved";
const std::string kMaleVoice =
    "ask(yes): Should I remove the male voice to free up space?\n(answer Yes to fit on 32MB stick)";

Snapshot Take(const std::string& root) {
    Snapshot files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = ReadFile(entry.path().string());
    }
    return files;
}

std::uint64_t FreeBytes(const std::string& folder) {
    struct statvfs info {};
    ::statvfs(folder.c_str(), &info);
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

// The workspace's stick moved onto a tmpfs of its own, with `room` bytes
// left free by a filler file.
class SmallStick {
public:
    SmallStick(Workspace& workspace, std::uint64_t room) : mountPoint_(workspace.root / "small-stick") {
        fs::create_directories(mountPoint_);
        if (::mount("tamsiro-stick", mountPoint_.c_str(), "tmpfs", 0, "size=4m") != 0) return;
        mounted_ = true;
        fs::copy(workspace.stickFolder, mountPoint_, fs::copy_options::recursive);
        workspace.stickFolder = mountPoint_;
        workspace.stick = Stick(mountPoint_);
        const std::uint64_t free = FreeBytes(mountPoint_);
        if (free > room)
            samples::WriteBytes(mountPoint_ + "/FILLER", std::vector<unsigned char>(free - room - 4096, 0));
    }
    ~SmallStick() {
        if (mounted_) ::umount2(mountPoint_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }

private:
    std::string mountPoint_;
    bool mounted_ = false;
};

int RunShellScript(const std::string& script) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl("/bin/sh", "sh", script.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    return status;
}

struct Situation {
    const char* name;
    std::uint64_t room;  // free bytes on the stick before the Save
    SaveSelection selection;
    std::deque<bool> answers;
    std::function<void(Workspace&)> prepare;
    Messages messages;
    // What the stick must hold afterwards, given what it held before.
    std::function<void(const Workspace&, const Snapshot& before, const Snapshot& after)> check;
};

std::string P(const std::string& name) { return "OPEN-R/MW/DATA/P/" + name; }

TEST(StickSafety, EachSituationLeavesTheStickWhole) {
    const std::string data = "Tilda";
    const std::vector<Situation> situations = {
        {"room for both archives",
         2 << 20,
         {.main = data},
         {true},
         nullptr,
         {kFewer, kSaved},
         [](const Workspace& w, const Snapshot& before, const Snapshot& after) {
             EXPECT_NE(after.at(P("DYNAUDIO.ODA")), before.at(P("DYNAUDIO.ODA")));
             EXPECT_EQ(after.count(P("DYNAUDIO.NEW")), 0u);
             EXPECT_FALSE(Exists(w.Program("TMP.ODA")));
         }},
        {"room for only one archive",
         300 << 10,
         {.main = data},
         {true},
         nullptr,
         {kFewer, kSaved},
         [](const Workspace&, const Snapshot& before, const Snapshot& after) {
             EXPECT_NE(after.at(P("DYNAUDIO.ODA")), before.at(P("DYNAUDIO.ODA")));
             EXPECT_EQ(after.count(P("DYNAUDIO.NEW")), 0u);
         }},
        {"stick too full for the new archive",
         100 << 10,
         {.main = data},
         {true},
         nullptr,
         {kFewer, "message: Not enough space on memory stick - nothing was changed\n"},
         [](const Workspace& w, const Snapshot& before, const Snapshot& after) {
             EXPECT_EQ(after, before);
             EXPECT_FALSE(Exists(w.Program("TMP.ODA")));
         }},
        {"a failed copy in the middle of the Games pair",
         2 << 20,
         {.games = data},
         {true},
         [](Workspace& w) { fs::create_directory(w.OnStick(P("AD013008.NEW"))); },
         {kFewer, "message: Could not copy game#8 audio to memory stick"},
         [](const Workspace&, const Snapshot& before, const Snapshot& after) { EXPECT_EQ(after, before); }},
        {"a voice list that cannot be rewritten, with the 32 MB voice",
         2 << 20,
         {.voice = "MiniTilda", .voiceOffersMaleVoiceRemoval = true},
         {true},
         [](Workspace& w) { samples::WriteText(w.OnStick(P("MCUSLIST.CFG")), Crlf("[VOICE]\n[VOICE]\n")); },
         // The male voice cannot go while the voice list names it: no question.
         {kFewer, "message: Error: bad MCUSLIST.CFG format", "message: Warning: CFG files not updated fully",
          "message: The new sounds are on the memory stick, but the voice settings were not changed\n"
          "The robot keeps using its old voice, and the male voice was kept"},
         [](const Workspace&, const Snapshot& before, const Snapshot& after) {
             // The voice list still names the male voice: it stays.
             EXPECT_EQ(after.at("OPEN-R/MW/DATA/E/ad003000.oda"), before.at("OPEN-R/MW/DATA/E/ad003000.oda"));
             EXPECT_EQ(after.at(P("MCUSLIST.CFG")), before.at(P("MCUSLIST.CFG")));
         }},
    };

    for (const Situation& situation : situations) {
        SCOPED_TRACE(situation.name);
        Workspace workspace({.sets = {.main = {0}, .voice = {5}, .games = {0}}});
        ASSERT_EQ(workspace.Problem(), "");
        // A Main set much larger than the stick's archive, so that the new
        // archive needs more than the old one frees.
        ASSERT_TRUE(
            WriteArchive(workspace.Program("DATA_M3_Tilda.ODA"), samples::MainSetEntries(kStickEntries, 3, 1, 3000)));
        ASSERT_TRUE(WriteArchive(workspace.OnStick(P("DYNAUDIO.ODA")), samples::StickSoundEntries(kStickEntries)));
        ASSERT_TRUE(
            WriteArchive(workspace.OnStick(P("AD013001.ODA")), {{"WAVE", "G1", samples::SyntheticTone(900, 1)}}));
        ASSERT_TRUE(
            WriteArchive(workspace.OnStick(P("AD013008.ODA")), {{"WAVE", "G8", samples::SyntheticTone(900, 8)}}));
        ASSERT_TRUE(workspace.CopyBaseFromStick());
        SmallStick small(workspace, situation.room);
        if (!small.Mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
        if (situation.prepare) situation.prepare(workspace);

        const Snapshot before = Take(workspace.stickFolder);
        workspace.ui.answers = situation.answers;
        FileChangeRecorder recorder;
        const bool saved = Save(workspace.context, workspace.stick, situation.selection);
        EXPECT_EQ(saved, situation.messages.back() == kSaved);
        Messages messages = workspace.ui.Messages();
        // The space message's second line counts the missing KB.
        if (messages.size() == situation.messages.size() && messages.back().rfind(situation.messages.back(), 0) == 0) {
            messages.back() = situation.messages.back();
        }
        EXPECT_EQ(messages, situation.messages);
        situation.check(workspace, before, Take(workspace.stickFolder));

        // Nothing takes a file's place before it has reached the device, and
        // a file under its new name is flushed, then its folder, before
        // anything else happens (FAT writes the entry only with the file).
        std::set<std::string> flushed;
        const std::vector<RecordedFileChange>& changes = recorder.Changes();
        for (std::size_t i = 0; i < changes.size(); ++i) {
            const RecordedFileChange& change = changes[i];
            if (change.operation == FileOperation::Flush) flushed.insert(change.path);
            if (change.operation == FileOperation::Rename && flushed.count(change.path)) flushed.insert(change.target);
            if (change.operation == FileOperation::Replace) {
                EXPECT_TRUE(flushed.count(change.path)) << change.path << " replaced " << change.target << " unflushed";
                flushed.insert(change.target);
            }
            if (change.operation != FileOperation::Rename && change.operation != FileOperation::Replace) continue;
            const bool fileThen = i + 1 < changes.size() && changes[i + 1].operation == FileOperation::Flush &&
                                  changes[i + 1].path == change.target;
            const bool folderThen = i + 2 < changes.size() && changes[i + 2].operation == FileOperation::Flush &&
                                    changes[i + 2].path == FolderOf(change.target);
            EXPECT_TRUE(fileThen && folderThen) << change.target << " not flushed under its new name, then its folder";
        }
    }
}

// A Save that cannot fit is told so from the archives' tables, before the
// merged archive is built, with the room it lacks and what would fit.
TEST(StickSafety, NoRoomIsToldBeforeTheNewArchiveIsBuilt) {
    Workspace workspace({.sets = {.main = {0}}});
    ASSERT_EQ(workspace.Problem(), "");
    ASSERT_TRUE(
        WriteArchive(workspace.Program("DATA_M3_Tilda.ODA"), samples::MainSetEntries(kStickEntries, 3, 1, 3000)));
    ASSERT_TRUE(WriteArchive(workspace.Program("DATA_M3_Small.ODA"), samples::MainSetEntries(kStickEntries, 3, 1, 10)));
    ASSERT_TRUE(WriteArchive(workspace.OnStick(P("DYNAUDIO.ODA")), samples::StickSoundEntries(kStickEntries)));
    ASSERT_TRUE(workspace.CopyBaseFromStick());
    SmallStick small(workspace, 100 << 10);
    if (!small.Mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
    const Snapshot before = Take(workspace.stickFolder);
    workspace.ui.answers = {true};
    FileChangeRecorder recorder;
    EXPECT_FALSE(Save(workspace.context, workspace.stick, {.main = "Tilda"}));
    const std::string said = workspace.ui.Messages().back();
    EXPECT_TRUE(said.starts_with("message: Not enough space on memory stick - nothing was changed\n")) << said;
    EXPECT_NE(said.find(" MB more space is needed\nMain set Small ("), std::string::npos) << said;
    EXPECT_TRUE(said.ends_with(" MB) would fit")) << said;
    for (const RecordedFileChange& change : recorder.Changes())
        EXPECT_EQ(change.path.find("TMP.ODA"), std::string::npos);
    EXPECT_EQ(Take(workspace.stickFolder), before);
}

TEST(StickSafety, SavingTheSameSelectionTwiceWritesNoSoundFileTheSecondTime) {
    Workspace workspace({.sets = {.main = {0}, .voice = {1}, .games = {0}}});
    ASSERT_EQ(workspace.Problem(), "");
    ASSERT_TRUE(workspace.CopyBaseFromStick());
    const SaveSelection all{.main = "Tilda", .games = "Tilda", .voice = "JumpyNoor"};
    ASSERT_TRUE(Save(workspace.context, workspace.stick, all));
    const Snapshot first = Take(workspace.stickFolder);

    FileChangeRecorder recorder;
    ASSERT_TRUE(Save(workspace.context, workspace.stick, all));
    for (const RecordedFileChange& change : recorder.Changes()) {
        if (change.path.rfind(workspace.stickFolder, 0) != 0) continue;  // the work archive is rebuilt each time
        EXPECT_EQ(change.path.find(".ODA"), std::string::npos) << change.path;
        EXPECT_EQ(change.path.find(".NEW"), std::string::npos) << change.path;
    }
    Snapshot second = Take(workspace.stickFolder);
    for (const char* sound : {"DYNAUDIO.ODA", "AD013001.ODA", "AD013008.ODA", "CUSVOICE.ODA"}) {
        EXPECT_EQ(second.at(P(sound)), first.at(P(sound)));
    }
}

TEST(StickSafety, DamagedArchivesNeverBecomeTheBase) {
    {
        Workspace workspace({.sets = {.main = {0}}});
        ASSERT_EQ(workspace.Problem(), "");
        fs::resize_file(workspace.OnStick(P("DYNAUDIO.ODA")), 3000);
        workspace.QueueStickMarker();
        EXPECT_FALSE(RunStartSequence(workspace.context).has_value());
        EXPECT_EQ(workspace.ui.Messages(),
                  (Messages{"message: DYNAUDIO.ODA on the memory stick is damaged\nBackup not made",
                            "message: Can't continue without base archive"}));
        EXPECT_FALSE(Exists(workspace.Program("DATA_BASEMIND3.ODA")));
    }
    const std::string kDamagedBase =
        "ask(no): DATA_BASEMIND3.ODA is damaged\nReplace it with a new backup from this memory stick?";
    for (const bool replace : {false, true}) {
        Workspace workspace({.sets = {.main = {0}}});
        ASSERT_EQ(workspace.Problem(), "");
        samples::WriteText(workspace.Program("DATA_BASEMIND3.ODA"), "ODAR but cut short");
        workspace.QueueStickMarker();
        workspace.ui.answers = {replace};
        EXPECT_EQ(RunStartSequence(workspace.context).has_value(), replace);
        const Messages messages = workspace.ui.Messages();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.front(), kDamagedBase);
        if (replace) {
            EXPECT_EQ(messages.back(), "message: Backup of DYNAUDIO.ODA complete");
            EXPECT_EQ(ReadFile(workspace.Program("DATA_BASEMIND3.ODA")),
                      ReadFile(workspace.OnStick(P("DYNAUDIO.ODA"))));
            EXPECT_EQ(ReadFile(workspace.Program("DATA_BASEMIND3.ODA.damaged")), "ODAR but cut short");
        } else {
            EXPECT_EQ(messages.back(), "message: Can't continue without base archive");
            EXPECT_EQ(ReadFile(workspace.Program("DATA_BASEMIND3.ODA")), "ODAR but cut short");
        }
    }
}

TEST(StickSafety, TheManualCopyFilesSurviveAnyFolderName) {
    Workspace workspace({.sets = {.main = {0}}, .programName = "it's $(touch x) \"y\" 100%"});
    ASSERT_EQ(workspace.Problem(), "");
    ASSERT_TRUE(workspace.CopyBaseFromStick());
    // Neither the new file beside the archive nor the archive itself can be written.
    fs::create_directory(workspace.OnStick(P("DYNAUDIO.NEW")));
    workspace.ui.answers = {true};
    EXPECT_FALSE(Save(workspace.context, workspace.stick, {.main = "Tilda"}));
    EXPECT_EQ(
        workspace.ui.Messages(),
        (Messages{kFewer, "message: Could not copy final audio to memory stick\nDYNAUDIO.ODA is not a regular file",
                  "message: Please run manual-copy.sh\n(in same folder as Tamsiro)\nsh '" +
                      std::string(workspace.programFolder).replace(workspace.programFolder.find('\''), 1, "'\\''") +
                      "/manual-copy.sh'"}));
    const std::string work = workspace.Program("TMP.ODA");
    EXPECT_NE(ReadFile(workspace.Program("MANUAL.BAT")).find("100%%"), std::string::npos);

    fs::remove(workspace.OnStick(P("DYNAUDIO.NEW")));
    EXPECT_EQ(RunShellScript(workspace.Program("manual-copy.sh")), 0);
    EXPECT_EQ(ReadFile(workspace.OnStick(P("DYNAUDIO.ODA"))), ReadFile(work));
    EXPECT_FALSE(Exists(workspace.root / "x"));
    EXPECT_FALSE(Exists("x"));
}

}  // namespace
}  // namespace tamsiro::test
