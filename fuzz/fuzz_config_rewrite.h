#pragma once

// The stick folder shared by the two configuration-rewrite targets.
#include "app/file_system.h"
#include "fuzz/fuzz_support.h"

#include <filesystem>

namespace tamsiro::fuzz {

struct StickFolder {
    std::string data;  // OPEN-R/MW/DATA/P
    StickFolder() {
        const std::string stick = ScratchFolder() + "/stick";
        data = stick + "/OPEN-R/MW/DATA/P";
        std::filesystem::create_directories(data);
        if (!ChangeCurrentDirectory(stick)) std::abort();
    }
    // Lays the stem's .CFG with `bytes` and removes .TMP and .BAK.
    bool Lay(const std::string& stem, const unsigned char* bytes, std::size_t size) const {
        DeleteFileAt(data + "/" + stem + ".TMP");
        DeleteFileAt(data + "/" + stem + ".BAK");
        return WriteFileBytes(data + "/" + stem + ".CFG", bytes, size);
    }
    std::optional<Bytes> Read(const std::string& stem, const char* extension) const {
        return ReadFileBytes(data + "/" + stem + extension);
    }
};

inline Bytes AsBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

}  // namespace tamsiro::fuzz
