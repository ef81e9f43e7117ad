// tamsiro-cli status, install and restore, run as a program on generated
// program folders and sticks.
#include "tests/cli/run_cli.h"
#include "tests/support/workspace.h"
#include "tools/sample_workspace.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace tamsiro {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using Snapshot = std::map<std::string, std::vector<unsigned char>>;
using test::CliRun;

// Every file below `root` with its bytes.
Snapshot SnapshotOf(const fs::path& root) {
    Snapshot files;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        if (item.is_regular_file())
            files[fs::relative(item.path(), root).string()] = samples::ReadBytes(item.path().string());
    }
    return files;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A program folder with sets for some rows and a stock sample stick.
class StickCommandsTest : public test::WorkspaceTest {
protected:
    StickCommandsTest() : WorkspaceTest({.sets = {.main = {0, 1, 5}, .voice = {0, 3, 5}, .games = {1, 2}}}) {}

    CliRun Run(std::vector<std::string> args, bool withFolders = true) {
        if (withFolders) args.insert(args.begin() + 1, {"--stick", stick_, "--program-folder", program_});
        return test::RunCli(args, scratch_.Str());
    }

    Json Status() {
        const CliRun run = Run({"status", "--json"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return Json::parse(run.out, nullptr, false);
    }

    const test::TempFolder& root_ = workspace.root;
    test::TempFolder scratch_;
    std::string program_ = workspace.programFolder;
    std::string stick_ = workspace.stickFolder;
};

TEST_F(StickCommandsTest, InstallShowsOnStatusAndRestoreGivesBackTheStockStick) {
    // Removing the male voice keeps its stock copy too.
    const Json voiceStockFiles = {"OPEN-R/MW/DATA/E/ad003000.oda", "OPEN-R/MW/DATA/P/MCUSLIST.CFG",
                                  "OPEN-R/MW/DATA/P/MCUS.CFG"};
    const struct {
        const char* what;
        std::vector<std::string> options;
        Json stick;                       // what status says of the stick afterwards
        const char* answerPrinted;        // a question's answer stderr must show; "" for none
        Json stockFiles = Json::array();  // kept before the stick changed
    } cases[] = {
        {"main only",
         {"--main", "jumpynoor"},
         {{"archive", "JumpyNoor"}, {"voice", "stock"}, {"games", "none"}, {"male_voice", true}},
         "Should I install fewer parts? -> Yes (only some groups named)"},
        {"games only",
         {"--games", "SqueakyIda"},
         {{"archive", "stock"}, {"voice", "stock"}, {"games", "SqueakyIda"}, {"male_voice", true}},
         ""},
        {"MiniTilda, male voice removed",
         {"--voice", "MiniTilda", "--remove-male-voice"},
         {{"archive", "stock"}, {"voice", "MiniTilda"}, {"games", "none"}, {"male_voice", false}},
         "(answer Yes to fit on 32MB stick) -> Yes (--remove-male-voice)",
         voiceStockFiles},
        // A male voice that stays is not touched, so nothing of it is kept.
        {"MiniTilda, male voice kept",
         {"--voice", "MiniTilda", "--keep-male-voice"},
         {{"archive", "stock"}, {"voice", "MiniTilda"}, {"games", "none"}, {"male_voice", true}},
         "(answer Yes to fit on 32MB stick) -> No (--keep-male-voice)",
         {voiceStockFiles[1], voiceStockFiles[2]}},
        {"MiniTilda, default answer",
         {"--voice", "MiniTilda"},
         {{"archive", "stock"}, {"voice", "MiniTilda"}, {"games", "none"}, {"male_voice", false}},
         "(answer Yes to fit on 32MB stick) -> Yes (default, no terminal)",
         voiceStockFiles},
        {"all three",
         {"--main", "Tilda", "--voice", "Barnaby", "--games", "JumpyNoor"},
         {{"archive", "Tilda"}, {"voice", "Barnaby"}, {"games", "JumpyNoor"}, {"male_voice", true}},
         "",
         {voiceStockFiles[1], voiceStockFiles[2]}},
        {"an author's own set",
         {"--main", "myset"},
         {{"archive", "MySet"}, {"voice", "stock"}, {"games", "none"}, {"male_voice", true}},
         ""},
    };
    const Snapshot stockStick = SnapshotOf(stick_);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.options[1] == "myset") {
            // A new set, packed from a row's set with one sound changed.
            const std::string sounds = root_ / "sounds";
            ASSERT_EQ(Run({"oda", "extract", program_ + "/DATA_M3_Tilda.ODA", "--to", sounds}, false).exitCode, 0);
            ASSERT_TRUE(samples::WriteBytes(sounds + "/SND0003.WAV", samples::SyntheticTone(700, 9)));
            ASSERT_EQ(Run({"oda", "pack", sounds, "--to", program_ + "/DATA_M3_MySet.ODA"}, false).exitCode, 0);
        }
        const Snapshot workspace = SnapshotOf(root_.Path());
        const Json before = Status();
        EXPECT_TRUE(SnapshotOf(root_.Path()) == workspace) << "status changes nothing";
        EXPECT_EQ(before["stick"]["check"], "ok");
        EXPECT_EQ(before["stick"]["archive"], "unknown") << "no base to compare with yet";
        EXPECT_EQ(before["program_folder"]["base"], "missing");
        EXPECT_EQ(before["program_folder"]["record"], "none");

        const CliRun install = Run([&] {
            std::vector<std::string> args = {"install"};
            args.insert(args.end(), c.options.begin(), c.options.end());
            return args;
        }());
        EXPECT_EQ(install.exitCode, 0) << install.err;
        EXPECT_TRUE(Contains(install.err, "Backup of DYNAUDIO.ODA complete\n")) << install.err;
        // The last line says what was written and checked.
        const std::size_t saved = install.err.rfind("New audio saved\n");
        ASSERT_NE(saved, std::string::npos) << install.err;
        const std::string last = install.err.substr(saved + 16);
        EXPECT_TRUE(last.find(" written and verified, ") != std::string::npos && last.ends_with(" MB\n") &&
                    last.find('\n') == last.size() - 1)
            << install.err;
        if (*c.answerPrinted) {
            EXPECT_TRUE(Contains(install.err, c.answerPrinted)) << install.err;
        }

        const Json after = Status();
        Json stick = after["stick"];
        stick.erase("free_bytes");
        stick.erase("free");
        stick.erase("check");
        EXPECT_EQ(stick, c.stick);
        EXPECT_EQ(after["program_folder"]["base"], "ok");
        EXPECT_EQ(after["program_folder"]["record"], "stock");
        EXPECT_EQ(after["program_folder"]["stock_files"], c.stockFiles);
        const Json mainSets = c.options[1] == "myset" ? Json{"Tilda", "JumpyNoor", "MiniTilda", "MySet"}
                                                      : Json{"Tilda", "JumpyNoor", "MiniTilda"};
        EXPECT_EQ(after["program_folder"]["sets"], (Json{{"main", mainSets},
                                                         {"voice", {"Tilda", "Barnaby", "MiniTilda"}},
                                                         {"games", {"JumpyNoor", "SqueakyIda"}}}));

        // The same stick, spelled another way, has the same record.
        const CliRun restore = test::RunCli(
            {"restore", "--yes", "--stick", stick_ + "/OPEN-R/../", "--program-folder", program_}, scratch_.Str());
        EXPECT_EQ(restore.exitCode, 0) << restore.err;
        EXPECT_TRUE(SnapshotOf(stick_) == stockStick) << "the stick is stock again";
        EXPECT_EQ(Status()["stick"]["archive"], "stock");

        // The next case starts from a first run again.
        fs::remove(program_ + "/DATA_BASEMIND3.ODA");
        fs::remove_all(program_ + "/DATA_BASEMIND3.FILES");
    }
}

