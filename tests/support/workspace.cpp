#include "tests/support/workspace.h"

#include <filesystem>

namespace tamsiro::testing {

namespace {
std::string MakeFolder(const TempFolder& root, const std::string& name) {
    std::error_code error;
    std::filesystem::create_directories(root.Path() / name, error);
    return (root.Path() / name).string();
}
}  // namespace

Workspace::Workspace(const samples::StickOptions& stick)
    : programFolder(MakeFolder(root, "Tamsiro")), stickFolder(MakeFolder(root, "stick")), context(ui, programFolder) {
    samples::WriteSampleStick(stickFolder, stick);
}

void Workspace::EnterStick() const {
    std::error_code error;
    std::filesystem::current_path(stickFolder, error);
}

void Workspace::QueueStickMarker() { ui.markers.push_back(Stick("memstick.ind")); }

void Workspace::CopyBaseFromStick() const {
    std::error_code error;
    std::filesystem::copy_file(Stick("OPEN-R/MW/DATA/P/DYNAUDIO.ODA"), Program("DATA_BASEMIND3.ODA"), error);
}

void Workspace::AddSoundSets(const samples::SoundSetRows& rows) const { samples::WriteSampleSoundSets(programFolder, rows); }

std::string ReadFile(const std::string& path) { return samples::ReadText(path); }

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

std::string Crlf(const std::string& text) { return samples::WithCrLf(text); }

}  // namespace tamsiro::testing
