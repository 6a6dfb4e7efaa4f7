#pragma once
// The client side of family_launcher.exe: how a program is started under it, and the
// counts of W functions it writes.

#include <map>
#include <ostream>
#include <string>
#include <utility>

namespace support {

// How a program starts: by itself, or as the debuggee of family_launcher.exe, which
// makes the system DLLs behave as on the Windows 95 family, or as on NT while it
// counts the W functions the program calls.
enum class Launch { Direct, Family95, FamilyNt };
// "direct", "family95", "familyNt": also how GoogleTest prints and names a launch.
const char* Name(Launch launch);
std::ostream& operator<<(std::ostream& out, Launch launch);

// How the programs under test (the program and the tray test host) start in this
// run: through the 95-family emulation when NOWPLAYING_EMULATE_95 is 1.
Launch ProgramLaunch();

// The command line that starts program (its quoted path and arguments) the given
// way; countsPath: where the launcher lists the W functions the program called;
// failing: an imported function the launcher makes fail at every call.
std::wstring LaunchCommandLine(const std::wstring& program, Launch launch, const std::wstring& countsPath,
                               const std::wstring& failing = L"");

// The launcher's counts by function ("USER32.dll!CreateWindowExW" or
// "GetProcAddress(name)"): the number, then what the call does or what the lookup gave.
std::map<std::string, std::pair<unsigned long, std::string>> ReadCounts(const std::wstring& path);

} // namespace support
