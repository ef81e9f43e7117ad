#include "archive/file_reason.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace tamsiro {

std::string ReasonText(int error) {
    if (error == 0) return "the system gave no reason";
    return std::generic_category().message(error);
}

std::string WhyNotReadable(const std::string& path, int error) {
    if (error != 0) return ReasonText(error);
    std::error_code statusError;
    const auto status = std::filesystem::status(path, statusError);
    if (statusError) return statusError.message();
    switch (status.type()) {
    case std::filesystem::file_type::not_found: return ReasonText(ENOENT);
    case std::filesystem::file_type::directory: return ReasonText(EISDIR);
    case std::filesystem::file_type::regular: return ReasonText(0);
    default: return "not a regular file";
    }
}

}  // namespace tamsiro
