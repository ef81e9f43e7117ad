// Restore stock sounds and the repair of an interrupted Save, situation by
// situation, on real folders: each row prepares a stick and a program
// folder as an earlier run would have left them, runs the start sequence or
// the restore with scripted answers, and checks the messages, the result
// and the stick afterwards.
#include "app/app_context.h"
#include "install/restore_command.h"
#include "install/save_command.h"
#include "install/start_sequence.h"
#include "stick/stick.h"
#include "stick/stick_lock.h"
#include "tests/support/reference_merge.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/stock_stick.h"
#include "tests/support/workspace.h"
#include "tools/sample_workspace.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <functional>

namespace tamsiro::test {
namespace {

namespace fs = std::filesystem;

const std::string kRestoreQuestion =
    "ask(no): Put the stock sounds back on the memory stick?\n(your custom sounds will be removed from it)";
const std::string kRepairQuestion =
    "ask(yes): DYNAUDIO.ODA on the memory stick is missing or damaged\nRestore it from DATA_BASEMIND3.ODA?";
const std::string kNotRestored = "message: Stock sounds not fully restored\nThese files could not be restored:";
const std::string kFewer = "ask(no): You didn't select all three parts\nShould I install fewer parts?";

// A stock workspace, with the stick's files as they came.
struct Folders {
    Folders() {
        EXPECT_EQ(workspace.Problem(), "");
        stock = ReadTree(stick);
    }
    std::string Stick(const std::string& relative) const { return workspace.OnStick(relative); }
    std::string Program(const std::string& name) const { return workspace.Program(name); }

