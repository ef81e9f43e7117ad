#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tamsiro {

// Small byte and text helpers every layer shares, written once.

inline constexpr char kLowerHexDigits[] = "0123456789abcdef";

// Bytes as lower-case hex, two digits a byte.
inline std::string HexText(std::string_view raw) {
    std::string hex;
    hex.reserve(raw.size() * 2);
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kLowerHexDigits[byte >> 4];
        hex += kLowerHexDigits[byte & 0xF];
    }
    return hex;
}

// 64-bit FNV-1a, fed piece by piece: a fingerprint of bytes that are not
// chosen by an adversary (the keys of an archive, a kept file's contents).
class Fnv1a {
public:
    void Add(std::string_view bytes) {
        for (const char c : bytes) hash_ = (hash_ ^ static_cast<unsigned char>(c)) * kPrime;
    }
    void Add(const unsigned char* bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) hash_ = (hash_ ^ bytes[i]) * kPrime;
    }
    void AddByte(unsigned char byte) { hash_ = (hash_ ^ byte) * kPrime; }
    std::uint64_t Value() const { return hash_; }

private:
    static constexpr std::uint64_t kPrime = 1099511628211ull;
    std::uint64_t hash_ = 14695981039346656037ull;
};

// ASCII letters in lower case; every other byte stays as it is, whatever
// the locale (std::tolower would fold Latin-1 letters under some).
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = AsciiLower(c);
    return lower;
}

// Byte order (unsigned) of the texts with ASCII letters folded: names that
// differ only in letter case are neither less than the other.
inline bool LessIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(AsciiLower(x)) < static_cast<unsigned char>(AsciiLower(y));
    });
}

// A 64-bit value as 16 lower-case hex digits.
inline std::string Hex64(std::uint64_t value) {
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = kLowerHexDigits[value & 0xF];
    return text;
}

}  // namespace tamsiro
