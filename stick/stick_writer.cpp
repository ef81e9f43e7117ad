#include "stick/stick_writer.h"

#include "app/app_context.h"
#include "app/progress.h"
#include "app/user_interface.h"
#include "host/binary_file.h"
#include "host/device_reader.h"
#include "host/file_system.h"
#include "host/interrupts.h"

#include <algorithm>
#include <cstring>

namespace tamsiro {

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;

// The two buffers every copy and check of this thread reuses: fresh memory
// from the host costs a page fault per page, which for a few small files
// costs more than their copying.
struct TransferBuffers {
    AlignedBuffer first{kChunk};
    AlignedBuffer second{kChunk};
};

TransferBuffers& Buffers() {
    thread_local TransferBuffers buffers;
    return buffers;
}

bool OpenForReading(BinaryFile& file, const std::string& path) {
    if (!file.Open(path, BinaryFile::Mode::Read)) return false;
    // Large reads go straight into our buffers.
    std::setvbuf(file.Handle(), nullptr, _IONBF, 0);
    return true;
}

std::size_t NextChunk(std::uint64_t done, std::uint64_t size) {
    return static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - done));
}

// Compares `size` bytes chunk by chunk, each side read into its own buffer
// by `readFirst(buffer, bytes)` and `readSecond(buffer, bytes)`.
template <typename ReadFirst, typename ReadSecond>
bool CompareChunks(std::uint64_t size, ProgressMeter* meter, ReadFirst readFirst, ReadSecond readSecond) {
    TransferBuffers& buffers = Buffers();
    for (std::uint64_t done = 0; done < size;) {
        const std::size_t chunk = NextChunk(done, size);
        if (!readFirst(buffers.first, chunk) || !readSecond(buffers.second, chunk)) return false;
        if (std::memcmp(buffers.first.Data(), buffers.second.Data(), chunk) != 0) return false;
        done += chunk;
        if (meter) meter->Advance(chunk);
    }
    return true;
}

auto StreamReader(BinaryFile& file) {
    return [&file](AlignedBuffer& into, std::size_t size) { return file.ReadExactly(into.Data(), size); };
}

// The target is created afresh: whatever was left at its name (a link
// too, dangling or not) goes first and is never written through.
bool CreateTarget(BinaryFile& out, const std::string& target, Failure* failure) {
    DiscardFile(target);
    if (!out.Open(target, BinaryFile::Mode::CreateNew)) return Failed(failure, out.LastFailure());
    std::setvbuf(out.Handle(), nullptr, _IONBF, 0);
    return true;
}

bool CopyAndFlush(UserInterface& ui, const std::string& source, const std::string& target, std::uint64_t size,
                  const CopySteps& steps, Failure* failure) {
    BinaryFile in;
    BinaryFile out;
    if (!OpenForReading(in, source)) return Failed(failure, in.LastFailure());
    if (!CreateTarget(out, target, failure)) return false;
    ProgressMeter meter(ui, steps.copying, size);
    unsigned char* buffer = Buffers().first.Data();
    for (std::uint64_t done = 0; done < size;) {
        const std::size_t chunk = NextChunk(done, size);
        // A stick file of 32 MB takes a while: an interrupt need not wait.
        if (steps.stopsOnInterrupt && InterruptRequested()) {
            return Failed(failure, {FileAction::Write, FailureReason::Interrupted, target});
        }
        if (!in.ReadExactly(buffer, chunk)) return Failed(failure, in.LastFailure());
        if (!out.WriteExactly(buffer, chunk)) return Failed(failure, out.LastFailure());
        out.StartWriteBack();
        done += chunk;
        meter.Advance(chunk);
    }
    // The flush may take longer than the copy on a slow stick.
    meter.StartPhase(steps.writing, 0);
    if (!out.Flush()) return Failed(failure, out.LastFailure());
    return out.Close() || Failed(failure, out.LastFailure());
}

