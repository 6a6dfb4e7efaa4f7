#pragma once

#include <exception>

namespace nowplaying::tray {

// Raised to the caller when a count no longer fits its signed type. It derives from
// std::exception alone and carries a fixed message: the standard library's
// overflow_error would link its string machinery into the program for this one case.
class OverflowError final : public std::exception {
public:
    explicit OverflowError(const char* message) noexcept : m_message(message) {}
    const char* what() const noexcept override { return m_message; }

private:
    const char* m_message;
};

} // namespace nowplaying::tray
