#include "tests/support/workspace.h"

#include "stick/stick_files.h"
#include "stick/stick_record.h"
#include "tests/support/stock_stick.h"

#include <filesystem>

namespace tamsiro::test {

namespace {

std::string MadeFolder(const TempFolder& root, const std::string& name, std::string& problem) {
    if (root.Path().empty()) {
        problem = "no temporary folder";
        return {};
    }
    std::error_code error;
    const std::filesystem::path path = root.Path() / name;
    if (!std::filesystem::create_directories(path, error)) problem += "could not make " + path.string() + "; ";
    return path.string();
}

// A fatal failure ends only the function it is in: called from a fixture's
// constructor, it keeps the test body from running.
void RequireMade(const TempFolder& folder) { ASSERT_FALSE(folder.Path().empty()) << "no temporary folder"; }

void RequireMade(const Workspace& workspace) {
    ASSERT_TRUE(workspace.Problem().empty()) << "workspace not made: " << workspace.Problem();
}

}  // namespace

Workspace::Workspace(const WorkspaceLayout& layout)
    : programFolder(MadeFolder(root, layout.programName, problem_)),
      stickFolder(MadeFolder(root, layout.stickName, problem_)),
      stick(stickFolder),
      context(ui, programFolder),
      soundEntries_(layout.stick.soundEntries) {
    if (!problem_.empty()) return;
    const bool written = layout.stock ? WriteStockStick(stickFolder, layout.stick)
                                      : samples::WriteSampleStick(stickFolder, layout.stick);
    if (!written) problem_ += "could not write the sample stick; ";
    if (!AddSoundSets(layout.sets)) problem_ += "could not write the sound sets; ";
}

std::string Workspace::Program(std::string_view name) const { return programFolder + "/" + std::string(name); }

std::string Workspace::OnStick(std::string_view relative) const { return stickFolder + "/" + std::string(relative); }

void Workspace::QueueStickMarker() { ui.markers.push_back(OnStick(stick_files::kMarker)); }

bool Workspace::CopyBaseFromStick() const {
    std::error_code error;
    return std::filesystem::copy_file(OnStick("OPEN-R/MW/DATA/P/DYNAUDIO.ODA"), Program(program_files::kBaseArchive),
                                      error);
}

bool Workspace::ClaimFirstRecord() const {
    StickRecord record;
    record.folder = Program(program_files::kStockFolder);
    record.basePath = Program(program_files::kBaseArchive);
    record.identity = StickIdentity(stick);
    return WriteStickRecord(context, record);
}

bool Workspace::AddSoundSets(const samples::SoundSetRows& rows) const {
    return samples::WriteSampleSoundSets(programFolder, rows, soundEntries_);
}

FolderTest::FolderTest() { RequireMade(folder); }

std::string FolderTest::Write(const std::vector<unsigned char>& bytes, const std::string& name) const {
    const std::string path = folder / name;
    EXPECT_TRUE(samples::WriteBytes(path, bytes)) << path;
    return path;
}

WorkspaceTest::WorkspaceTest(const WorkspaceLayout& layout) : workspace(layout) { RequireMade(workspace); }

std::string ReadFile(const std::string& path) { return samples::ReadText(path); }

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

std::string Crlf(const std::string& text) { return samples::WithCrLf(text); }

}  // namespace tamsiro::test