TEST_F(StickCommandsTest, StatusTellsChangedAndDamagedFilesFromSets) {
    const std::string folder = stick_ + "/OPEN-R/MW/DATA/P/";
    const std::string archive = folder + "DYNAUDIO.ODA";
    fs::copy_file(archive, program_ + "/DATA_BASEMIND3.ODA");
    const std::string sounds = root_ / "sounds";
    const std::vector<unsigned char> junk = {9, 9, 9};
    const struct {
        const char* what;
        std::function<void()> change;
        Json expected;  // archive, voice, games
    } cases[] = {
        {"stock", [] {}, {"stock", "stock", "none"}},
        {"Tilda installed",
         [&] {
             ASSERT_EQ(Run({"install", "--main", "Tilda"}).exitCode, 0);
         },
         {"Tilda", "stock", "none"}},
        {"and a sound outside the set changed",  // SND0001 is in no set
         [&] {
             ASSERT_EQ(Run({"oda", "extract", archive, "--to", sounds}, false).exitCode, 0);
             ASSERT_TRUE(samples::WriteBytes(sounds + "/SND0001.WAV", junk));
             ASSERT_EQ(Run({"oda", "pack", sounds, "--to", archive, "--force"}, false).exitCode, 0);
         },
         {"modified", "stock", "none"}},
        {"strange voice and games",
         [&] {
             for (const char* name : {"CUSVOICE.ODA", "AD013001.ODA", "AD013008.ODA"})
                 samples::WriteBytes(folder + name, junk);
         },
         {"modified", "unknown", "unknown"}},
        {"a set's voice, half the games",
         [&] {
             fs::copy_file(program_ + "/DATA_V3_Barnaby.ODA", folder + "CUSVOICE.ODA",
                           fs::copy_options::overwrite_existing);
             fs::remove(folder + "AD013008.ODA");
         },
         {"modified", "Barnaby", "missing"}},
        {"archive cut short", [&] { fs::resize_file(archive, 1000); }, {"damaged", "Barnaby", "missing"}},
        {"archive gone", [&] { fs::remove(archive); }, {"missing", "Barnaby", "missing"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.change();
        const Json stick = Status()["stick"];
        EXPECT_EQ((Json{stick["archive"], stick["voice"], stick["games"]}), c.expected);
    }
}

TEST_F(StickCommandsTest, UsageErrorsAndRefusedSticksChangeNothing) {
    ASSERT_TRUE(samples::WriteSampleStick(root_ / "english", {.version = {.language = 1}}));
    ASSERT_TRUE(samples::WriteSampleStick(root_ / "unmarked", {.withMarker = false}));
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string message;  // the start of stderr
    } cases[] = {
        {{"install", "--main", "Nope"},
         2,
         "--main Nope: no such Main set in " + program_ + "; available: Tilda, JumpyNoor, MiniTilda\n"},
        {{"install", "--games", "Tilda"},
         2,
         "--games Tilda: no such Games set in " + program_ + "; available: JumpyNoor, SqueakyIda\n"},
        {{"install"}, 2, "Name a set with --main, --voice or --games\n"},
        {{"install", "--voice", "MiniTilda", "--remove-male-voice", "--keep-male-voice"},
         2,
         "--remove-male-voice excludes --keep-male-voice"},
        {{"install", "--voice", "Tilda", "--remove-male-voice"},
         2,
         "--remove-male-voice and --keep-male-voice go with --voice MiniTilda only\n"},
    };
    const Snapshot stickBefore = SnapshotOf(stick_);
    for (const auto& c : cases) {
        const CliRun run = Run(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << ::testing::PrintToString(c.args);
        EXPECT_EQ(run.err.substr(0, c.message.size()), c.message);
        EXPECT_TRUE(SnapshotOf(stick_) == stickBefore) << ::testing::PrintToString(c.args);
    }
    const struct {
        const char* stick;
        const char* message;
    } refused[] = {{"english", "Not AiboMind Engish\n"},  // the dialog's message, typo and all
                   {"unmarked", "/unmarked: no memstick.ind here\n"}};
    for (const auto& r : refused) {
        const std::string folder = root_ / r.stick;
        const Snapshot before = SnapshotOf(folder);
        const CliRun install = test::RunCli(
            {"install", "--stick", folder, "--program-folder", program_, "--main", "Tilda"}, scratch_.Str());
        EXPECT_EQ(install.exitCode, 1) << r.stick;
        EXPECT_TRUE(Contains(install.err, r.message)) << install.err;
        EXPECT_TRUE(SnapshotOf(folder) == before) << r.stick;
    }
}

// The conventions scripts rely on: exit codes, messages that name the
// problem, nothing changed by a refusal.
// A base lost after Tamsiro changed the stick: the record stays, Restore
// puts back what it kept and names the archive it cannot, never taking the
// custom archive as a base, and --yes answers only the question it was made
// for.
TEST_F(StickCommandsTest, ALostBaseNeverTurnsCustomSoundsIntoStock) {
    const std::string lostDynaudio = "DYNAUDIO.ODA (DATA_BASEMIND3.ODA is missing)";
    const std::string customBase = "Use it as the base anyway? -> ";
    const struct {
        const char* what;
        std::vector<std::string> saved;  // the install before the base is lost
        std::vector<std::string> then;
        int exitCode;
        std::vector<std::string> said;  // parts of stderr, in order
        std::string archive;            // what status says of DYNAUDIO.ODA afterwards
        bool baseTaken;
    } cases[] = {
        {"Main alone, restored",
         {"--main", "Tilda"},
         {"--yes", "restore"},
         1,
         {"Stock sounds not restored\nThese files could not be restored:\n" + lostDynaudio, "Nothing was changed"},
         "unknown",
         false},
        {"everything, restored",
         {"--main", "Tilda", "--voice", "MiniTilda", "--remove-male-voice", "--games", "JumpyNoor"},
         {"--yes", "restore"},
         1,
         {"Stock sounds not fully restored\nThese files could not be restored:\n" + lostDynaudio},
         "unknown",
         false},
        {"everything, then a Save with --yes",
         {"--main", "Tilda", "--voice", "MiniTilda", "--remove-male-voice", "--games", "JumpyNoor"},
         {"--yes", "install", "--games", "SqueakyIda"},
         1,
         {customBase + "No (default, no terminal, --yes does not answer this; --accept-custom-base does)",
          "Can't continue without base archive"},
         "unknown",
         false},
        {"everything, then a Save that accepts the custom base",
         {"--main", "Tilda", "--voice", "MiniTilda", "--remove-male-voice", "--games", "JumpyNoor"},
         {"--yes", "install", "--games", "SqueakyIda", "--accept-custom-base"},
         0,
         {customBase + "Yes (--accept-custom-base)", "New audio saved"},
         "modified",
         true},
    };
    const std::string pristine = scratch_ / "pristine";
    fs::create_directories(pristine);
    fs::copy(root_ / "Tamsiro", pristine + "/Tamsiro", fs::copy_options::recursive);
    fs::copy(root_ / "stick", pristine + "/stick", fs::copy_options::recursive);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root_ / "Tamsiro");
        fs::remove_all(root_ / "stick");
        fs::copy(pristine + "/Tamsiro", root_ / "Tamsiro", fs::copy_options::recursive);
        fs::copy(pristine + "/stick", root_ / "stick", fs::copy_options::recursive);
        std::vector<std::string> install = {"install"};
        install.insert(install.end(), c.saved.begin(), c.saved.end());
        ASSERT_EQ(Run(install).exitCode, 0);
        fs::remove(program_ + "/DATA_BASEMIND3.ODA");
        EXPECT_EQ(Status()["program_folder"]["record"], "stock") << "the record outlives its base";

        std::vector<std::string> args = c.then;
        const auto command = std::find_if(args.begin(), args.end(), [](const std::string& a) { return a[0] != '-'; });
        args.insert(command + 1, {"--stick", stick_, "--program-folder", program_});
        const CliRun run = test::RunCli(args, scratch_.Str());
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        std::size_t at = 0;
        for (const std::string& part : c.said) {
            at = run.err.find(part, at);
            EXPECT_NE(at, std::string::npos) << part << "\nin: " << run.err;
        }
        EXPECT_EQ(fs::exists(program_ + "/DATA_BASEMIND3.ODA"), c.baseTaken);
        const Json status = Status();
        EXPECT_EQ(status["stick"]["archive"], c.archive);
        if (c.then[1] == "restore") {
            // Everything else is stock again.
            EXPECT_EQ(status["stick"]["voice"], "stock");
            EXPECT_EQ(status["stick"]["male_voice"], true);
        }
    }
}

