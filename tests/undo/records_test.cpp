// One record per stick: two sticks and one program folder, a stick the
// folder never saved to, and a base that already holds custom sounds. The
// sticks are plain folders, known by their paths.
#include "app/app_context.h"
#include "install/restore_command.h"
#include "install/save_command.h"
#include "install/start_sequence.h"
#include "install/stick_status.h"
#include "stick/stick_record.h"
#include "tests/support/reference_merge.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/stock_stick.h"
#include "tests/support/workspace.h"
#include "tools/sample_workspace.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <deque>
#include <filesystem>

namespace tamsiro::test {
namespace {

namespace fs = std::filesystem;

const std::string kNoRecord = "message: No stock files were kept for this memory stick\nNothing was changed";
const SaveSelection kEverything{"Tilda", "Tilda", "MiniTilda", true};
// Changes DYNAUDIO.ODA alone, whose stock copy is the base: nothing else is kept.
const SaveSelection kMainAlone{"Tilda", std::nullopt, std::nullopt, false};

struct Sticks {
    Sticks() {
        EXPECT_EQ(workspace.Problem(), "");
        // B came with another sound archive and its own Games file.
        EXPECT_TRUE(WriteStockStick(b, {.soundEntries = kSmallStickSoundEntries + 3}));
        EXPECT_TRUE(samples::WriteText(b + "/" + kGame1, "B's own stock game"));
        EXPECT_TRUE(WriteStockStick(c, {.soundEntries = kSmallStickSoundEntries}));
        stockA = ReadTree(a);
        stockB = ReadTree(b);
        stockC = ReadTree(c);
    }
    std::string Program(const std::string& name) const { return workspace.Program(name); }

    Workspace workspace{
        {.stick = {.soundEntries = kSmallStickSoundEntries}, .sets = {{0, 1}, {4, 5}, {0, 1}}, .stock = true}};
    std::string program = workspace.programFolder;
    std::string a = workspace.stickFolder;
    std::string b = workspace.root.Str() + "/stickB";
    std::string c = workspace.root.Str() + "/stickC";
    Tree stockA, stockB, stockC;
};

// What the dialog does: the start sequence on the chosen stick, then `then`.
template <typename Then>
std::vector<std::string> OnStick(const std::string& program, const std::string& stick, std::deque<bool> answers,
                                 Then then, bool* succeeded = nullptr) {
    ScriptedUi ui;
    ui.markers.push_back(stick + "/memstick.ind");
    ui.answers = std::move(answers);
    AppContext context(ui, program);
    const std::optional<Stick> prepared = PrepareStick(context);
    const bool done = prepared && then(context, *prepared);
    if (succeeded) *succeeded = done;
    return ui.Messages();
}

bool SaveEverything(AppContext& context, const Stick& stick) { return Save(context, stick, kEverything); }
bool SaveMainAlone(AppContext& context, const Stick& stick) { return Save(context, stick, kMainAlone); }
bool RestoreStock(AppContext& context, const Stick& stick) {
    return RestoreStockSounds(context, stick) == RestoreVerdict::Restored;
}
bool Nothing(AppContext&, const Stick&) { return true; }

nlohmann::json RecordIn(const std::string& folder) {
    return nlohmann::json::parse(ReadFile(folder + "/STICK.JSON"), nullptr, false);
}

TEST(StickRecords, EachStickRestoresFromItsOwnRecordOnly) {
    Sticks s;
    bool saved = false;
    OnStick(s.program, s.a, {true, true, true}, SaveEverything, &saved);
    ASSERT_TRUE(saved);
    OnStick(s.program, s.b, {true, true, true}, SaveEverything, &saved);
    ASSERT_TRUE(saved);

    // A keeps the first stick's names; B's other archive got a base of its own.
    EXPECT_EQ(RecordIn(s.Program("DATA_BASEMIND3.FILES"))["identity"], "folder:" + s.a);
    EXPECT_EQ(RecordIn(s.Program("DATA_BASEMIND3.2"))["base"], "DATA_BASEMIND3.2/DATA_BASEMIND3.ODA");
    EXPECT_EQ(FileIn(ReadTree(s.program), "DATA_BASEMIND3.ODA"), FileIn(s.stockA, kSoundArchive));
    EXPECT_EQ(FileIn(ReadTree(s.Program("DATA_BASEMIND3.2")), "DATA_BASEMIND3.ODA"), FileIn(s.stockB, kSoundArchive));
    // B's Main install merged into B's base.
    const auto expected = ReferenceMerge(samples::ReadBytes(s.Program("DATA_BASEMIND3.2/DATA_BASEMIND3.ODA")),
                                         samples::ReadBytes(s.Program("DATA_M3_Tilda.ODA")));
    ASSERT_TRUE(expected);
    EXPECT_EQ(samples::ReadBytes(s.b + "/" + kSoundArchive), *expected);

    const Tree savedA = ReadTree(s.a);
    bool restored = false;
    OnStick(s.program, s.b, {true}, RestoreStock, &restored);
    EXPECT_TRUE(restored);
    EXPECT_EQ(Differences(ReadTree(s.b), s.stockB), std::vector<std::string>()) << "B is its own stock stick again";
    EXPECT_EQ(Differences(ReadTree(s.a), savedA), std::vector<std::string>()) << "A is untouched";
    OnStick(s.program, s.a, {true}, RestoreStock, &restored);
    EXPECT_TRUE(restored);
    EXPECT_EQ(Differences(ReadTree(s.a), s.stockA), std::vector<std::string>());

    // C was never saved to from this folder: nothing of A's or B's reaches it.
    ASSERT_TRUE(samples::WriteText(s.c + "/" + kCustomVoice, "a voice put there by hand"));
    const Tree beforeC = ReadTree(s.c);
    const std::vector<std::string> messages = OnStick(s.program, s.c, {true}, RestoreStock, &restored);
    EXPECT_FALSE(restored);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), kNoRecord);
    EXPECT_EQ(Differences(ReadTree(s.c), beforeC), std::vector<std::string>());