// Reads a stick file from the device chunk by chunk, handing each to
// `take(bytes, size)`; Different as soon as `take` says so. Unreadable
// when the file does not read to its end.
template <typename Take>
ReadBackVerdict ReadOnDevice(const std::string& path, std::uint64_t size, ProgressMeter* meter, Failure* failure,
                             Take take) {
    DeviceReader reader;
    if (!reader.Open(path)) {
        (void)Failed(failure, reader.LastFailure());
        return ReadBackVerdict::Unreadable;
    }
    AlignedBuffer& device = Buffers().second;
    for (std::uint64_t done = 0; done < size;) {
        const std::size_t chunk = NextChunk(done, size);
        if (!reader.ReadExactly(device, chunk)) {
            (void)Failed(failure, reader.LastFailure());
            return ReadBackVerdict::Unreadable;
        }
        if (!take(device.Data(), chunk)) {
            (void)Failed(failure, {FileAction::Check, FailureReason::Damaged, path});
            return ReadBackVerdict::Different;
        }
        done += chunk;
        if (meter) meter->Advance(chunk);
    }
    return ReadBackVerdict::Same;
}

// The size of a stick file; nothing (and why) when it cannot be had.
std::optional<std::uint64_t> SizeOnStick(const std::string& stickFile, Failure* failure) {
    const auto size = FileSizeAt(stickFile);
    if (!size) (void)Failed(failure, {FileAction::Check, FailureReason::NotFound, stickFile});
    return size;
}

ReadBackVerdict Mismatch(const std::string& stickFile, Failure* failure) {
    (void)Failed(failure, {FileAction::Check, FailureReason::Damaged, stickFile});
    return ReadBackVerdict::Different;
}

ReadBackVerdict CompareWithFile(const std::string& stickFile, const std::string& expectedFile, ProgressMeter* meter,
                                Failure* failure) {
    BinaryFile expected;
    if (!OpenForReading(expected, expectedFile)) {
        (void)Failed(failure, expected.LastFailure());
        return ReadBackVerdict::Different;
    }
    const std::int64_t size = expected.Size();
    const auto onStick = SizeOnStick(stickFile, failure);
    if (!onStick) return ReadBackVerdict::Unreadable;
    if (size < 0 || *onStick != static_cast<std::uint64_t>(size)) return Mismatch(stickFile, failure);
    unsigned char* wanted = Buffers().first.Data();
    return ReadOnDevice(stickFile, *onStick, meter, failure, [&](const unsigned char* bytes, std::size_t chunk) {
        return expected.ReadExactly(wanted, chunk) && std::memcmp(bytes, wanted, chunk) == 0;
    });
}

ReadBackVerdict CompareWithBytes(const std::string& stickFile, std::string_view expected, ProgressMeter* meter,
                                 Failure* failure) {
    const auto onStick = SizeOnStick(stickFile, failure);
    if (!onStick) return ReadBackVerdict::Unreadable;
    if (*onStick != expected.size()) return Mismatch(stickFile, failure);
    std::size_t at = 0;
    return ReadOnDevice(stickFile, *onStick, meter, failure, [&](const unsigned char* bytes, std::size_t chunk) {
        const bool same = std::memcmp(bytes, expected.data() + at, chunk) == 0;
        at += chunk;
        return same;
    });
}

}  // namespace

bool SameContent(const std::string& a, const std::string& b) {
    const auto sizeA = FileSizeAt(a);
    const auto sizeB = FileSizeAt(b);
    if (!sizeA || !sizeB || *sizeA != *sizeB) return false;
    BinaryFile left;
    BinaryFile right;
    if (!OpenForReading(left, a) || !OpenForReading(right, b)) return false;
    return CompareChunks(*sizeA, nullptr, StreamReader(left), StreamReader(right));
}

ReadBackVerdict CompareOnDevice(const std::string& stickFile, const std::string& expectedFile, Failure* failure,
                                ProgressMeter* meter) {
    return CompareWithFile(stickFile, expectedFile, meter, failure);
}

ReadBackVerdict CompareBytesOnDevice(const std::string& stickFile, std::string_view expected, Failure* failure,
                                     ProgressMeter* meter) {
    return CompareWithBytes(stickFile, expected, meter, failure);
}

