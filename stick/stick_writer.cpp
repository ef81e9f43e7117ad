#include "stick/stick_writer.h"

#include "app/app_context.h"
#include "app/binary_file.h"
#include "app/file_system.h"
#include "app/progress.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace tamsiro {

namespace {

constexpr std::size_t kChunk = 1 << 20;

std::string FileNameOf(const std::string& path) { return path.substr(FolderOf(path).size()); }

// Reads both files chunk by chunk and compares them.
bool CompareFiles(BinaryFile& a, BinaryFile& b, std::uint64_t size, ProgressMeter* meter) {
    const auto left = std::make_unique<char[]>(kChunk);
    const auto right = std::make_unique<char[]>(kChunk);
    for (std::uint64_t done = 0; done < size;) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - done));
        if (!a.ReadExactly(left.get(), chunk) || !b.ReadExactly(right.get(), chunk)) return false;
        if (std::memcmp(left.get(), right.get(), chunk) != 0) return false;
        done += chunk;
        if (meter) meter->Advance(chunk);
    }
    return true;
}

bool OpenForReading(BinaryFile& file, const std::string& path) {
    if (!file.Open(path, BinaryFile::Mode::Read)) return false;
    // Large reads go straight into our buffers.
    std::setvbuf(file.Handle(), nullptr, _IONBF, 0);
    return true;
}

bool CopyAndFlush(UserInterface& ui, const std::string& source, const std::string& target, std::uint64_t size,
                  std::string_view step) {
    BinaryFile in;
    BinaryFile out;
    if (!OpenForReading(in, source) || !out.Open(target, BinaryFile::Mode::Write)) return false;
    std::setvbuf(out.Handle(), nullptr, _IONBF, 0);
    ProgressMeter meter(ui, std::string(step), size);
    const auto buffer = std::make_unique<char[]>(kChunk);
    for (std::uint64_t done = 0; done < size;) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - done));
        if (!in.ReadExactly(buffer.get(), chunk) || !out.WriteExactly(buffer.get(), chunk)) return false;
        done += chunk;
        meter.Advance(chunk);
    }
    const bool flushed = out.Flush();
    return out.Close() && flushed;
}

bool Verify(UserInterface& ui, const std::string& source, const std::string& target, std::uint64_t size) {
    // The read-back must come from the device, not from what the host
    // still holds in its cache.
    DropCachedData(target);
    BinaryFile a;
    BinaryFile b;
    if (!OpenForReading(a, source) || !OpenForReading(b, target)) return false;
    if (a.Size() != static_cast<std::int64_t>(size) || b.Size() != static_cast<std::int64_t>(size)) return false;
    ProgressMeter meter(ui, "Checking " + FileNameOf(target) + " on memory stick", size);
    return CompareFiles(a, b, size, &meter);
}

}  // namespace

bool SameContent(const std::string& a, const std::string& b) {
    const auto sizeA = FileSizeAt(a);
    const auto sizeB = FileSizeAt(b);
    if (!sizeA || !sizeB || *sizeA != *sizeB) return false;
    BinaryFile left;
    BinaryFile right;
    if (!OpenForReading(left, a) || !OpenForReading(right, b)) return false;
    return CompareFiles(left, right, *sizeA, nullptr);
}

bool CopyVerified(UserInterface& ui, const std::string& source, const std::string& target, std::string_view step) {
    const auto size = FileSizeAt(source);
    if (!size || IsFolder(target)) return false;
    if (CopyAndFlush(ui, source, target, *size, step) && Verify(ui, source, target, *size)) return true;
    DiscardFile(target);
    return false;
}

std::string CopyingStep(std::string_view stickPath) {
    return "Copying " + std::string(stickPath.substr(stickPath.rfind('\\') + 1)) + " to memory stick";
}

std::string BesidePath(const std::string& target) {
    const std::size_t nameStart = FolderOf(target).size();
    const std::size_t dot = target.rfind('.');
    const std::string stem = (dot == std::string::npos || dot < nameStart) ? target : target.substr(0, dot);
    return stem + ".NEW";
}

bool WriteBesideThenReplace(AppContext& context, const std::vector<StickFile>& files) {
    for (const StickFile& file : files) {
        if (CopyVerified(context.Ui(), file.source, BesidePath(file.target), file.step)) continue;
        for (const StickFile& written : files) DiscardFile(BesidePath(written.target));
        context.ShowMessage(file.failure);
        return false;
    }
    for (const StickFile& file : files) {
        if (!ReplaceFile(BesidePath(file.target), file.target)) {
            DiscardFile(BesidePath(file.target));
            context.ShowMessage(file.failure);
            return false;
        }
    }
    for (const StickFile& file : files) (void)FlushFolder(FolderOf(file.target));
    return true;
}

bool DeleteThenCopy(AppContext& context, const std::vector<StickFile>& files) {
    for (const StickFile& file : files) {
        (void)DeleteFileAt(file.target);
        const bool copied = CopyVerified(context.Ui(), file.source, file.target, file.step);
        (void)FlushFolder(FolderOf(file.target));
        if (!copied) {
            context.ShowMessage(file.failure);
            return false;
        }
    }
    return true;
}

}  // namespace tamsiro
