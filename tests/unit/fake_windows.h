#pragma once
// In-memory stand-ins for the platform's window list and messenger windows, and for
// the song label and the sender the poll cycle drives.

#include "app/poll_cycle.h"
#include "messenger/now_playing.h"
#include "player/window_scan.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace nowplaying::testing {

inline constexpr std::uint32_t kVisibleCaptioned = 0x10C00000; // WS_VISIBLE | WS_CAPTION

struct FakeWindow {
    NativeHandle handle;
    std::uint32_t style;
    std::u16string title;
};

// Windows in Z-order, topmost first.
class FakeWindowList final : public WindowList {
public:
    std::vector<FakeWindow> windows;
    int titleReads = 0;

    void Snapshot(std::vector<NativeHandle>& handles) override
    {
        handles.clear();
        for (const auto& w : windows) {
            handles.push_back(w.handle);
        }
    }
    std::uint32_t Style(NativeHandle h) override { return Find(h).style; }
    std::size_t ReadTitle(NativeHandle h, std::u16string& title) override
    {
        ++titleReads;
        title = Find(h).title;
        return title.size();
    }

    void Add(std::u16string title, std::uint32_t style = kVisibleCaptioned)
    {
        windows.push_back({static_cast<NativeHandle>(0x1000 + windows.size() * 4), style, std::move(title)});
    }

private:
    const FakeWindow& Find(NativeHandle h) const
    {
        static const FakeWindow none{0, 0, {}};
        const auto found = std::find_if(windows.begin(), windows.end(), [h](const auto& w) { return w.handle == h; });
        return found == windows.end() ? none : *found;
    }
};

struct SentMessage {
    NativeHandle to;
    std::uint32_t dwData;
    std::vector<std::uint8_t> bytes;
};

class FakeMessengers final : public MessengerWindows {
public:
    std::vector<NativeHandle> handles;
    std::vector<SentMessage> sent;
    int searches = 0;

    NativeHandle FindNext(NativeHandle after) override
    {
        ++searches;
        auto next = after == 0 ? handles.begin() : std::find(handles.begin(), handles.end(), after);
        if (after != 0 && next != handles.end()) {
            ++next;
        }
        return next == handles.end() ? 0 : *next;
    }
    void Send(NativeHandle h, std::uint32_t dwData, const void* lpData, std::uint32_t cbData) override
    {
        const auto* p = static_cast<const std::uint8_t*>(lpData);
        sent.push_back({h, dwData, std::vector<std::uint8_t>(p, p + cbData)});
    }
};

class RecordingLabel final : public SongLabel {
public:
    std::u16string caption;
    int writes = 0;
    std::u16string_view Caption() const override { return caption; }
    void SetCaption(std::u16string_view text) override
    {
        caption.assign(text);
        ++writes;
    }
};

class RecordingSender final : public SongSender {
public:
    std::vector<std::u16string> sent;
    void SendNowPlaying(std::u16string_view song) override { sent.emplace_back(song); }
};

} // namespace nowplaying::testing
