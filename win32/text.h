#pragma once
// The program keeps its texts as UTF-16 (char16_t); Windows spells the same code
// units wchar_t. These casts are the one place where the two meet: code that hands
// a text to a W function, in this layer or in an adapter, converts it here.

#include <windows.h>

#include <string>
#include <string_view>

namespace nowplaying::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

inline const wchar_t* Wide(const std::u16string& text)
{
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline const wchar_t* Wide(const char16_t* text)
{
    return reinterpret_cast<const wchar_t*>(text);
}

inline wchar_t* Wide(char16_t* text)
{
    return reinterpret_cast<wchar_t*>(text);
}

inline std::u16string_view Utf16(const wchar_t* text, std::size_t length)
{
    return {reinterpret_cast<const char16_t*>(text), length};
}

} // namespace nowplaying::win32
