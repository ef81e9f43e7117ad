// The start's repair of a change cut short, driven directly: a transaction
// keeps its files and writes its journal, the stick is left as a cut would
// leave it, and the next start puts it back, or stops without making it
// worse and says why. Then the journal's own format.
#include "app/app_context.h"
#include "host/file_change_hook.h"
#include "install/restore_command.h"
#include "install/save_command.h"
#include "install/start_sequence.h"
#include "stick/journal.h"
#include "stick/stick_files.h"
#include "stick/stick_transaction.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/stock_stick.h"
#include "tests/support/tmpfs.h"
#include "tests/support/workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>

namespace tamsiro::test {
namespace {

namespace fs = std::filesystem;

const std::string kDamaged =
    "message: The memory stick's file system is damaged\nRepair it, then start Tamsiro again\n";

// The change that was cut short: the Games pair, or the sound archive.
StickPlan GamesPlan(const Workspace& w) {
    StickPlan plan(1);
    plan[0].files.push_back({std::string(stick_files::kGame1), w.Program("DATA_G3A_Tilda.ODA"), std::nullopt, {}});
    plan[0].files.push_back({std::string(stick_files::kGame8), w.Program("DATA_G3B_Tilda.ODA"), std::nullopt, {}});
    return plan;
}

StickPlan ArchivePlan(const Workspace& w) {
    StickPlan plan(1);
    plan[0].files.push_back(
        {std::string(stick_files::kSoundArchive), w.Program("DATA_M3_Tilda.ODA"), std::nullopt, {}});
    return plan;
}

// A new archive too large to sit beside the old one on a stick with
// ArchiveRoom() to spare: the old one has to go first.
StickPlan LargeArchivePlan(const Workspace& w) {
    EXPECT_TRUE(samples::WriteBytes(w.Program("NEW.ODA"), std::vector<unsigned char>(40000, 9)));
    StickPlan plan(1);
    plan[0].files.push_back({std::string(stick_files::kSoundArchive), w.Program("NEW.ODA"), std::nullopt, {}});
    return plan;
}

// What a cut leaves: the first Games file replaced, the second ready.
void GamesHalfDone(Workspace& w) {
    CopyOver(w.Program("DATA_G3A_Tilda.ODA"), w.OnStick(kGame1));
    CopyOver(w.Program("DATA_G3B_Tilda.ODA"), w.OnStick("OPEN-R/MW/DATA/P/AD013008.RDY"));
}

// The old archive set aside, the new one half written beside it.
void ArchiveAside(Workspace& w) {
    fs::rename(w.OnStick(kSoundArchive), w.OnStick("OPEN-R/MW/DATA/P/DYNAUDIO.PRV"));
    CopyOver(w.Program("DATA_M3_Tilda.ODA"), w.OnStick("OPEN-R/MW/DATA/P/DYNAUDIO.NEW"));
    fs::resize_file(w.OnStick("OPEN-R/MW/DATA/P/DYNAUDIO.NEW"), 100);
}

// The same, with the set-aside archive no longer the size it was.
void ArchiveAsideCutShort(Workspace& w) {
    ArchiveAside(w);
    fs::resize_file(w.OnStick("OPEN-R/MW/DATA/P/DYNAUDIO.PRV"), 1000);
}

// No room for two archives: the old one deleted, the new one half written,
// and `filler` holding the rest of the room.
void ArchiveOutFirst(Workspace& w, const std::string& filler) {
    fs::remove(w.OnStick(kSoundArchive));
    CopyOver(w.Program("NEW.ODA"), w.OnStick("OPEN-R/MW/DATA/P/DYNAUDIO.NEW"));
    fs::resize_file(w.OnStick("OPEN-R/MW/DATA/P/DYNAUDIO.NEW"), 100);
    const fs::space_info space = fs::space(w.stickFolder);
    ASSERT_TRUE(samples::WriteBytes(w.stickFolder + "/" + filler, std::vector<unsigned char>(space.available, 7)));
}

// The workspace's stick moved onto `tmpfs`, with `room` bytes to spare
// beside its files; false where mounting is not permitted.
bool MoveStickOntoTmpfs(Workspace& w, Tmpfs& tmpfs, std::uint64_t room) {
    const fs::path copy = w.root.Path() / "stock-copy";
    fs::remove_all(copy);
    fs::copy(w.stickFolder, copy, fs::copy_options::recursive);
    if (!tmpfs.Mount(8u << 20)) return false;
    ReplaceContents(copy, w.stickFolder);
    if (!tmpfs.Mount(tmpfs.Space().second + room)) return false;
    ReplaceContents(copy, w.stickFolder);
    return true;
}

// The space rule on a real small stick: a new archive two pages larger
// than the old one goes beside it while both fit, after it while only the
// new one does, and otherwise nothing is planned and the shortfall is told.
TEST(JudgeRoom, BesideAfterTheOldOneOrShortBy) {
    constexpr std::uint64_t kPage = 4096;
    const struct {
        const char* what;
        std::uint64_t roomPages;
        bool fits, beside, setAside;
    } cases[] = {
        {"room for both archives and one set aside", 64, true, true, true},
        {"room for the new one once the old is gone", 3, true, false, false},
        {"not even then", 1, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Workspace w({.stick = {.soundEntries = kSmallStickSoundEntries}, .sets = {{0}, {}, {}}, .stock = true});
        ASSERT_EQ(w.Problem(), "");
        Tmpfs tmpfs(w.stickFolder);
        if (!MoveStickOntoTmpfs(w, tmpfs, c.roomPages * kPage)) GTEST_SKIP() << "cannot mount a tmpfs here";
        const std::uint64_t oldSize = fs::file_size(w.OnStick("OPEN-R/MW/DATA/P/DYNAUDIO.ODA"));
        ASSERT_TRUE(samples::WriteBytes(w.Program("NEW.ODA"), std::vector<unsigned char>(oldSize + 2 * kPage, 9)));
        StickPlan plan(1);
        plan[0].files.push_back({std::string(stick_files::kSoundArchive), w.Program("NEW.ODA"), std::nullopt, {}});

        const Room room = JudgeRoom(w.stick, plan);
        EXPECT_EQ(room.fits, c.fits);
        if (!c.fits) {
            EXPECT_GT(room.missingBytes, 0u);
            EXPECT_LE(room.missingBytes, 2 * kPage);
        } else {
            ASSERT_EQ(room.beside.size(), 1u);
            EXPECT_EQ(room.beside[0], c.beside);
        }
        EXPECT_EQ(room.setAside, c.setAside);
    }
}

struct RepairCase {
    const char* what;
    StickPlan (*plan)(const Workspace&);
    std::function<void(Workspace&)> cut;
    // The stick on a tmpfs with this much room beside the stock files (0:
    // an ordinary folder), read-only after the cut when asked.
    std::uint64_t room = 0;
    bool readOnly = false;
    std::deque<bool> answers;
    const char* unreadable = nullptr;  // a stick file that does not read past the cache
    // What the start says first ("" for nothing), and whether it puts the
    // stick back; else the stick stays as the cut left it, with the journal.
    std::string said;
    bool putBack = true;
    std::vector<std::string> extraAfter = {};  // files the repair leaves, beside the stock ones
};

// A failing case is named by what it tries, not by its bytes.
void PrintTo(const RepairCase& c, std::ostream* out) { *out << c.what; }

class StartRepair : public ::testing::TestWithParam<RepairCase> {};

TEST_P(StartRepair, PutsTheStickBackOrStopsWithoutMakingItWorse) {
    const RepairCase& c = GetParam();
    Workspace w({.stick = {.soundEntries = kSmallStickSoundEntries}, .sets = {{0}, {5}, {0}}, .stock = true});
    ASSERT_EQ(w.Problem(), "");
    ASSERT_TRUE(w.CopyBaseFromStick());
    ASSERT_TRUE(w.ClaimFirstRecord());
    std::optional<Tmpfs> tmpfs;
    if (c.room > 0) {
        tmpfs.emplace(w.stickFolder);
        if (!MoveStickOntoTmpfs(w, *tmpfs, c.room)) GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    }
    const Tree stock = ReadTree(w.stickFolder);

    StickPlan plan = c.plan(w);
    const Room room = JudgeRoom(w.stick, plan);
    StickTransaction transaction(w.context, w.stick, std::move(plan), room);
    ASSERT_EQ(transaction.Keep().verdict, PrepareVerdict::Ready);
    c.cut(w);
    if (c.readOnly) {
        ASSERT_TRUE(tmpfs && tmpfs->RemountReadOnly());
    }
    const Tree cut = ReadTree(w.stickFolder);

    ScriptedUi ui;
    ui.markers.push_back(w.stickFolder + "/memstick.ind");
    ui.answers = c.answers;
    AppContext context(ui, w.programFolder);
    std::optional<Stick> started;
    {
        std::optional<FailingRead> failing;
        if (c.unreadable) failing.emplace(c.unreadable, FailingRead::Where::PastCache);
        started = PrepareStick(context);
    }
    const std::vector<std::string> messages = ui.Messages();
    if (c.said.empty()) {
        EXPECT_TRUE(messages.empty()) << messages.front();
    } else {
        ASSERT_FALSE(messages.empty());
        EXPECT_TRUE(messages.front().starts_with(c.said)) << messages.front();
    }
    EXPECT_EQ(started.has_value(), c.putBack);
    EXPECT_EQ(Exists(w.Program("TAMSIRO.JNL")), !c.putBack);
    Tree expected = c.putBack ? stock : cut;
    if (c.putBack) {
        std::erase_if(expected, [&](const auto& file) { return file.first.starts_with("FSCK"); });
    }
    for (const std::string& extra : c.extraAfter) expected[extra] = *FileIn(cut, extra);
    EXPECT_EQ(Differences(ReadTree(w.stickFolder), expected), std::vector<std::string>());
    // Whatever it said, it never claimed another stick's change.
    for (const std::string& message : messages) EXPECT_EQ(message.find("another memory stick"), std::string::npos);
}

// Room beside the stock files for a few small files, not a second archive.
constexpr std::uint64_t kArchiveRoom = 16 * 1024;

const std::string kNoRoom =
    "message: A change to this memory stick was cut short, and there is not enough room on it to put it back\n";
const std::string kRecoveredQuestion =
    "ask(no): Putting the memory stick back as it was needs the room of files a file-system check saved on "
    "it:\nFSCK0000.REC\nDelete them?";

void FilledWithFiller(Workspace& w) { ArchiveOutFirst(w, "FILLER.BIN"); }
void FilledWithRecovered(Workspace& w) { ArchiveOutFirst(w, "FSCK0000.REC"); }

INSTANTIATE_TEST_SUITE_P(
    Cuts, StartRepair,
    ::testing::Values(
        RepairCase{.what = "the Games pair half replaced", .plan = GamesPlan, .cut = GamesHalfDone},
        RepairCase{.what = "the sound archive set aside", .plan = ArchivePlan, .cut = ArchiveAside},
        // Its bytes from before are not whole: nothing else stands in for
        // them, nothing changes, and the file is named.
        RepairCase{
            .what = "a set-aside archive cut short",
            .plan = ArchivePlan,
            .cut = ArchiveAsideCutShort,
            .said = "message: A change to this memory stick was cut short, and these files could not be put "
                    "back:\nDYNAUDIO.ODA\nDYNAUDIO.PRV is not as it was kept\nTamsiro tries again when it next starts",
            .putBack = false},
        // A leftover that does not read to its end is a broken chain: the
        // file system is repaired before anything changes.
        RepairCase{.what = "a ready file that does not read",
                   .plan = GamesPlan,
                   .cut = GamesHalfDone,
                   .unreadable = "AD013008.RDY",
                   .said = kDamaged,
                   .putBack = false},
        RepairCase{.what = "a write-protected stick",
                   .plan = GamesPlan,
                   .cut = GamesHalfDone,
                   .room = 4 << 20,
                   .readOnly = true,
                   .said = "message: The memory stick is write-protected\nA change to it was cut short",
                   .putBack = false},
        RepairCase{.what = "no room to put the archive back",
                   .plan = LargeArchivePlan,
                   .cut = FilledWithFiller,
                   .room = kArchiveRoom,
                   .said = kNoRoom,
                   .putBack = false},
        // The room a file-system check's files take is the user's to give.
        RepairCase{.what = "room only without FSCK0000.REC, given",
                   .plan = LargeArchivePlan,
                   .cut = FilledWithRecovered,
                   .room = kArchiveRoom,
                   .answers = {true},
                   .said = kRecoveredQuestion},
        RepairCase{.what = "room only without FSCK0000.REC, refused",
                   .plan = LargeArchivePlan,
                   .cut = FilledWithRecovered,
                   .room = kArchiveRoom,
                   .answers = {false},
                   .said = kRecoveredQuestion,
                   .putBack = false}),
    [](const ::testing::TestParamInfo<RepairCase>& info) {
        std::string name = info.param.what;
        std::replace_if(
            name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return name;
    });

// After a change that is complete, a clean-up that fails is said, and the
// next start finishes it; a start in any program folder puts back a sound
// archive that a change cut short left set aside; and a journal is another
// stick's only when it names another stick.
TEST(AfterTheChange, LeftoversAreNamedAndTheNextStartPutsThemInOrder) {
    const SaveSelection everything{"Tilda", "Tilda", "MiniTilda", true};
    Workspace w({.stick = {.soundEntries = kSmallStickSoundEntries}, .sets = {{0}, {5}, {0}}, .stock = true});
    ASSERT_EQ(w.Problem(), "");
    ASSERT_TRUE(w.CopyBaseFromStick());
    const Tree stock = ReadTree(w.stickFolder);
    w.ui.answers = {true, true};
    {
        const FailingChange stuck(FileOperation::Delete, "DYNAUDIO.PRV");
        ASSERT_TRUE(Save(w.context, w.stick, everything));
    }
    EXPECT_EQ(w.ui.Messages().back(),
              "message: New audio saved\nDYNAUDIO.PRV is still on the memory stick: Tamsiro removes it when it next "
              "starts");
    Tree saved = ReadTree(w.stickFolder);
    ASSERT_TRUE(FileIn(saved, "OPEN-R/MW/DATA/P/DYNAUDIO.PRV"));
    saved.erase("OPEN-R/MW/DATA/P/DYNAUDIO.PRV");
    w.QueueStickMarker();
    ASSERT_TRUE(PrepareStick(w.context));
    EXPECT_EQ(Differences(ReadTree(w.stickFolder), saved), std::vector<std::string>());

    // A Save cut short between its two renames, from another program folder
    // whose journal this one never sees: any start puts the archive back.
    fs::rename(w.OnStick(kSoundArchive), w.OnStick("OPEN-R/MW/DATA/P/DYNAUDIO.PRV"));
    const std::string elsewhere = w.root.Str() + "/elsewhere";
    fs::create_directories(elsewhere);
    ScriptedUi ui;
    ui.markers.push_back(w.stickFolder + "/memstick.ind");
    ui.answers = {true};
    AppContext context(ui, elsewhere);
    ASSERT_TRUE(PrepareStick(context));
    EXPECT_EQ(FileIn(ReadTree(w.stickFolder), kSoundArchive), FileIn(saved, kSoundArchive));
    EXPECT_FALSE(FileIn(ReadTree(w.stickFolder), "OPEN-R/MW/DATA/P/DYNAUDIO.PRV"));

    // A change to this stick cut short, its journal here: another stick
    // starts, and is told to wait for this one; this one is put back.
    const std::string other = w.root.Str() + "/other";
    ASSERT_TRUE(WriteStockStick(other, {.soundEntries = kSmallStickSoundEntries}));
    StickTransaction transaction(w.context, w.stick, GamesPlan(w), JudgeRoom(w.stick, GamesPlan(w)));
    ASSERT_EQ(transaction.Keep().verdict, PrepareVerdict::Ready);
    const Tree beforeCut = ReadTree(w.stickFolder);
    GamesHalfDone(w);
    ScriptedUi otherUi;
    otherUi.markers.push_back(other + "/memstick.ind");
    otherUi.answers = {true, true, true};
    AppContext otherContext(otherUi, w.programFolder);
    const std::optional<Stick> otherStick = PrepareStick(otherContext);
    ASSERT_TRUE(otherStick);
    EXPECT_FALSE(Save(otherContext, *otherStick, everything));
    EXPECT_TRUE(otherUi.Messages().back().starts_with(
        "message: A change to another memory stick was cut short and is not undone yet"))
        << otherUi.Messages().back();
    w.QueueStickMarker();
    ASSERT_TRUE(PrepareStick(w.context));
    EXPECT_EQ(Differences(ReadTree(w.stickFolder), beforeCut), std::vector<std::string>());
}

// The last check reads every file of the change back under its own name
// before success is said: one that does not read back (a chain a later
// free cut short) stops the change as damaged, the journal stays, and the
// next start puts the stick back.
TEST(LastCheck, AFileThatDoesNotReadBackUnderItsNameIsNoSuccess) {
    const SaveSelection everything{"Tilda", "Tilda", "MiniTilda", true};
    Workspace w({.stick = {.soundEntries = kSmallStickSoundEntries}, .sets = {{0}, {5}, {0}}, .stock = true});
    ASSERT_EQ(w.Problem(), "");
    ASSERT_TRUE(w.CopyBaseFromStick());
    const Tree before = ReadTree(w.stickFolder);
    w.ui.answers = {true, true};
    {
        // Read only under its own name: the copy beside it checks out.
        const FailingRead cut("DYNAUDIO.ODA", FailingRead::Where::PastCache);
        EXPECT_FALSE(Save(w.context, w.stick, everything));
    }
    const std::vector<std::string> messages = w.ui.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_TRUE(messages.back().starts_with(kDamaged)) << messages.back();
    for (const std::string& message : messages) EXPECT_EQ(message.find("New audio saved"), std::string::npos);
    EXPECT_TRUE(Exists(w.Program("TAMSIRO.JNL")));
    w.QueueStickMarker();
    ASSERT_TRUE(PrepareStick(w.context));
    EXPECT_EQ(Differences(ReadTree(w.stickFolder), before), std::vector<std::string>());
}

// A write-protected stick is found before anything changes, on it or in
// Tamsiro's folder, and is never offered the manual copy.
TEST(WriteProtectedStick, IsToldSoAndNothingChanges) {
    const SaveSelection everything{"Tilda", "Tilda", "MiniTilda", true};
    using Change = std::function<bool(Workspace&)>;
    const std::vector<std::pair<const char*, Change>> cases = {
        {"a Save", [&](Workspace& w) { return Save(w.context, w.stick, everything); }},
        {"a Restore", [](Workspace& w) { return RestoreStockSounds(w.context, w.stick) == RestoreVerdict::Restored; }},
    };
    for (const auto& [what, change] : cases) {
        SCOPED_TRACE(what);
        Workspace w({.stick = {.soundEntries = kSmallStickSoundEntries}, .sets = {{0}, {5}, {0}}, .stock = true});
        ASSERT_EQ(w.Problem(), "");
        ASSERT_TRUE(w.CopyBaseFromStick());
        if (std::string(what) == "a Restore") {
            w.ui.answers = {true, true};
            ASSERT_TRUE(Save(w.context, w.stick, everything));
        }
        const fs::path copy = w.root.Path() / "stick-copy";
        fs::copy(w.stickFolder, copy, fs::copy_options::recursive);
        Tmpfs tmpfs(w.stickFolder);
        if (!tmpfs.Mount(8u << 20)) GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
        ReplaceContents(copy, w.stickFolder);
        ASSERT_TRUE(tmpfs.RemountReadOnly());
        const Tree stick = ReadTree(w.stickFolder);
        Tree program = ReadTree(w.programFolder);
        program.erase("TAMSIRO.LCK");

        w.ui.transcript.clear();
        w.ui.answers = {true, true};
        EXPECT_FALSE(change(w));
        const std::vector<std::string> messages = w.ui.Messages();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back(), "message: The memory stick is write-protected\nNothing was changed");
        for (const std::string& message : messages) EXPECT_EQ(message.find("manual"), std::string::npos) << message;
        EXPECT_EQ(Differences(ReadTree(w.stickFolder), stick), std::vector<std::string>());
        Tree programAfter = ReadTree(w.programFolder);
        programAfter.erase("TAMSIRO.LCK");
        EXPECT_EQ(Differences(programAfter, program), std::vector<std::string>());
    }
}

// A journal is what its header comment says, and nothing else is one.
TEST(Journal, ReadsWhatItWritesAndRefusesWhatIsNotWhole) {
    Journal journal;
    journal.stickRoot = "/media/me/STICK";
    journal.stickIdentity = "fat:1234-ABCD";
    journal.entries.push_back(
        {JournalEntry::Kind::Previous, "OPEN-R\\MW\\DATA\\P\\AD013001.ODA", "/p/AD013001.ODA", 1234, 0xfeedULL});
    journal.entries.push_back({JournalEntry::Kind::Previous, "OPEN-R\\MW\\DATA\\P\\CUSVOICE.ODA", "", 0, {}});
    journal.entries.push_back({JournalEntry::Kind::Aside, "OPEN-R\\MW\\DATA\\P\\DYNAUDIO.ODA", "", 99, {}});
    journal.scratch.push_back("/p/TAMSIRO.UNDO/x");
    const std::string text = JournalText(journal);
    const std::optional<Journal> read = ParseJournal(text);
    ASSERT_TRUE(read);
    EXPECT_EQ(JournalText(*read), text);
    EXPECT_TRUE(read->entries[1].WasAbsent());

    const struct {
        const char* what;
        std::string text;
        bool parses;
    } cases[] = {
        {"cut off mid-line", text.substr(0, text.size() - 3), false},
        {"cut off after a whole line", text.substr(0, text.find('\n', text.find("identity")) + 1), true},
        {"no header", text.substr(text.find('\n') + 1), false},
        {"a later version", "TAMSIRO JOURNAL 3\nstick\t/x\n", false},
        {"an unknown record is skipped", text + "later\tsomething\n", true},
        {"a known record with too few fields", text + "file\tOPEN-R\\X\n", false},
        {"a size that is not a number", "TAMSIRO JOURNAL 2\nstick\t/x\naside\tOPEN-R\\X\t12a\n", false},
        {"no stick", "TAMSIRO JOURNAL 2\nscratch\t/x\n", false},
        {"an older Tamsiro's journal",
         "TAMSIRO JOURNAL 1\nstick\t/x\nfile\tOPEN-R\\A\t/p/A\naside\tOPEN-R\\B\t/x/B.PRV\t/x/B\n", true},
        // An entry without its stick file would put something back at the
        // stick's root.
        {"an older journal's entry without its stick file", "TAMSIRO JOURNAL 1\nstick\t/x\naside\t\t/x/B.PRV\t/x/B\n",
         false},
        {"an older journal's file without its stick file", "TAMSIRO JOURNAL 1\nstick\t/x\nfile\t\t/p/A\n", false},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseJournal(c.text).has_value(), c.parses) << c.what;

    // Another stick: by identity where both have one, else by root.
    EXPECT_TRUE(JournalNamesStick(*read, "/media/me/STICK1", "fat:1234-ABCD"));
    EXPECT_FALSE(JournalNamesStick(*read, "/media/me/STICK", "fat:9999-0000"));
    Journal old = *read;
    old.stickIdentity.clear();
    EXPECT_TRUE(JournalNamesStick(old, "/media/me/STICK", "fat:9999-0000"));
    EXPECT_FALSE(JournalNamesStick(old, "/media/me/OTHER", "fat:1234-ABCD"));
}

}  // namespace
}  // namespace tamsiro::test