    Workspace workspace{
        {.stick = {.soundEntries = kSmallStickSoundEntries}, .sets = {{0, 1}, {4, 5}, {0, 1}}, .stock = true}};
    const TempFolder& root = workspace.root;
    std::string stick = workspace.stickFolder;
    std::string program = workspace.programFolder;
    Tree stock;
};

void Truncate(const std::string& path) { fs::resize_file(path, fs::file_size(path) / 2); }

// The base backup as the first run makes it.
void MakeBase(Folders& f) { CopyOver(f.Stick(kSoundArchive), f.Program("DATA_BASEMIND3.ODA")); }

// A whole Save, answering Yes to everything.
void SaveSets(Folders& f, const char* main, const char* games, const char* voice, bool miniVoice) {
    ScriptedUi ui;
    ui.answers = {true, true, true};
    AppContext context(ui, f.program);
    ASSERT_TRUE(Save(context, Stick(f.stick), {main, games, voice, miniVoice}));
}

void SaveOnce(Folders& f) {
    MakeBase(f);
    SaveSets(f, "Tilda", "Tilda", "MiniTilda", true);
}

// What an earlier Tamsiro, one that kept no stock copies, left behind: a
// Main set merged into the base, as every Tamsiro merges it.
void ChangeWithoutStockCopies(Folders& f) {
    MakeBase(f);
    const auto merged = ReferenceMerge(samples::ReadBytes(f.Program("DATA_BASEMIND3.ODA")),
                                       samples::ReadBytes(f.Program("DATA_M3_Tilda.ODA")));
    ASSERT_TRUE(merged && samples::WriteBytes(f.Stick(kSoundArchive), *merged));
    CopyOver(f.Program("DATA_G3A_Tilda.ODA"), f.Stick(kGame1));
    CopyOver(f.Program("DATA_G3B_Tilda.ODA"), f.Stick(kGame8));
    CopyOver(f.Stick(kVoiceList), f.Stick("OPEN-R/MW/DATA/P/MCUSLIST.BAK"));
}

enum class Flow { Start, Restore, SaveGames, SaveVoice };
enum class StickAfter { Stock, AsPrepared, Checked };

struct Situation {
    const char* name;
    std::function<void(Folders&)> prepare;
    Flow flow;
    std::deque<bool> answers;
    bool succeeds;
    std::vector<std::string> messages;
    StickAfter stickAfter;
    std::function<void(const Folders&)> check = nullptr;
};

const std::vector<Situation>& Situations() {
    static const std::vector<Situation> situations = {
        {"a restore after a Save gives back the stock stick",
         SaveOnce,
         Flow::Restore,
         {true},
         true,
         {kRestoreQuestion, "message: Stock sounds restored"},
         StickAfter::Stock,
         [](const Folders& f) {
             // What the Save kept: the stock files as they were, markers for
             // the missing ones, and the stick's record (its archive changed).
             const Tree kept = ReadTree(f.Program("DATA_BASEMIND3.FILES"));
             for (const char* path : {kGame1, kGame8, kMaleVoice, kVoiceList, kModeFlags}) {
                 EXPECT_EQ(FileIn(kept, path), FileIn(f.stock, path)) << path;
             }
             EXPECT_TRUE(FileIn(kept, std::string(kCustomVoice) + ".absent"));
             EXPECT_TRUE(FileIn(kept, "OPEN-R/MW/DATA/P/MCUSLIST.BAK.absent"));
             EXPECT_TRUE(FileIn(kept, "STICK.JSON"));
             EXPECT_EQ(kept.size(), 9u);
         }},
        {"two Saves, each rotating the configuration, still restore to stock",
         [](Folders& f) {
             SaveOnce(f);
             SaveSets(f, "JumpyNoor", "JumpyNoor", "Zorbit", false);
         },
         Flow::Restore,
         {true},
         true,
         {kRestoreQuestion, "message: Stock sounds restored"},
         StickAfter::Stock},
        {"declining the restore changes nothing",
         SaveOnce,
         Flow::Restore,
         {false},
         false,
         {kRestoreQuestion},
         StickAfter::AsPrepared},
        {"a stick restored already is told so and asked nothing",
         [](Folders& f) {
             SaveOnce(f);
             ScriptedUi ui;
             ui.answers = {true};
             AppContext context(ui, f.program);
             ASSERT_EQ(RestoreStockSounds(context, Stick(f.stick)), RestoreVerdict::Restored);
         },
         Flow::Restore,
         {true},
         true,
         {"message: The memory stick has its stock sounds already: nothing to restore"},
         StickAfter::Stock},
        {"files changed before stock copies were kept are named and left alone",
         ChangeWithoutStockCopies,
         Flow::Restore,
         {true},
         false,
         {kRestoreQuestion, kNotRestored +
                                "\nAD013001.ODA (no stock copy was kept)\nAD013008.ODA (no stock copy was kept)"
                                "\nMCUSLIST.CFG (no stock copy was kept)"},
         StickAfter::Checked,
         [](const Folders& f) {
             const Tree stick = ReadTree(f.stick);
             EXPECT_EQ(FileIn(stick, kSoundArchive), FileIn(f.stock, kSoundArchive));
             EXPECT_EQ(FileIn(stick, kGame1), FileIn(ReadTree(f.program), "DATA_G3A_Tilda.ODA"));
             EXPECT_TRUE(FileIn(stick, "OPEN-R/MW/DATA/P/MCUSLIST.BAK"));
         }},
        {"when nothing kept can be put back, no leave is asked to remove custom sounds",
         [](Folders& f) {
             MakeBase(f);
             CopyOver(f.Program("DATA_G3A_Tilda.ODA"), f.Stick(kGame1));
             CopyOver(f.Program("DATA_G3B_Tilda.ODA"), f.Stick(kGame8));
         },
         Flow::Restore,
         {},
         false,
         {"message: Stock sounds not restored\nThese files could not be restored:\nAD013001.ODA (no stock copy was "
          "kept)"
          "\nAD013008.ODA (no stock copy was kept)\nNothing was changed"},
         StickAfter::AsPrepared},
        {"a damaged base is named and everything else restored",
         [](Folders& f) {
             SaveOnce(f);
             Truncate(f.Program("DATA_BASEMIND3.ODA"));
         },
         Flow::Restore,
         {true},
         false,
         {kRestoreQuestion, kNotRestored + "\nDYNAUDIO.ODA (DATA_BASEMIND3.ODA is damaged)"},
         StickAfter::Checked,
         [](const Folders& f) {
             Tree stick = ReadTree(f.stick);
             EXPECT_NE(FileIn(stick, kSoundArchive), FileIn(f.stock, kSoundArchive));
             stick.erase(kSoundArchive);
             Tree stock = f.stock;
             stock.erase(kSoundArchive);
             EXPECT_EQ(Differences(stick, stock), std::vector<std::string>());
         }},
        {"a missing sound archive is repaired from the base",
         [](Folders& f) {
             MakeBase(f);
             fs::remove(f.Stick(kSoundArchive));
         },
         Flow::Start,
         {true},
         true,
         {kRepairQuestion, "message: DYNAUDIO.ODA restored"},
         StickAfter::Stock},
        {"a truncated sound archive is repaired from the base",
         [](Folders& f) {
             MakeBase(f);
             Truncate(f.Stick(kSoundArchive));
         },
         Flow::Start,
         {true},
         true,
         {kRepairQuestion, "message: DYNAUDIO.ODA restored"},
         StickAfter::Stock},
        {"declining the repair asks for the stick again",
         [](Folders& f) {
             MakeBase(f);
             Truncate(f.Stick(kSoundArchive));
         },
         Flow::Start,
         {false},
         false,
         {kRepairQuestion},
         StickAfter::AsPrepared},
        {"without a base a missing sound archive is refused as before",
         [](Folders& f) { fs::remove(f.Stick(kSoundArchive)); },
         Flow::Start,
         {true},
         false,
         {"message: Bad AiboMind3 stick\nMissing DYNAUDIO.ODA"},
         StickAfter::AsPrepared},
        {"without a base a damaged sound archive still stops the backup",
         [](Folders& f) { Truncate(f.Stick(kSoundArchive)); },
         Flow::Start,
         {true},
         false,
         {"message: DYNAUDIO.ODA on the memory stick is damaged\nBackup not made",
          "message: Can't continue without base archive"},
         StickAfter::AsPrepared},
        {"files left set aside without a journal: a replaced one goes, a removed male voice goes, any other comes back",
         [](Folders& f) {
             MakeBase(f);
             CopyOver(f.Stick(kSoundArchive), f.Stick("OPEN-R/MW/DATA/P/DYNAUDIO.PRV"));
             fs::rename(f.Stick(kGame1), f.Stick("OPEN-R/MW/DATA/P/AD013001.PRV"));
             fs::rename(f.Stick(kMaleVoice), f.Stick("OPEN-R/MW/DATA/E/ad003000.PRV"));
         },
         Flow::Start,
         {},
         true,
         {},
         StickAfter::Checked,
         [](const Folders& f) {
             Tree expected = f.stock;
             expected.erase(kMaleVoice);
             EXPECT_EQ(Differences(ReadTree(f.stick), expected), std::vector<std::string>());
         }},
        {"files marked ready are put in place at the start",
         [](Folders& f) {
             MakeBase(f);
             CopyOver(f.Program("DATA_G3A_Tilda.ODA"), f.Stick("OPEN-R/MW/DATA/P/AD013001.RDY"));
             CopyOver(f.Program("DATA_G3B_Tilda.ODA"), f.Stick("OPEN-R/MW/DATA/P/AD013008.RDY"));
         },
         Flow::Start,
         {},
         true,
         {},
         StickAfter::Checked,
         [](const Folders& f) {
             Tree expected = f.stock;
             const Tree program = ReadTree(f.program);
             expected[kGame1] = *FileIn(program, "DATA_G3A_Tilda.ODA");
             expected[kGame8] = *FileIn(program, "DATA_G3B_Tilda.ODA");
             EXPECT_EQ(Differences(ReadTree(f.stick), expected), std::vector<std::string>());
         }},
        {"a step still writing is undone at the start, and a rotation cut short gets its .CFG back",
         [](Folders& f) {
             MakeBase(f);
             CopyOver(f.Program("DATA_G3A_Tilda.ODA"), f.Stick("OPEN-R/MW/DATA/P/AD013001.RDY"));
             CopyOver(f.Program("DATA_G3B_Tilda.ODA"), f.Stick("OPEN-R/MW/DATA/P/AD013008.NEW"));
             Truncate(f.Stick("OPEN-R/MW/DATA/P/AD013008.NEW"));
             fs::rename(f.Stick(kVoiceList), f.Stick("OPEN-R/MW/DATA/P/MCUSLIST.BAK"));
             samples::WriteText(f.Stick("OPEN-R/MW/DATA/P/MCUSLIST.TMP"), "half");
             CopyOver(f.Program("DATA_M3_Tilda.ODA"), f.Program("TMP.ODA"));
             Truncate(f.Program("TMP.ODA"));
             CopyOver(f.Program("DATA_BASEMIND3.ODA"), f.Program("DATA_BASEMIND3.ODA.partial"));
         },
         Flow::Start,
         {},
         true,
         {},
         StickAfter::Stock,
         [](const Folders& f) {
             EXPECT_FALSE(fs::exists(f.Program("TMP.ODA")));
             EXPECT_FALSE(fs::exists(f.Program("DATA_BASEMIND3.ODA.partial")));
         }},
        {"stock files that are not whole archives are kept byte for byte and come back",
         [](Folders& f) {
             // A male voice in another format, and a Games file cut short.
             samples::WriteText(f.Stick(kMaleVoice), "RIFF\x10\0\0\0WAVEfmt not an ODA archive");
             Truncate(f.Stick(kGame8));
             f.stock = ReadTree(f.stick);
             SaveOnce(f);
         },
         Flow::Restore,
         {true},
         true,
         {kRestoreQuestion, "message: Stock sounds restored"},
         StickAfter::Stock,
         [](const Folders& f) {
             const Tree kept = ReadTree(f.Program("DATA_BASEMIND3.FILES"));
             EXPECT_EQ(FileIn(kept, kMaleVoice), FileIn(f.stock, kMaleVoice));
             EXPECT_EQ(FileIn(kept, kGame8), FileIn(f.stock, kGame8));
             EXPECT_TRUE(FileIn(kept, std::string(kGame8) + ".damaged"));
             EXPECT_FALSE(FileIn(kept, std::string(kGame1) + ".damaged"));
         }},
        {"a Games pair whose second file cannot take its place stays the old pair",
         [](Folders& f) {
             MakeBase(f);
             fs::remove(f.Stick(kGame8));
             fs::create_directory(f.Stick(kGame8));
         },
         Flow::SaveGames,
         {true},
         false,
         {kFewer, "message: Could not copy game#8 audio to memory stick\nAD013008.ODA is not a regular file",
          "message: The memory stick was put back as it was"},
         StickAfter::AsPrepared},
        {"an empty Games set file is refused before anything changes",
         [](Folders& f) {
             MakeBase(f);
             fs::resize_file(f.Program("DATA_G3B_Tilda.ODA"), 0);
         },
         Flow::SaveGames,
         {true},
         false,
         {kFewer, "message: DATA_G3B_Tilda.ODA is empty or damaged\nNothing was changed"},
         StickAfter::AsPrepared},
        {"a Voice set cut short is refused, and the male voice stays",
         [](Folders& f) {
             MakeBase(f);
             Truncate(f.Program("DATA_V3_MiniTilda.ODA"));
         },
         Flow::SaveVoice,
         {true, true},
         false,
         {kFewer, "message: DATA_V3_MiniTilda.ODA is empty or damaged\nNothing was changed"},
         StickAfter::AsPrepared},
        {"a Voice set in another format is copied as before",
         [](Folders& f) {
             MakeBase(f);
             samples::WriteText(f.Program("DATA_V3_MiniTilda.ODA"), "RIFF a voice in another format");
         },
         Flow::SaveVoice,
         {true, true},
         true,
         {kFewer, "ask(yes): Should I remove the male voice to free up space?\n(answer Yes to fit on 32MB stick)",
          "message: New audio saved"},
         StickAfter::Checked,
         [](const Folders& f) {
             const Tree stick = ReadTree(f.stick);
             EXPECT_EQ(FileIn(stick, kCustomVoice), "RIFF a voice in another format");
             EXPECT_FALSE(FileIn(stick, kMaleVoice));
         }},
    };
    return situations;
}

class UndoSituation : public ::testing::TestWithParam<std::size_t> {};

TEST_P(UndoSituation, EndsAsExpected) {
    const Situation& situation = Situations()[GetParam()];
    SCOPED_TRACE(situation.name);
    Folders folders;
    situation.prepare(folders);
    if (HasFatalFailure()) return;
    const Tree prepared = ReadTree(folders.stick);

    ScriptedUi ui;
    ui.answers = situation.answers;
    ui.markers = {folders.Stick("memstick.ind")};
    AppContext context(ui, folders.program);
    bool succeeded = false;
    switch (situation.flow) {
    case Flow::Start: succeeded = RunStartSequence(context).has_value(); break;
    case Flow::Restore: {
        // As tamsiro-cli restore ends: nothing to put back is no failure.
        const RestoreVerdict outcome = RestoreStockSounds(context, Stick(folders.stick));
        succeeded = outcome == RestoreVerdict::Restored || outcome == RestoreVerdict::AlreadyStock;
        break;
    }
    case Flow::SaveGames:
        succeeded = Save(context, Stick(folders.stick), {std::nullopt, "Tilda", std::nullopt, false});
        break;
    case Flow::SaveVoice:
        succeeded = Save(context, Stick(folders.stick), {std::nullopt, std::nullopt, "MiniTilda", true});
        break;
    }

    EXPECT_EQ(succeeded, situation.succeeds);
    EXPECT_EQ(ui.Messages(), situation.messages);
    const Tree stick = ReadTree(folders.stick);
    if (situation.stickAfter == StickAfter::Stock) {
        EXPECT_EQ(Differences(stick, folders.stock), std::vector<std::string>());
    } else if (situation.stickAfter == StickAfter::AsPrepared) {
        EXPECT_EQ(Differences(stick, prepared), std::vector<std::string>());
    }
    if (situation.check) situation.check(folders);
}

INSTANTIATE_TEST_SUITE_P(Undo, UndoSituation, ::testing::Range<std::size_t>(0, Situations().size()));

// A second Tamsiro on the same stick or program folder changes nothing.
TEST(UndoStockFiles, ASecondRunOnTheSameStickChangesNothing) {
    Folders folders;
    SaveOnce(folders);
    const Tree saved = ReadTree(folders.stick);
    ScriptedUi first;
    AppContext running(first, folders.program);
    StickLock held;
    ASSERT_TRUE(held.Take(running, Stick(folders.stick)));

    // From a copy of the program folder, on the same stick.
    const std::string other = folders.root / "other-program";
    fs::copy(folders.program, other, fs::copy_options::recursive);
    for (const std::string& program : {folders.program, other}) {
        ScriptedUi ui;
        ui.answers = {true, true};
        AppContext context(ui, program);
        EXPECT_EQ(RestoreStockSounds(context, Stick(folders.stick)), RestoreVerdict::NotRestored);
        EXPECT_EQ(ui.Messages().back(), "message: Tamsiro is already working on this memory stick");
        EXPECT_EQ(Differences(ReadTree(folders.stick), saved), std::vector<std::string>());
    }
}

// A program folder too small for the stock copies: the Save stops before
// anything is written. Needs a small file system (a tmpfs, as root).
TEST(UndoStockFiles, NoRoomInTheProgramFolderStopsTheSaveBeforeAnyChange) {
    Folders folders;
    MakeBase(folders);
    const std::string tiny = folders.root / "tiny-program";
    fs::create_directories(tiny);
    if (::mount("tmpfs", tiny.c_str(), "tmpfs", 0, "size=8k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    struct Unmount {
        std::string path;
        ~Unmount() { (void)::umount(path.c_str()); }
    } unmount{tiny};
    // The base and the sound sets fill it; there is no room for a copy of the stock files.
    for (const char* name : {"DATA_G3A_Tilda.ODA", "DATA_G3B_Tilda.ODA"})
        CopyOver(folders.Program(name), tiny + "/" + name);

    ScriptedUi ui;
    ui.answers = {true};
    AppContext context(ui, tiny);
    EXPECT_FALSE(Save(context, Stick(folders.stick), {std::nullopt, "Tilda", std::nullopt, false}));
    EXPECT_EQ(ui.Messages().back(),
              "message: Not enough space in Tamsiro's folder to keep the stock files\nNothing was changed");
    EXPECT_EQ(Differences(ReadTree(folders.stick), folders.stock), std::vector<std::string>());
}

}  // namespace
}  // namespace tamsiro::test
