#include "registry.h"

#include "win32/unique_handle.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace support {

namespace {
struct RegistryKeyTraits {
    static void Close(HKEY key) { RegCloseKey(key); }
};
using UniqueKey = nowplaying::win32::UniqueHandle<HKEY, RegistryKeyTraits>;
} // namespace

ScopedUserValue::ScopedUserValue(const wchar_t* key, const wchar_t* name, DWORD value) : m_key(key), m_name(name)
{
    Set(REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

ScopedUserValue::ScopedUserValue(const wchar_t* key, const wchar_t* name, const wchar_t* value)
    : m_key(key), m_name(name)
{
    Set(REG_SZ, reinterpret_cast<const BYTE*>(value), static_cast<DWORD>((std::wcslen(value) + 1) * sizeof(wchar_t)));
}

void ScopedUserValue::Set(DWORD type, const BYTE* data, DWORD size)
{
    HKEY opened = nullptr;
    DWORD disposition = 0;
    const LONG created = RegCreateKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0,
                                         KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &opened, &disposition);
    const UniqueKey handle(created == ERROR_SUCCESS ? opened : nullptr);
    if (!handle) {
        ADD_FAILURE() << "cannot open the registry key";
        return;
    }
    m_createdKey = disposition == REG_CREATED_NEW_KEY;
    DWORD previousType = 0;
    DWORD previousSize = 0;
    if (RegQueryValueExW(handle.get(), m_name.c_str(), nullptr, &previousType, nullptr, &previousSize) ==
        ERROR_SUCCESS) {
        Previous previous{previousType, std::vector<BYTE>(previousSize)};
        if (RegQueryValueExW(handle.get(), m_name.c_str(), nullptr, &previousType, previous.data.data(),
                             &previousSize) == ERROR_SUCCESS) {
            previous.data.resize(previousSize);
            m_previous = std::move(previous);
        }
    }
    EXPECT_EQ(RegSetValueExW(handle.get(), m_name.c_str(), 0, type, data, size), ERROR_SUCCESS);
}

ScopedUserValue::~ScopedUserValue()
{
    if (m_createdKey) {
        RegDeleteKeyW(HKEY_CURRENT_USER, m_key.c_str());
        return;
    }
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) {
        return;
    }
    const UniqueKey handle(opened);
    if (m_previous) {
        RegSetValueExW(handle.get(), m_name.c_str(), 0, m_previous->type, m_previous->data.data(),
                       static_cast<DWORD>(m_previous->data.size()));
    } else {
        RegDeleteValueW(handle.get(), m_name.c_str());
    }
}

} // namespace support