TEST_F(StickCommandsTest, CommandLineConventions) {
    ASSERT_TRUE(samples::WriteSampleStick(root_ / "english", {.version = {.language = 1}}));
    ASSERT_TRUE(samples::WriteSampleStick(root_ / "unmarked", {.withMarker = false}));
    const std::string sounds = root_ / "sounds";
    ASSERT_EQ(Run({"oda", "extract", program_ + "/DATA_M3_Tilda.ODA", "--to", sounds}, false).exitCode, 0);
    const std::string packed = root_ / "packed.oda";
    ASSERT_TRUE(samples::WriteBytes(packed, {1, 2, 3}));
    const std::string missing = root_ / "nowhere";
    const struct {
        const char* what;
        std::vector<std::string> args;
        int exitCode;
        std::string err;  // a part of stderr
        std::string out;  // a part of stdout
    } cases[] = {
        {"no such stick",
         {"status", "--stick", missing, "--program-folder", program_},
         1,
         missing + ": no such folder\n"},
        {"not a stick",
         {"status", "--stick", root_ / "unmarked", "--program-folder", program_},
         1,
         "no memstick.ind here"},
        {"a refused stick is still reported",
         {"status", "--stick", root_ / "english", "--program-folder", program_},
         0,
         "",
         "stick.check: not-english\n"},
        {"the chooser's way: a file at the stick's root",
         {"status", "--stick", stick_ + "/memstick.ind", "--program-folder", program_},
         0,
         "",
         "stick.check: ok\n"},
        {"a misspelt option",
         {"status", "--stik", stick_, "--program-folder", program_},
         2,
         "--stik: unknown option\n"},
        {"a misspelt command",
         {"statuss", "--stick", stick_},
         2,
         "statuss: unknown command; the commands are oda, status, install, restore\n"},
        {"a misspelt archive command",
         {"oda", "extrct", sounds},
         2,
         "extrct: unknown command; the commands are list, check, extract"},
        {"no command", {}, 2, "a command is needed; the commands are oda, status"},
        {"a program folder that is not there",
         {"status", "--stick", stick_, "--program-folder", missing},
         2,
         missing + ": no such folder\n"},
        {"an empty program folder",
         {"install", "--stick", stick_, "--program-folder", "", "--main", "Tilda"},
         2,
         "--program-folder is empty"},
        {"pack over an archive",
         {"oda", "pack", sounds, "--to", packed},
         1,
         packed + ": exists already; --force replaces it\n"},
        // The first run's own record, not yet used by any Save.
        {"restore on a stick this folder never saved to",
         {"restore", "--stick", stick_, "--program-folder", program_},
         1,
         "No stock files were kept for this memory stick\nNothing was changed\n"},
        // The repair's question names this option as its answer.
        {"the answer to the recovered files' question",
         {"restore", "--stick", stick_, "--program-folder", program_, "--delete-recovered-files"},
         1,
         "No stock files were kept for this memory stick\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Snapshot before = SnapshotOf(root_.Path());
        const CliRun run = test::RunCli(c.args, scratch_.Str());
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_TRUE(Contains(run.err, c.err)) << run.err;
        EXPECT_TRUE(Contains(run.out, c.out)) << run.out;
        EXPECT_FALSE(Contains(run.err, "?")) << "no question asked: " << run.err;
        Snapshot after = SnapshotOf(root_.Path());
        // Restore's first run keeps the base archive and the stick's record,
        // as every first run does, and leaves the lock's file, which only a
        // running Tamsiro holds.
        for (const char* firstRunFile :
             {"Tamsiro/DATA_BASEMIND3.ODA", "Tamsiro/DATA_BASEMIND3.FILES/STICK.JSON", "Tamsiro/TAMSIRO.LCK"}) {
            before.erase(firstRunFile);
            after.erase(firstRunFile);
        }
        EXPECT_TRUE(after == before) << "nothing changed";
    }
    EXPECT_EQ(Run({"oda", "pack", sounds, "--to", packed, "--force"}, false).exitCode, 0);
    EXPECT_NE(samples::ReadBytes(packed).size(), 3u) << "--force replaces it";
}

// Without --stick the one stick mounted is used, as the dialog's chooser
// offers it. Mounts are looked for under /media/$USER.
TEST_F(StickCommandsTest, TheOneMountedStickIsUsedAndNamed) {
    const std::string user = "tamsiro-test-" + std::to_string(::getpid());
    const fs::path media = fs::path("/media") / user;
    std::error_code error;
    if (!fs::create_directories(media, error)) GTEST_SKIP() << "cannot make " << media << " to mount a stick in";
    const std::string mounted = (media / "STICK").string();
    const char* oldUser = std::getenv("USER");
    const std::string restoreUser = oldUser ? oldUser : "";
    ::setenv("USER", user.c_str(), 1);
    const struct {
        const char* what;
        std::vector<std::string> sticks;
        int exitCode;
        std::string err;
    } cases[] = {
        {"one stick", {"STICK"}, 0, "Memory stick: " + mounted + "\n"},
        {"a second one", {"SPARE"}, 2, "Several memory sticks are mounted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& name : c.sticks) ASSERT_TRUE(samples::WriteSampleStick((media / name).string()));
        const CliRun run = test::RunCli({"status", "--program-folder", program_}, scratch_.Str());
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_TRUE(Contains(run.err, c.err)) << run.err;
    }
    if (oldUser) {
        ::setenv("USER", restoreUser.c_str(), 1);
    } else {
        ::unsetenv("USER");
    }
    fs::remove_all(media, error);
}

// A file tree as it stands, links and special files included, without
// following any link.
std::map<std::string, std::string> TreeOf(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = fs::relative(it->path(), root).string();
        if (it->is_symlink()) {
            tree[name] = "link to " + fs::read_symlink(it->path()).string();
        } else if (it->is_regular_file()) {
            const auto bytes = samples::ReadBytes(it->path().string());
            tree[name] = std::string(bytes.begin(), bytes.end());
        } else {
            tree[name] = it->is_directory() ? "folder" : "special";
        }
    }
    return tree;
}

TEST_F(StickCommandsTest, LinksAndSpecialFilesOnTheStickAreRefusedByNameAndNothingChanges) {
    const std::string p = "OPEN-R/MW/DATA/P/";
    enum class Made { Fifo, DanglingLink, LinkToOutside };
    const struct {
        const char* what;
        std::string path;  // relative to the stick
        Made kind;
        const char* check;
    } cases[] = {
        {"FIFO marker", "memstick.ind", Made::Fifo, "special-file"},
        {"FIFO VERSION", "OPEN-R/APP/VERSION", Made::Fifo, "special-file"},
        {"FIFO voice list", p + "MCUSLIST.CFG", Made::Fifo, "special-file"},
        {"sound folder linked elsewhere", "OPEN-R/MW/DATA/P", Made::LinkToOutside, "link"},
        {"dangling DYNAUDIO.NEW", p + "DYNAUDIO.NEW", Made::DanglingLink, "link"},
        {"dangling CUSVOICE.NEW", p + "CUSVOICE.NEW", Made::DanglingLink, "link"},
        {"dangling MCUSLIST.TMP", p + "MCUSLIST.TMP", Made::DanglingLink, "link"},
        {"linked sound archive", p + "DYNAUDIO.ODA", Made::LinkToOutside, "link"},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path stick = root_.Path() / ("hostile" + std::to_string(++number));
        const fs::path outside = root_.Path() / ("outside" + std::to_string(number));
        ASSERT_TRUE(samples::WriteSampleStick(stick.string()));
        fs::create_directories(outside);
        const fs::path at = stick / c.path;
        if (c.kind == Made::Fifo) {
            fs::remove(at);
            ASSERT_EQ(::mkfifo(at.c_str(), 0666), 0);
        } else if (c.kind == Made::DanglingLink) {
            fs::create_symlink(outside / "gone", at);
        } else {
            fs::rename(at, outside / at.filename());
            fs::create_symlink(outside / at.filename(), at);
        }
        const auto stickBefore = TreeOf(stick);
        const auto outsideBefore = TreeOf(outside);
        const std::vector<std::string> folders = {"--stick", stick.string(), "--program-folder", program_};

        const CliRun status =
            test::RunCli({"status", "--json", folders[0], folders[1], folders[2], folders[3]}, scratch_.Str());
        const Json json = Json::parse(status.out, nullptr, false);
        EXPECT_EQ(json["stick"]["check"], c.check) << status.out;
        EXPECT_EQ(json["stick"]["hazard"], at.string());
        for (const std::vector<std::string>& command :
             {std::vector<std::string>{"install", "--main", "Tilda", "--voice", "MiniTilda", "--games", "SqueakyIda",
                                       "--yes"},
              std::vector<std::string>{"restore", "--yes"}}) {
            std::vector<std::string> args = command;
            args.insert(args.begin() + 1, folders.begin(), folders.end());
            const CliRun run = test::RunCli(args, scratch_.Str());
            EXPECT_EQ(run.exitCode, 1) << command[0];
            EXPECT_TRUE(
                Contains(run.err, at.string() + (c.kind == Made::Fifo ? " is not a regular file" : " is a link")))
                << run.err;
        }
        EXPECT_EQ(TreeOf(stick), stickBefore);
        EXPECT_EQ(TreeOf(outside), outsideBefore);
        EXPECT_FALSE(fs::exists(fs::path(program_) / "DATA_BASEMIND3.ODA")) << "nothing of the stick was backed up";
    }
}

TEST_F(StickCommandsTest, SetNamesThatAreNotUtf8AreShownReplacedWithTheirBytesAndStillInstall) {
    // A Latin-1 label and a program folder whose own name is Latin-1 too.
    const std::string program = root_ / "Programme \xe9t\xe9";
    fs::create_directories(program);
    for (const auto& item : fs::directory_iterator(program_))
        fs::copy(item.path(), fs::path(program) / item.path().filename());
    fs::rename(fs::path(program) / ("DATA_M3_" + samples::RowFileLabel(0) + ".ODA"),
               fs::path(program) / "DATA_M3_Caf\xe9.ODA");

    const CliRun status =
        test::RunCli({"status", "--json", "--stick", stick_, "--program-folder", program}, scratch_.Str());
    ASSERT_EQ(status.exitCode, 0) << status.err;
    const Json json = Json::parse(status.out, nullptr, false);
    ASSERT_FALSE(json.is_discarded()) << status.out;
    EXPECT_EQ(json["program_folder"]["path"], root_.Str() + "/Programme \xef\xbf\xbdt\xef\xbf\xbd");
    EXPECT_TRUE(Contains(json["program_folder"]["path_hex"].get<std::string>(), "e974e9"));
    const Json& sets = json["program_folder"]["sets"];
    const auto label = std::find(sets["main"].begin(), sets["main"].end(), "Caf\xef\xbf\xbd");
    ASSERT_NE(label, sets["main"].end()) << sets.dump();
    EXPECT_EQ(sets["main_hex"][static_cast<std::size_t>(label - sets["main"].begin())], "436166e9");
    EXPECT_FALSE(sets.contains("voice_hex"));

    const CliRun install =
        test::RunCli({"install", "--stick", stick_, "--program-folder", program, "--main", "Caf\xe9"}, scratch_.Str());
    EXPECT_EQ(install.exitCode, 0) << install.err;
    const CliRun after = test::RunCli({"status", "--stick", stick_, "--program-folder", program}, scratch_.Str());
    EXPECT_TRUE(Contains(after.out, "stick.archive: Caf\xe9\n")) << after.out;
}

}  // namespace
}  // namespace tamsiro
