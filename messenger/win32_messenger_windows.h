#pragma once
// The notifier's view of the real messenger windows.

#include "now_playing.h"

namespace nowplaying {

class Win32MessengerWindows final : public MessengerWindows {
public:
    // A receiver that does not answer within this time is given up on for this
    // message, so a hung messenger cannot freeze the poll cycle.
    static constexpr unsigned SEND_TIMEOUT_MS = 1000;

    NativeHandle FindNext(NativeHandle after) override;
    void Send(NativeHandle h, std::uint32_t dwData, const void* lpData, std::uint32_t cbData) override;
};

} // namespace nowplaying
