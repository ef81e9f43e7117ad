#include "tools/sample_workspace.h"

#include "catalogue/sound_catalogue.h"
#include "stick/stick_files.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tamsiro::samples {

namespace {

void AppendTag(std::vector<unsigned char>& out, const std::string& tag) {
    for (std::size_t i = 0; i < 4; ++i) out.push_back(i < tag.size() ? static_cast<unsigned char>(tag[i]) : 0);
}

void AppendLe32(std::vector<unsigned char>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

}  // namespace

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::vector<unsigned char> SyntheticTone(std::size_t size, unsigned seed) {
    std::vector<unsigned char> samples(size);
    const double step = 0.05 + 0.01 * (seed % 17);
    for (std::size_t i = 0; i < size; ++i) {
        samples[i] = static_cast<unsigned char>(128 + 100 * std::sin(step * static_cast<double>(i)));
    }
    return samples;
}

std::vector<unsigned char> VersionFileBytes(const VersionFields& f) {
    std::vector<unsigned char> out;
    AppendTag(out, f.leadingTag);
    AppendLe32(out, static_cast<std::uint32_t>(f.formatVersion));
    AppendTag(out, f.commentTag);
    const auto length = f.overrideCommentLength ? f.commentLength : static_cast<std::int32_t>(f.comment.size());
    AppendLe32(out, static_cast<std::uint32_t>(length));
    out.insert(out.end(), f.comment.begin(), f.comment.end());
    AppendTag(out, f.versionTag);
    AppendLe32(out, static_cast<std::uint32_t>(f.versionBlockLength));
    AppendLe32(out, f.versionWord);
    AppendLe32(out, static_cast<std::uint32_t>(f.generation));
    if (f.languageBlock) {
        AppendTag(out, f.languageTag);
        AppendLe32(out, static_cast<std::uint32_t>(f.languageBlockLength));
        AppendLe32(out, static_cast<std::uint32_t>(f.language));
    }
    return out;
}

std::vector<ArchiveItem> StickSoundEntries(int count, std::size_t bytesPerEntry) {
    std::vector<ArchiveItem> items;
    items.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "SND%04d.WAV", i);
        items.push_back(
            {"WAVE", name,
             SyntheticTone(bytesPerEntry + static_cast<std::size_t>(i % 7) * 16, static_cast<unsigned>(i))});
    }
    return items;
}

std::vector<ArchiveItem> MainSetEntries(int stickEntryCount, int stride, unsigned seed, std::size_t bytesPerEntry) {
    std::vector<ArchiveItem> items;
    for (int i = 0; i < stickEntryCount; i += stride) {
        char name[32];
        std::snprintf(name, sizeof name, "SND%04d.WAV", i);
        items.push_back({"WAVE", name,
                         SyntheticTone(bytesPerEntry + static_cast<std::size_t>(i % 5) * 8,
                                       seed + 101 + static_cast<unsigned>(i))});
    }
    return items;
}

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

bool WriteText(const std::string& path, const std::string& text) {
    return WriteBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

namespace {

// A stick path as a host path below `root`, made with its folders.
std::string PlaceOnStick(const std::string& root, std::string_view stickPath, bool upperCase) {
    std::string relative(stickPath);
    for (char& c : relative) {
        if (c == '\\') c = '/';
        if (upperCase && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    const std::filesystem::path path = std::filesystem::path(root) / relative;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    return path.string();
}

}  // namespace

bool WriteSampleStick(const std::string& root, const StickOptions& options) {
    namespace files = stick_files;
    const bool upper = options.upperCaseNames;
    auto place = [&](std::string_view stickPath) { return PlaceOnStick(root, stickPath, upper); };
    auto placeStem = [&](std::string_view stem, const char* extension) {
        return PlaceOnStick(root, std::string(stem) + extension, upper);
    };
    bool ok = true;
    // The stick's folders are there even when a test leaves their files out.
    (void)place(files::kSoundArchive);
    (void)place(files::kMaleVoice);
    if (options.withMarker) ok &= WriteText(place(files::kMarker), "");
    if (options.withVersion) ok &= WriteBytes(place(files::kVersion), VersionFileBytes(options.version));
    if (options.withSoundArchive)
        ok &= WriteArchive(place(files::kSoundArchive), StickSoundEntries(options.soundEntries));
    if (options.withVoiceList) ok &= WriteText(placeStem(files::kVoiceListStem, ".CFG"), WithCrLf(kSampleVoiceList));
    if (options.withModeFlags) ok &= WriteText(placeStem(files::kModeFlagsStem, ".CFG"), WithCrLf(kSampleModeFlags));
    if (options.withMaleVoice)
        ok &= WriteArchive(place(files::kMaleVoice), {{"WAVE", "MALE.WAV", SyntheticTone(2048, 3)}});
    return ok;
}

std::string RowFileLabel(int row) { return FileLabelOf(kRowLabels.at(static_cast<std::size_t>(row))); }

bool WriteSampleSoundSets(const std::string& folder, const SoundSetRows& rows, int stickEntryCount) {
    auto path = [&](const char* prefix, int row) { return folder + "/" + DataFileName(prefix, RowFileLabel(row)); };
    bool ok = true;
    for (int row : rows.main)
        ok &= WriteArchive(path(kMainCategory.prefix, row),
                           MainSetEntries(stickEntryCount, 3, static_cast<unsigned>(row)));
    for (int row : rows.voice)
        ok &= WriteArchive(
            path(kVoiceCategory.prefix, row),
            {{"WAVE", "VOICE.WAV",
              SyntheticTone(3000 + 100 * static_cast<std::size_t>(row), 40u + static_cast<unsigned>(row))}});
    for (int row : rows.games) {
        ok &= WriteArchive(
            path(kGamesCategory.prefix, row),
            {{"WAVE", "GAME1.WAV",
              SyntheticTone(1500 + 10 * static_cast<std::size_t>(row), 60u + static_cast<unsigned>(row))}});
        ok &= WriteArchive(
            path(kGamesCategory.secondPrefix, row),
            {{"WAVE", "GAME8.WAV",
              SyntheticTone(1700 + 10 * static_cast<std::size_t>(row), 80u + static_cast<unsigned>(row))}});
    }
    return ok;
}

}  // namespace tamsiro::samples
