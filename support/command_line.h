#pragma once
// The few options of the stand-ins, the tray test host and the measuring programs:
// "--name value" pairs and bare "--flag"s.

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

namespace support {

class CommandLine {
public:
    CommandLine()
    {
        int count = 0;
        LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
        for (int i = 1; argv != nullptr && i < count; ++i) {
            m_args.emplace_back(argv[i]);
        }
        LocalFree(argv);
    }

    bool Has(const wchar_t* name) const
    {
        for (const auto& arg : m_args) {
            if (arg == name) {
                return true;
            }
        }
        return false;
    }

    std::wstring Value(const wchar_t* name, const std::wstring& fallback) const
    {
        for (std::size_t i = 0; i + 1 < m_args.size(); ++i) {
            if (m_args[i] == name) {
                return m_args[i + 1];
            }
        }
        return fallback;
    }

    int Int(const wchar_t* name, int fallback) const
    {
        const std::wstring text = Value(name, L"");
        return text.empty() ? fallback : static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
    }

private:
    std::vector<std::wstring> m_args;
};

} // namespace support
