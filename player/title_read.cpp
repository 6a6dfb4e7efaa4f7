#include "title_read.h"

#include <algorithm>
#include <climits>

namespace nowplaying {

namespace {
std::size_t Delivered(int copied, std::u16string& title)
{
    if (copied <= 0) {
        title.clear();
        return 0;
    }
    return title.size();
}
} // namespace

std::size_t TitleReader::Read(TitleCalls& calls, NativeHandle h, std::u16string& title)
{
    const int copied = calls.CopyTitle(h, title, m_capacity);
    if (copied < m_capacity - 1) {
        return Delivered(copied, title);
    }
    for (int attempt = 0; attempt < READ_ATTEMPTS; ++attempt) {
        const int length = calls.TitleLength(h);
        if (length <= 0 || length > INT_MAX - 2) {
            break;
        }
        m_capacity = std::clamp(length + 2, m_capacity, MAX_CAPACITY);
        const int whole = calls.CopyTitle(h, title, length + 2);
        if (whole <= length) {
            return Delivered(whole, title);
        }
    }
    title.clear();
    return 0;
}

} // namespace nowplaying