ReadBackVerdict ReadsWholeOnDevice(const std::string& stickFile, std::optional<std::uint64_t> size, Failure* failure) {
    const auto onStick = SizeOnStick(stickFile, failure);
    if (!onStick) return ReadBackVerdict::Unreadable;
    const ReadBackVerdict read =
        ReadOnDevice(stickFile, *onStick, nullptr, failure, [](const unsigned char*, std::size_t) { return true; });
    if (read == ReadBackVerdict::Same && size && *size != *onStick) return Mismatch(stickFile, failure);
    return read;
}

CopySteps ToStickSteps(const AppContext& context, ProgressStep copying, std::string_view fileName) {
    return {context.Caption(copying, fileName), context.Caption(ProgressStep::WritingToStick),
            context.Caption(ProgressStep::CheckingOnStick, fileName)};
}

CopySteps InFolderSteps(const AppContext& context, ProgressStep copying, ProgressStep checking,
                        std::string_view fileName) {
    return {context.Caption(copying, fileName), context.Caption(ProgressStep::WritingToFolder),
            context.Caption(checking, fileName)};
}

bool CopyVerified(UserInterface& ui, const std::string& source, const std::string& target, const CopySteps& steps,
                  Failure* failure) {
    const auto size = FileSizeAt(source);
    if (!size) return Failed(failure, {FileAction::Open, FailureReason::NotFound, source});
    if (IsFolder(target)) return Failed(failure, {FileAction::Create, FailureReason::LinkOrSpecial, target});
    if (CopyAndFlush(ui, source, target, *size, steps, failure)) {
        // The read-back must come from the device, not from what the host
        // still holds in its cache.
        ProgressMeter meter(ui, steps.checking, *size);
        if (CompareWithFile(target, source, &meter, failure) == ReadBackVerdict::Same) return true;
    }
    DiscardFile(target);
    return false;
}

bool WriteVerified(UserInterface& ui, std::string_view bytes, const std::string& target, const CopySteps& steps,
                   Failure* failure) {
    BinaryFile out;
    if (IsFolder(target)) return Failed(failure, {FileAction::Create, FailureReason::LinkOrSpecial, target});
    if (!CreateTarget(out, target, failure)) return false;
    bool written = false;
    {
        ProgressMeter meter(ui, steps.copying, bytes.size());
        written = out.WriteExactly(bytes.data(), bytes.size());
        meter.StartPhase(steps.writing, 0);
        written = written && out.Flush();
        written = out.Close() && written;
        if (!written) (void)Failed(failure, out.LastFailure());
    }
    if (written) {
        ProgressMeter meter(ui, steps.checking, bytes.size());
        written = CompareWithBytes(target, bytes, &meter, failure) == ReadBackVerdict::Same;
    }
    if (written) return true;
    DiscardFile(target);
    return false;
}

namespace {

std::string WithExtension(const std::string& target, std::string_view extension) {
    const std::size_t nameStart = FolderOf(target).size();
    const std::size_t dot = target.rfind('.');
    const std::string stem = (dot == std::string::npos || dot < nameStart) ? target : target.substr(0, dot);
    return stem + std::string(extension);
}

}  // namespace

std::string ExistingName(const std::string& path) { return FolderOf(path) + NameOnDisk(path); }

std::string BesidePath(const std::string& target) { return WithExtension(target, ".NEW"); }

std::string ReadyPath(const std::string& target) { return WithExtension(target, ".RDY"); }

std::string AsidePath(const std::string& target) { return WithExtension(target, ".PRV"); }

void FinishInterruptedWrites(const std::vector<std::string>& targets) {
    const bool unfinished = std::any_of(targets.begin(), targets.end(), [](const std::string& target) {
        return FileExists(ExistingName(BesidePath(target)));
    });
    for (const std::string& target : targets) {
        const std::string beside = ExistingName(BesidePath(target));
        const std::string ready = ExistingName(ReadyPath(target));
        const bool besideThere = FileExists(beside);
        const bool readyThere = FileExists(ready);
        if (besideThere) DiscardFile(beside);
        if (readyThere && (unfinished || !ReplaceFile(ready, target))) DiscardFile(ready);
        if (besideThere || readyThere) (void)FlushFolder(FolderOf(target));
    }
}

std::optional<std::string> FileThere(const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::string existing = ExistingName(path);
    if (KindAt(existing) != PathKind::File) return std::nullopt;
    return existing;
}

}  // namespace tamsiro
