#pragma once

#include "app/app_context.h"
#include "stick/stick.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_folder.h"
#include "tools/sample_workspace.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace tamsiro::test {

// A temporary folder for each test; one that could not be made fails the
// test before its body runs.
class FolderTest : public ::testing::Test {
protected:
    FolderTest();
    // Writes a file into the folder and returns its path.
    std::string Write(const std::vector<unsigned char>& bytes, const std::string& name = "A.ODA") const;

    TempFolder folder;
};

// What a workspace starts with.
struct WorkspaceLayout {
    samples::StickOptions stick;
    samples::SoundSetRows sets;  // sound sets in the program folder, for a stick of stick.soundEntries
    std::string programName = "Tamsiro";
    std::string stickName = "stick";
    // A stock stick (see WriteStockStick) rather than the bare sample stick.
    bool stock = false;
};

// The fixture chain's second link: a program folder and a sample (or
// stock) stick side by side in a temporary folder, with a scripted front
// end and a context on that program folder. Files on the stick are named
// host-style below its root ("OPEN-R/MW/DATA/P/MCUS.CFG").
class Workspace {
    // First, so that it is there while the folders below are made.
    std::string problem_;

public:
    explicit Workspace(const WorkspaceLayout& layout = {});

    // Empty when every folder and sample file was made, else what was not.
    const std::string& Problem() const { return problem_; }

    std::string Program(std::string_view name) const;
    std::string OnStick(std::string_view relative) const;

    // Answers the next chooser with the stick's marker file.
    void QueueStickMarker();
    // A base archive as the first run would have made it.
    [[nodiscard]] bool CopyBaseFromStick() const;
    // The first stick's record for this stick, whatever the base holds.
    [[nodiscard]] bool ClaimFirstRecord() const;
    [[nodiscard]] bool AddSoundSets(const samples::SoundSetRows& rows) const;

    TempFolder root;
    std::string programFolder;
    std::string stickFolder;
    Stick stick;
    ScriptedUi ui;
    AppContext context;

private:
    int soundEntries_;  // of the stick's sound archive, which the Main sets follow
};

// A workspace for each test; one that could not be made fails the test
// before its body runs.
class WorkspaceTest : public ::testing::Test {
protected:
    explicit WorkspaceTest(const WorkspaceLayout& layout = {});
    Workspace workspace;
};

std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// "a\nb\n" with CR LF line ends, as the files are stored.
std::string Crlf(const std::string& text);

}  // namespace tamsiro::test
