#pragma once
// A registry value under HKEY_CURRENT_USER set for the life of an object.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace support {

// Sets the value; the destructor restores what was there before: the previous value,
// its absence, or no key at all when the constructor had to create the key.
class ScopedUserValue {
public:
    ScopedUserValue(const wchar_t* key, const wchar_t* name, DWORD value);
    ScopedUserValue(const wchar_t* key, const wchar_t* name, const wchar_t* value);
    ~ScopedUserValue();
    ScopedUserValue(const ScopedUserValue&) = delete;
    ScopedUserValue& operator=(const ScopedUserValue&) = delete;

private:
    struct Previous {
        DWORD type;
        std::vector<BYTE> data;
    };
    void Set(DWORD type, const BYTE* data, DWORD size);

    std::wstring m_key;
    std::wstring m_name;
    bool m_createdKey = false;
    std::optional<Previous> m_previous;
};

// Wine's Windows version for one program alone (by its file name), for the life of
// the object.
class EmulatedVersion {
public:
    EmulatedVersion(const wchar_t* exe, const wchar_t* version)
        : m_value((std::wstring(L"Software\\Wine\\AppDefaults\\") + exe).c_str(), L"Version", version)
    {
    }

private:
    ScopedUserValue m_value;
};

} // namespace support
