#pragma once

#include <string>
#include <string_view>

namespace tamsiro {

// A memory stick, known by the host folder of its root (the folder holding
// memstick.ind and OPEN-R). Stick paths are written as the stick's software
// knows them, relative to the root with backslashes, for example
// "OPEN-R\MW\DATA\P\DYNAUDIO.ODA" (see stick_files.h).
class Stick {
public:
    explicit Stick(std::string root) : root_(std::move(root)) {}

    const std::string& Root() const { return root_; }

    // The full host path of a stick path, or empty when it cannot be formed
    // (too long for the host). Each component that exists is found without
    // regard to case, so a stick copied to a case-sensitive folder keeps
    // working; a component that does not exist yet keeps its literal name.
    std::string Path(std::string_view stickPath) const;

    // The host folder that holds the file at a stick path, without a
    // separator at its end (unlike the host's FolderOf of a file path).
    std::string FolderPath(std::string_view stickPath) const;

private:
    std::string root_;
};

// The file name of a stick path: "AD013001.ODA" of "OPEN-R\\MW\\DATA\\P\\AD013001.ODA".
inline std::string_view StickFileName(std::string_view stickPath) {
    return stickPath.substr(stickPath.rfind('\\') + 1);
}

}  // namespace tamsiro