    // A Save that finds a stick's record not written yet (no start before
    // it) writes it first, so that what it keeps lands in the folder it names.
    const std::string d = s.workspace.root.Str() + "/stickD";
    ASSERT_TRUE(WriteStockStick(d, {.soundEntries = kSmallStickSoundEntries}));
    ScriptedUi ui;
    AppContext context(ui, s.program);
    ASSERT_TRUE(Save(context, Stick(d), kEverything)) << ui.Messages().back();
    const StickRecord record = RecordOfStick(context, Stick(d));
    EXPECT_TRUE(record.written);
    EXPECT_EQ(StockStore(record.folder).RecordOf(kVoiceList), StockEntry::Kept) << record.folder;
}

// A stick whose archive already holds a Main set merged into a base kept
// here (a copy of a saved stick), or whose record shows a Save but whose
// base is gone; after a Restore the stick's archive is stock again.
TEST(StickRecords, ACustomBaseIsTakenOnlyWhenTheUserSaysSo) {
    using Change = bool (*)(AppContext&, const Stick&);
    struct Case {
        const char* what;
        Change save;
        bool restored;  // a Restore ran before the base went
        bool baseGone;  // else: a copy of the saved stick, elsewhere
        bool answer;
        std::string heldSet;  // empty: nothing is asked
    };
    const Case cases[] = {
        {"a copy, No", SaveEverything, false, false, false, "Tilda"},
        {"a copy, Yes", SaveEverything, false, false, true, "Tilda"},
        {"base gone, No", SaveEverything, false, true, false, "unknown"},
        {"base gone, Yes", SaveEverything, false, true, true, "unknown"},
        {"Main alone, base gone, No", SaveMainAlone, false, true, false, "unknown"},
        {"Main alone, base gone, Yes", SaveMainAlone, false, true, true, "unknown"},
        {"Main alone, restored, base gone", SaveMainAlone, true, true, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Sticks s;
        bool saved = false;
        OnStick(s.program, s.a, {true, true, true}, c.save, &saved);
        ASSERT_TRUE(saved);
        if (c.restored) {
            OnStick(s.program, s.a, {true}, RestoreStock, &saved);
            ASSERT_TRUE(saved);
        }
        std::string stick = s.a;
        if (c.baseGone) {
            fs::remove(s.Program("DATA_BASEMIND3.ODA"));
        } else {
            stick = s.workspace.root.Str() + "/copy";
            fs::copy(s.a, stick, fs::copy_options::recursive);
        }
        const Tree programBefore = ReadTree(s.program);
        const Tree stickBefore = ReadTree(stick);

        bool prepared = false;
        const std::vector<std::string> messages = OnStick(s.program, stick, {c.answer}, Nothing, &prepared);
        const std::string question =
            "ask(no): DYNAUDIO.ODA on this memory stick already holds custom sounds (Main set " + c.heldSet +
            ")\nUse it as the base anyway?";
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(prepared, c.answer);
        EXPECT_EQ(Differences(ReadTree(stick), stickBefore), std::vector<std::string>());
        if (c.heldSet.empty()) {
            EXPECT_TRUE(std::none_of(messages.begin(), messages.end(), [](const std::string& m) {
                return m.starts_with("ask(");
            })) << messages.front();
            EXPECT_EQ(FileIn(ReadTree(s.program), "DATA_BASEMIND3.ODA"), FileIn(s.stockA, kSoundArchive));
            continue;
        }
        EXPECT_EQ(messages.front(), question);
        if (!c.answer) {
            EXPECT_EQ(messages.back(), "message: Can't continue without base archive");
            EXPECT_EQ(Differences(ReadTree(s.program), programBefore), std::vector<std::string>());
            continue;
        }
        ScriptedUi ui;
        const AppContext context(ui, s.program);
        EXPECT_EQ(StatusWord(ReadStickStatus(context, Stick(stick)).record), "not-stock:" + c.heldSet);
        if (c.baseGone) {
            // The first archive went with the base: Restore puts back what
            // it kept and names DYNAUDIO.ODA, never calling the base it
            // took stock, nor what the stick first had.
            const std::string restoring = OnStick(s.program, stick, {true}, RestoreStock).back();
            EXPECT_TRUE(restoring.starts_with(c.save == SaveMainAlone ? "message: Stock sounds not restored\n"
                                                                      : "message: Stock sounds not fully restored\n"))
                << restoring;
            EXPECT_NE(restoring.find("\nDYNAUDIO.ODA (its stock version was lost with DATA_BASEMIND3.ODA)"),
                      std::string::npos)
                << restoring;
            continue;
        }
        if (!c.baseGone) {
            // The copy is as its new record says: Restore names the files
            // it has no stock copy of, and asks nothing.
            const std::string unrestorable = OnStick(s.program, stick, {}, RestoreStock).back();
            EXPECT_TRUE(unrestorable.starts_with("message: Stock sounds not restored\n") &&
                        unrestorable.ends_with("\nNothing was changed"))
                << unrestorable;
            // Once its archive is another, there is something to put back.
            const std::string stockArchive = FileIn(s.stockA, kSoundArchive).value_or("");
            ASSERT_TRUE(samples::WriteBytes(stick + "/" + kSoundArchive, {stockArchive.begin(), stockArchive.end()}));
        }
        // Restore says what DYNAUDIO.ODA goes back to before it asks.
        std::vector<std::string> restoring = OnStick(s.program, stick, {false}, RestoreStock);
        ASSERT_GE(restoring.size(), 2u);
        EXPECT_EQ(
            restoring[restoring.size() - 2],
            "message: DYNAUDIO.ODA is put back as this memory stick first had it, with the custom sounds of Main set " +
                c.heldSet + ", not the stock sounds");
    }
}

// A record edited by hand never sends the base outside the program folder,
// and a field of the wrong type reads as missing.
TEST(StickRecords, AHandEditedRecordStaysInTheProgramFolder) {
    Sticks s;
    fs::create_directories(s.Program("DATA_BASEMIND3.FILES"));
    ScriptedUi ui;
    const AppContext context(ui, s.program);
    const std::string identity = "\"identity\": \"folder:" + s.a + "\"";
    for (const std::string& fields :
         {identity + ", \"base\": \"../outside.ODA\"", identity + ", \"base\": \"/tmp/outside.ODA\"",
          identity + ", \"base\": \"C:\\\\outside.ODA\"", identity + ", \"base\": 7, \"stock\": \"no\""}) {
        SCOPED_TRACE(fields);
        ASSERT_TRUE(samples::WriteText(s.Program("DATA_BASEMIND3.FILES/STICK.JSON"), "{" + fields + "}"));
        const StickRecord record = RecordOfStick(context, Stick(s.a));
        EXPECT_TRUE(record.written);
        EXPECT_EQ(record.basePath, s.Program("DATA_BASEMIND3.ODA"));
        EXPECT_TRUE(record.stock);
    }
}

}  // namespace
}  // namespace tamsiro::test
