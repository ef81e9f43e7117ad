#pragma once

#include <utility>

namespace tamsiro {

// One owner for every operating-system handle host/ opens (a descriptor, a
// Windows HANDLE, a search handle): closed on every path out of its scope,
// moved but never copied. `Traits` says which value is no handle and how
// one is closed (descriptor_posix.h, handle_win32.h).
template <typename Value, typename Traits>
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(Value value) : value_(value) {}
    ~OwnedHandle() { (void)Close(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    OwnedHandle(OwnedHandle&& other) noexcept : value_(std::exchange(other.value_, Traits::kNone)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            (void)Close();
            value_ = std::exchange(other.value_, Traits::kNone);
        }
        return *this;
    }

    Value Get() const { return value_; }
    bool Valid() const { return Traits::Valid(value_); }
    // Gives the handle up to a new owner (a stdio stream, say).
    Value Release() { return std::exchange(value_, Traits::kNone); }
    // Closes now; false when the close reported an error.
    bool Close() {
        const Value value = std::exchange(value_, Traits::kNone);
        return !Traits::Valid(value) || Traits::Close(value);
    }

private:
    Value value_ = Traits::kNone;
};

}  // namespace tamsiro
