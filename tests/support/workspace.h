#pragma once

#include "app/app_context.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_folder.h"
#include "tools/sample_workspace.h"

#include <string>

namespace tamsiro::testing {

// A program folder and a stick side by side in a temporary folder, with a
// scripted front end. Stick paths in the tests are written host-style
// ("OPEN-R/MW/DATA/P/MCUS.CFG") relative to the stick.
class Workspace {
public:
    explicit Workspace(const samples::StickOptions& stick = {});

    std::string Program(const std::string& name) const { return programFolder + "/" + name; }
    std::string Stick(const std::string& relative) const { return stickFolder + "/" + relative; }

    // Puts the stick where the start sequence leaves it: the current directory.
    void EnterStick() const;
    // Answers the next chooser with the stick's marker file.
    void QueueStickMarker();
    // A base archive as the first run would have made it.
    void CopyBaseFromStick() const;
    void AddSoundSets(const samples::SoundSetRows& rows) const;

    TempFolder root;
    std::string programFolder;
    std::string stickFolder;
    ScriptedUi ui;
    AppContext context;
};

std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// "a\nb\n" with CR LF line ends, as the files are stored.
std::string Crlf(const std::string& text);

}  // namespace tamsiro::testing
