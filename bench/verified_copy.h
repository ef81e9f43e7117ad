#pragma once
// The verified copy both benchmarks measure against: what the program
// itself must do after a copy, read the copy back from the device, past
// the host's cache, and compare it with its source.

#include "host/device_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tamsiro::bench {

// Reads `copy` past the host's cache, through the same reader the program's
// checks use, and compares it with `source` (read through the cache: the
// program compares with what it meant to write, which it holds).
inline bool ReadBackMatches(const std::string& source, const std::string& copy) {
    constexpr std::size_t kChunk = 1 << 20;
    static AlignedBuffer device(kChunk);
    static std::vector<char> expected(kChunk);
    std::ifstream in(source, std::ios::binary);
    DeviceReader reader;
    if (!in || !reader.Open(copy)) return false;
    std::error_code error;
    std::uint64_t left = std::filesystem::file_size(source, error);
    if (error || left != std::filesystem::file_size(copy, error) || error) return false;
    while (left > 0) {
        const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunk));
        if (!in.read(expected.data(), static_cast<std::streamsize>(size)) || !reader.ReadExactly(device, size) ||
            std::memcmp(expected.data(), device.Data(), size) != 0) {
            return false;
        }
        left -= size;
    }
    return true;
}

}  // namespace tamsiro::bench
