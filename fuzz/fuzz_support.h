#pragma once

// Shared pieces of the fuzz targets: a front end that only records, a
// scratch folder per process, and plain reference models of the behaviour,
// against which each target checks the real code (so a finding
// is a crash, a hang, a leak, undefined behaviour or a wrong result).

#include "app/user_interface.h"
#include "host/little_endian.h"
#include "tests/support/reference_merge.h"
#include "tests/support/temp_folder.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tamsiro::fuzz {

using Bytes = std::vector<unsigned char>;
using test::ReferenceCount;
using test::ReferenceEntry;
using test::ReferenceFind;
using test::ReferenceMerge;
using test::ReferenceOpens;

class RecordingUi : public HeadlessUserInterface {
public:
    std::vector<std::string> messages;
    bool busy = false;

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool Ask(const std::string& text, DefaultButton) override {
        messages.push_back(text);
        return false;
    }
    void ShowBusyCursor(bool on) override { busy = on; }
};

// Stops the fuzzer with a finding when `ok` is false.
inline void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// A folder of this process's own, in memory when /dev/shm is there, removed
// at exit.
inline const std::string& ScratchFolder() {
    static const test::TempFolder folder([] {
        std::error_code error;
        return std::filesystem::path(std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : "/tmp");
    }());
    static const std::string path = folder.Str();
    if (path.empty()) std::abort();
    return path;
}

inline bool WriteFileBytes(const std::string& path, const unsigned char* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = (size == 0 || std::fwrite(data, 1, size, file) == size);
    return (std::fclose(file) == 0) && ok;
}

inline std::optional<Bytes> ReadFileBytes(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::nullopt;
    Bytes out;
    unsigned char chunk[65536];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        out.insert(out.end(), chunk, chunk + got);
    std::fclose(file);
    return out;
}

// ---------------------------------------------------------------------------
// Text mode and the two configuration rewrites, as reference models.

// Text-mode reading: CR LF becomes LF, a lone CR passes, Ctrl-Z ends the
// input; then pieces of at most 255 characters ending after the first LF.
inline std::vector<std::string> ReferencePieces(const Bytes& raw) {
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const unsigned char c = raw[i];
        if (c == 0x1A) break;
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;  // the LF follows
        text.push_back(static_cast<char>(c));
    }
    std::vector<std::string> pieces;
    std::string piece;
    for (const char c : text) {
        piece.push_back(c);
        if (c == '\n' || piece.size() == 255) {
            pieces.push_back(piece);
            piece.clear();
        }
    }
    if (!piece.empty()) pieces.push_back(piece);
    return pieces;
}

// Text-mode writing: every LF goes out as CR LF.
inline std::string ReferenceTextWrite(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

// The voice-list rewrite: the new voice list (before text-mode writing) and the
// number of voice sections.
inline std::string ReferenceVoiceList(const Bytes& raw, bool maleVoiceRemoved, int& voiceSections) {
    std::string out;
    bool skipping = false;
    voiceSections = 0;
    for (const std::string& piece : ReferencePieces(raw)) {
        if (piece[0] == '[') {
            out += piece;
            skipping = false;
            if (piece.compare(0, 7, "[VOICE]") == 0) {
                out += "1\n1 1 /MS/OPEN-R/MW/DATA/P/CUSVOICE.ODA\n#1 1 /MS/OPEN-R/MW/DATA/E/AD003000.ODA\n";
                if (maleVoiceRemoved) out += "# -- AD003000.ODA file deleted to free up space\n";
                ++voiceSections;
                skipping = true;
            }
        } else if (!skipping) {
            out += piece;
        }
    }
    return out;
}

// The mode-flags rewrite: the new mode file before text-mode writing.
inline std::string ReferenceModeFlags(const Bytes& raw) {
    std::string out;
    for (const std::string& piece : ReferencePieces(raw)) {
        if (piece == "1 BASIC\n")
            out += "0 BASIC\n";
        else if (piece == "0 VOICE\n")
            out += "1 VOICE\n";
        else if (piece == "1 USER\n")
            out += "0 USER\n";
        else
            out += piece;
    }
    return out;
}

}  // namespace tamsiro::fuzz
