#include "app/app_context.h"

#include "app/file_system.h"

#include <utility>

namespace tamsiro {

AppContext::AppContext(UserInterface& ui, std::string programFolder)
    : ui_(ui), busy_(ui), programFolder_(std::move(programFolder)) {}

std::string AppContext::DataFilePath(std::string_view fileName) const {
    // At a root the folder is "C:" or empty, and the separator still goes in.
    return programFolder_ + kPathSeparator + MatchNameInFolder(programFolder_.empty() ? std::string(1, kPathSeparator) : programFolder_, fileName);
}

}  // namespace tamsiro
