#include "family.h"

#include "log.h"
#include "process.h"

#include <windows.h>

#include <cstdlib>

namespace support {

const char* Name(Launch launch)
{
    return launch == Launch::Direct ? "direct" : launch == Launch::Family95 ? "family95" : "familyNt";
}

std::ostream& operator<<(std::ostream& out, Launch launch)
{
    return out << Name(launch);
}

Launch ProgramLaunch()
{
    wchar_t value[8] = {};
    const DWORD length = GetEnvironmentVariableW(L"NOWPLAYING_EMULATE_95", value, 8);
    return length == 1 && value[0] == L'1' ? Launch::Family95 : Launch::Direct;
}

std::wstring LaunchCommandLine(const std::wstring& program, Launch launch, const std::wstring& countsPath,
                               const std::wstring& failing)
{
    if (launch == Launch::Direct) {
        return program;
    }
    return L"\"" + BinDir() + L"\\family_launcher.exe\" --family " + (launch == Launch::Family95 ? L"95" : L"nt") +
           (countsPath.empty() ? L"" : L" --counts \"" + countsPath + L"\"") +
           (failing.empty() ? L"" : L" --fail " + failing) + L" " + program;
}

std::map<std::string, std::pair<unsigned long, std::string>> ReadCounts(const std::wstring& path)
{
    std::map<std::string, std::pair<unsigned long, std::string>> counts;
    for (const LogLine& words : ReadLog(path)) {
        char* end = nullptr;
        const unsigned long count = words.size() >= 3 ? std::strtoul(words[0].c_str(), &end, 10) : 0;
        if (end != nullptr && end != words[0].c_str()) {
            counts[words[1]] = {count, words[2]};
        }
    }
    return counts;
}

} // namespace support
