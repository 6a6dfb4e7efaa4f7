// Starts an unchanged program so that the system DLLs behave as on the Windows 95
// family, or, counting only, as on NT.
//
//   family_launcher.exe --family 95|nt [--counts FILE] [--fail FUNCTION] PROGRAM.exe [ARGUMENTS...]
//
// Wine's win98 and winme settings change only what GetVersion reports: the wide (W)
// functions keep working, so a program that calls one would pass there and fail on
// the real systems. On the 95 family almost every W function of the system DLLs is a
// stub that returns 0 and sets ERROR_CALL_NOT_IMPLEMENTED, and the functions added
// after Windows 98 are not exported at all.
//
// The program runs as this launcher's debuggee. At the loader's first breakpoint its
// static imports are bound and its entry point has not run; there the launcher points
// the import-address-table slots of the W functions, and of GetProcAddress, at stubs
// in the program's memory. A stub is one int3 at an address of its own: when the
// program calls it, the launcher counts the call and either makes it fail as the 95
// family would (result 0, last error 120, the return address and, on i686, the stdcall
// arguments popped) or resumes the thread at the real function, whose stack is then
// untouched. GetProcAddress finds none of the newer functions and gives the stub of a
// failing W function, so that a program cannot reach the real one by looking it up.
//
// --counts FILE lists, when the program ends, every such function the program called
// with its number of calls, and every name it looked up. --fail FUNCTION makes every
// call of that imported function fail in either family, as a stub does, so that a
// test can see how the program copes with a failure that a real system gives only
// under load, or under rights that Wine does not enforce; a function of kernel32.dll
// that the program does not import (a setup's plug-in looks it up) fails at its entry
// in the DLL. The program starts with the launcher's own show command (minimized, say). The launcher exits with the
// program's exit code; the program ends with the launcher (the debugger's kill-on-exit), and Ctrl-C or Ctrl-Break ends
// the program first, so that the counts are written.

#include "tests/pe/newer_than_windows98.h"
#include "win32/unique_handle.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using nowplaying::win32::UniqueKernelHandle;

// What the launcher returns when it could not run the program at all.
constexpr int kLauncherFailed = 255;
constexpr DWORD kCallNotImplemented = ERROR_CALL_NOT_IMPLEMENTED; // 120
constexpr DWORD kProcNotFound = ERROR_PROC_NOT_FOUND;             // 127

// The system DLLs whose W functions are stubs on the 95 family.
constexpr std::string_view kStubbingDlls[] = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "advapi32.dll"};

// The few W functions that Windows 95, 98 and ME do implement. Every other W function
// of the DLLs above that has an A twin is a stub there: the rule the launcher applies
// to each import and lookup, finding the twin in its own copy of the DLL.
constexpr std::string_view kWorkingOn95[] = {"GetTextExtentPoint32W", "TextOutW",
                                             "ExtTextOutW",           "MessageBoxW",
                                             "MessageBoxExW",         "lstrlenW",
                                             "MultiByteToWideChar",   "WideCharToMultiByte",
                                             "GetCommandLineW",       "FindResourceW",
                                             "FindResourceExW",       "EnumResourceTypesW",
                                             "EnumResourceNamesW",    "EnumResourceLanguagesW",
                                             "GetCharWidthW"};

#ifdef _WIN64
constexpr std::size_t kLastErrorInTeb = 0x68;
#else
constexpr std::size_t kLastErrorInTeb = 0x34;

// What each stdcall function pops on return, from the decorated names of the
// MinGW-w64 import libraries (_CreateWindowExW@48), generated at configure time.
struct ArgumentBytes {
    std::string_view name;
    unsigned bytes;
};
constexpr ArgumentBytes kArgumentBytes[] = {
#include "stdcall_argument_bytes.inc"
};
#endif

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return lower;
}

// One spelling for a DLL however the program or the module itself names it: the
// import tables' "USER32.dll".
std::string DisplayName(std::string_view dll)
{
    std::string name(dll);
    const std::size_t dot = name.rfind('.');
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (i < dot && c >= 'a' && c <= 'z') {
            name[i] = static_cast<char>(c - 'a' + 'A');
        } else if (i > dot && c >= 'A' && c <= 'Z') {
            name[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return name;
}

template <typename List>
bool Contains(const List& list, std::string_view name)
{
    return std::find(std::begin(list), std::end(list), name) != std::end(list);
}

// The bytes a stub must pop besides the return address; none on x86_64, where the
// caller cleans up. Empty when the import libraries do not know the function.
std::optional<unsigned> StackArgumentBytes([[maybe_unused]] std::string_view name)
{
#ifdef _WIN64
    return 0u;
#else
    for (const ArgumentBytes& entry : kArgumentBytes) {
        if (entry.name == name) {
            return entry.bytes;
        }
    }
    return std::nullopt;
#endif
}

// A W function of one of the stubbing DLLs that has an A twin there: looked up in
// the launcher's own copy of the DLL, which is the one the program gets.
bool IsWideWithAnsiTwin(const std::string& dll, const std::string& name)
{
    if (name.size() < 2 || name.back() != 'W' || !Contains(kStubbingDlls, Lower(dll))) {
        return false;
    }
    const HMODULE module = LoadLibraryA(dll.c_str());
    const std::string ansi = name.substr(0, name.size() - 1) + "A";
    return module != nullptr && GetProcAddress(module, ansi.c_str()) != nullptr;
}

enum class Family { Windows95, NT };

enum class StubKind {
    Failing,        // a stub on the 95 family
    Failed,         // named by --fail: fails in either family
    Working,        // a W function that works on the 95 family too
    GetProcAddress, // the lookup itself
    LookupReturn,   // where the real GetProcAddress returns to, on NT, to hand out a stub
};

struct Stub {
    std::string dll;
    std::string name;
    StubKind kind;
    std::uintptr_t real = 0; // where a call that passes through goes; 0 when unknown
    unsigned argumentBytes = 0;
    unsigned long long calls = 0;
};

struct Lookup {
    std::string outcome; // "missing", "stub" or "passed"
    unsigned long long count = 0;
};

struct Thread {
    HANDLE handle; // owned by the debugging system
    std::uintptr_t teb;
};

struct PendingLookup {
    std::uintptr_t returnAddress;
    std::string dll;
    std::string name;
};

struct Registers {
    std::uintptr_t ip;
    std::uintptr_t sp;
    std::uintptr_t result;
};

#ifdef _WIN64
Registers Get(const CONTEXT& c)
{
    return {c.Rip, c.Rsp, c.Rax};
}
void Set(CONTEXT& c, const Registers& r)
{
    c.Rip = r.ip;
    c.Rsp = r.sp;
    c.Rax = r.result;
}
#else
Registers Get(const CONTEXT& c)
{
    return {c.Eip, c.Esp, c.Eax};
}
void Set(CONTEXT& c, const Registers& r)
{
    c.Eip = static_cast<DWORD>(r.ip);
    c.Esp = static_cast<DWORD>(r.sp);
    c.Eax = static_cast<DWORD>(r.result);
}
#endif

class Launcher {
public:
    Launcher(Family family, std::wstring countsPath, std::string failing)
        : m_family(family), m_countsPath(std::move(countsPath)), m_failing(std::move(failing))
    {
    }

    int Run(std::wstring commandLine);

private:
    template <typename T>
    bool Read(std::uintptr_t at, T& value) const
    {
        SIZE_T done = 0;
        return ReadProcessMemory(m_process, reinterpret_cast<const void*>(at), &value, sizeof(T), &done) &&
               done == sizeof(T);
    }
    bool Write(std::uintptr_t at, const void* data, std::size_t size) const
    {
        SIZE_T done = 0;
        return WriteProcessMemory(m_process, reinterpret_cast<void*>(at), data, size, &done) && done == size;
    }
    std::string ReadString(std::uintptr_t at) const;
    std::string ExportName(std::uintptr_t module) const;

    bool PatchImports();
    std::optional<std::size_t> AddStub(Stub stub);
    std::uintptr_t StubAddress(std::size_t index) const { return m_stubBase + index; }
    void PrintApplied(const std::wstring& program) const;
    DWORD OnBreakpoint(DWORD threadId, std::uintptr_t address);
    void OnGetProcAddress(DWORD threadId, const Stub& self, Registers& registers, const CONTEXT& context);
    void Return(Registers& registers, std::uintptr_t value, unsigned argumentBytes) const;
    void SetLastErrorOf(DWORD threadId, DWORD error) const;
    void WriteCounts() const;

    Family m_family;
    std::wstring m_countsPath;
    std::string m_failing;      // the function --fail names; empty without it
    HANDLE m_process = nullptr; // the debug event's handle, owned by the debugging system
    std::uintptr_t m_imageBase = 0;
    bool m_patched = false;
    std::uintptr_t m_stubBase = 0;
    std::vector<Stub> m_stubs;
    std::map<std::pair<std::string, std::string>, std::size_t> m_stubOf; // (lower-case DLL, name)
    std::optional<std::size_t> m_lookupReturn;
    std::uintptr_t m_failingEntry = 0; // --fail's function in kernel32.dll, when not imported
    std::map<DWORD, Thread> m_threads;
    std::map<DWORD, PendingLookup> m_pendingLookups;
    std::map<std::string, Lookup> m_lookups;
    std::vector<std::string> m_unknownSize;
};

// Room for every stub; one byte each.
constexpr std::size_t kStubCapacity = 4096;

std::string Launcher::ReadString(std::uintptr_t at) const
{
    std::string text;
    char c = 0;
    while (text.size() < 512 && Read(at + text.size(), c) && c != '\0') {
        text.push_back(c);
    }
    return text;
}

// The name a module's export directory gives itself ("USER32.dll"); empty when the
// address is no module.
std::string Launcher::ExportName(std::uintptr_t module) const
{
    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS nt{};
    if (!Read(module, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || !Read(module + dos.e_lfanew, nt) ||
        nt.Signature != IMAGE_NT_SIGNATURE) {
        return {};
    }
    const IMAGE_DATA_DIRECTORY& exports = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    IMAGE_EXPORT_DIRECTORY directory{};
    if (exports.VirtualAddress == 0 || !Read(module + exports.VirtualAddress, directory)) {
        return {};
    }
    return ReadString(module + directory.Name);
}

std::optional<std::size_t> Launcher::AddStub(Stub stub)
{
    const auto key = std::make_pair(Lower(stub.dll), stub.name);
    if (const auto found = m_stubOf.find(key); found != m_stubOf.end()) {
        if (m_stubs[found->second].real == 0) {
            m_stubs[found->second].real = stub.real;
        }
        return found->second;
    }
    if (m_stubs.size() == kStubCapacity) {
        std::fprintf(stderr, "family_launcher: no room for a stub of %s!%s\n", stub.dll.c_str(), stub.name.c_str());
        return std::nullopt;
    }
    m_stubs.push_back(std::move(stub));
    m_stubOf.emplace(key, m_stubs.size() - 1);
    return m_stubs.size() - 1;
}

// Walks the program's import descriptors and redirects the slots of the W functions
// and of GetProcAddress to stubs.
bool Launcher::PatchImports()
{
    const void* region =
        VirtualAllocEx(m_process, nullptr, kStubCapacity, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    if (region == nullptr) {
        return false;
    }
    m_stubBase = reinterpret_cast<std::uintptr_t>(region);
    const std::vector<unsigned char> int3s(kStubCapacity, 0xCC);
    if (!Write(m_stubBase, int3s.data(), int3s.size())) {
        return false;
    }

    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS nt{};
    if (!Read(m_imageBase, dos) || !Read(m_imageBase + dos.e_lfanew, nt) ||
        nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) {
        std::fprintf(stderr, "family_launcher: the program is not a %d-bit image\n",
                     static_cast<int>(sizeof(void*) * 8));
        return false;
    }
    const IMAGE_DATA_DIRECTORY& imports = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (std::uintptr_t at = m_imageBase + imports.VirtualAddress; imports.VirtualAddress != 0;
         at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        IMAGE_IMPORT_DESCRIPTOR descriptor{};
        if (!Read(at, descriptor) || descriptor.Name == 0) {
            break;
        }
        const std::string dll = DisplayName(ReadString(m_imageBase + descriptor.Name));
        // Without the name table the bound slots do not say which function they hold.
        if (descriptor.OriginalFirstThunk == 0) {
            continue;
        }
        for (std::size_t i = 0;; ++i) {
            IMAGE_THUNK_DATA name{};
            const std::uintptr_t slot = m_imageBase + descriptor.FirstThunk + i * sizeof(IMAGE_THUNK_DATA);
            if (!Read(m_imageBase + descriptor.OriginalFirstThunk + i * sizeof(IMAGE_THUNK_DATA), name) ||
                name.u1.AddressOfData == 0) {
                break;
            }
            if (IMAGE_SNAP_BY_ORDINAL(name.u1.Ordinal)) {
                continue;
            }
            const std::string function =
                ReadString(m_imageBase + static_cast<std::uintptr_t>(name.u1.AddressOfData) + sizeof(WORD));
            Stub stub{dll, function, StubKind::Working};
            if (function == "GetProcAddress" && Lower(dll) == "kernel32.dll") {
                stub.kind = StubKind::GetProcAddress;
            } else if (function == m_failing) {
                const auto bytes = StackArgumentBytes(function);
                if (!bytes) {
                    std::fprintf(stderr, "family_launcher: cannot fail %s: its argument size is unknown\n",
                                 function.c_str());
                    return false;
                }
                stub.kind = StubKind::Failed;
                stub.argumentBytes = *bytes;
            } else if (!IsWideWithAnsiTwin(dll, function)) {
                continue;
            } else if (!Contains(kWorkingOn95, function)) {
                const auto bytes = StackArgumentBytes(function);
                stub.kind = bytes ? StubKind::Failing : StubKind::Working;
                stub.argumentBytes = bytes.value_or(0);
                if (!bytes) {
                    m_unknownSize.push_back(dll + "!" + function);
                }
            }
            if (!Read(slot, stub.real)) {
                return false;
            }
            const auto index = AddStub(std::move(stub));
            if (!index) {
                return false;
            }
            const std::uintptr_t address = StubAddress(*index);
            DWORD protection = 0;
            if (!VirtualProtectEx(m_process, reinterpret_cast<void*>(slot), sizeof(address), PAGE_READWRITE,
                                  &protection) ||
                !Write(slot, &address, sizeof(address))) {
                return false;
            }
            VirtualProtectEx(m_process, reinterpret_cast<void*>(slot), sizeof(address), protection, &protection);
        }
    }
    if (m_family == Family::NT) {
        m_lookupReturn = AddStub({"", "", StubKind::LookupReturn});
    }
    FlushInstructionCache(m_process, region, kStubCapacity);
    // System DLLs lie at the same address in every process.
    const auto entry =
        reinterpret_cast<std::uintptr_t>(GetProcAddress(GetModuleHandleA("kernel32.dll"), m_failing.c_str()));
    const auto bytes = StackArgumentBytes(m_failing);
    DWORD protection = 0;
    if (entry != 0 && bytes && !m_stubOf.contains({"kernel32.dll", m_failing}) &&
        VirtualProtectEx(m_process, reinterpret_cast<void*>(entry), 1, PAGE_EXECUTE_READWRITE, &protection) &&
        Write(entry, int3s.data(), 1) && AddStub({"KERNEL32.dll", m_failing, StubKind::Failed, 0, *bytes})) {
        m_failingEntry = entry;
        FlushInstructionCache(m_process, reinterpret_cast<void*>(entry), 1);
    }
    return true;
}

void Launcher::PrintApplied(const std::wstring& program) const
{
    const auto print = [&](const char* title, StubKind kind) {
        std::string names;
        int count = 0;
        for (const Stub& stub : m_stubs) {
            if (stub.kind == kind) {
                names += " " + stub.dll + "!" + stub.name;
                ++count;
            }
        }
        std::fprintf(stderr, "  %s (%d):%s\n", title, count, names.c_str());
    };
    std::fprintf(stderr, "family_launcher: %ls %s\n", program.c_str(),
                 m_family == Family::Windows95 ? "as on the Windows 95 family"
                                               : "as on NT, counting the W functions it calls");
    print(m_family == Family::Windows95 ? "fail with error 120" : "stubs on the 95 family, passed through",
          StubKind::Failing);
    print("work on the 95 family too", StubKind::Working);
    print("fail in either family (--fail)", StubKind::Failed);
    for (const std::string& name : m_unknownSize) {
        std::fprintf(stderr, "  left working, its argument size is unknown: %s\n", name.c_str());
    }
    if (m_family == Family::Windows95) {
        std::fprintf(stderr, "  GetProcAddress finds none of the %zu functions newer than Windows 98\n",
                     std::size(pe::kNewerThanWindows98));
    }
}

// Returns from the stub to its caller with value, as a stdcall function would.
void Launcher::Return(Registers& registers, std::uintptr_t value, unsigned argumentBytes) const
{
    std::uintptr_t returnAddress = 0;
    Read(registers.sp, returnAddress);
    registers.ip = returnAddress;
    registers.sp += sizeof(std::uintptr_t) + argumentBytes;
    registers.result = value;
}

void Launcher::SetLastErrorOf(DWORD threadId, DWORD error) const
{
    const auto thread = m_threads.find(threadId);
    if (thread != m_threads.end()) {
        Write(thread->second.teb + kLastErrorInTeb, &error, sizeof(error));
    }
}

void Launcher::OnGetProcAddress(DWORD threadId, const Stub& self, Registers& registers, const CONTEXT& context)
{
    std::uintptr_t module = 0;
    std::uintptr_t namePointer = 0;
#ifdef _WIN64
    module = context.Rcx;
    namePointer = context.Rdx;
#else
    static_cast<void>(context);
    Read(registers.sp + 4, module);
    Read(registers.sp + 8, namePointer);
#endif
    registers.ip = self.real;
    // A lookup by ordinal.
    if (namePointer <= 0xFFFF) {
        return;
    }
    const std::string name = ReadString(namePointer);
    const std::string dll = DisplayName(ExportName(module));
    Lookup& lookup = m_lookups[name];
    ++lookup.count;
    lookup.outcome = "passed";
    const unsigned gpaBytes = sizeof(void*) == 4 ? 8 : 0;
    if (m_family == Family::Windows95 && Contains(pe::kNewerThanWindows98, name)) {
        lookup.outcome = "missing";
        Return(registers, 0, gpaBytes);
        SetLastErrorOf(threadId, kProcNotFound);
        return;
    }
    if (dll.empty() || Contains(kWorkingOn95, name) || !IsWideWithAnsiTwin(dll, name)) {
        return;
    }
    const auto bytes = StackArgumentBytes(name);
    if (!bytes) {
        return;
    }
    if (m_family == Family::Windows95) {
        if (const auto index = AddStub({dll, name, StubKind::Failing, 0, *bytes})) {
            lookup.outcome = "stub";
            Return(registers, StubAddress(*index), gpaBytes);
        }
        return;
    }
    if (!m_lookupReturn) {
        return;
    }
    // On NT the real function is wanted behind the stub: the real lookup runs and
    // returns to the launcher's return stub, which swaps its result for the stub.
    std::uintptr_t returnAddress = 0;
    const std::uintptr_t hook = StubAddress(*m_lookupReturn);
    if (Read(registers.sp, returnAddress) && Write(registers.sp, &hook, sizeof(hook))) {
        m_pendingLookups[threadId] = {returnAddress, dll, name};
    }
}

DWORD Launcher::OnBreakpoint(DWORD threadId, std::uintptr_t address)
{
    if (address == m_failingEntry) {
        address = StubAddress(m_stubOf.at({"kernel32.dll", m_failing}));
    } else if (address < m_stubBase || address >= m_stubBase + m_stubs.size()) {
        return DBG_EXCEPTION_NOT_HANDLED;
    }
    const auto thread = m_threads.find(threadId);
    if (thread == m_threads.end()) {
        return DBG_EXCEPTION_NOT_HANDLED;
    }
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
    if (!GetThreadContext(thread->second.handle, &context)) {
        return DBG_EXCEPTION_NOT_HANDLED;
    }
    Registers registers = Get(context);
    const std::size_t index = address - m_stubBase;
    Stub& stub = m_stubs[index];
    switch (stub.kind) {
    case StubKind::Failing:
    case StubKind::Failed:
        ++stub.calls;
        if (m_family == Family::Windows95 || stub.kind == StubKind::Failed) {
            Return(registers, 0, stub.argumentBytes);
            SetLastErrorOf(threadId, kCallNotImplemented);
        } else {
            registers.ip = stub.real;
        }
        break;
    case StubKind::Working:
        ++stub.calls;
        registers.ip = stub.real;
        break;
    case StubKind::GetProcAddress:
        ++stub.calls;
        OnGetProcAddress(threadId, stub, registers, context);
        break;
    case StubKind::LookupReturn: {
        const auto pending = m_pendingLookups.find(threadId);
        if (pending == m_pendingLookups.end()) {
            return DBG_EXCEPTION_NOT_HANDLED;
        }
        const PendingLookup& lookup = pending->second;
        registers.ip = lookup.returnAddress;
        if (registers.result != 0) {
            const unsigned bytes = StackArgumentBytes(lookup.name).value_or(0);
            if (const auto stubIndex = AddStub({lookup.dll, lookup.name, StubKind::Failing, registers.result, bytes})) {
                registers.result = StubAddress(*stubIndex);
                m_lookups[lookup.name].outcome = "stub";
            }
        }
        m_pendingLookups.erase(pending);
        break;
    }
    }
    Set(context, registers);
    return SetThreadContext(thread->second.handle, &context) ? DBG_CONTINUE : DBG_EXCEPTION_NOT_HANDLED;
}

void Launcher::WriteCounts() const
{
    if (m_countsPath.empty()) {
        return;
    }
    FILE* file = _wfopen(m_countsPath.c_str(), L"w");
    if (file == nullptr) {
        std::fprintf(stderr, "family_launcher: cannot write %ls\n", m_countsPath.c_str());
        return;
    }
    std::vector<const Stub*> called;
    for (const Stub& stub : m_stubs) {
        if (stub.calls > 0 && stub.kind != StubKind::GetProcAddress && stub.kind != StubKind::LookupReturn) {
            called.push_back(&stub);
        }
    }
    std::stable_sort(called.begin(), called.end(), [](const Stub* a, const Stub* b) { return a->calls > b->calls; });
    std::fprintf(file, "# calls, function, what it does on the 95 family; then lookups, name, what they gave\n");
    for (const Stub* stub : called) {
        std::fprintf(file, "%llu %s!%s %s\n", stub->calls, stub->dll.c_str(), stub->name.c_str(),
                     stub->kind == StubKind::Working ? "works" : "fails");
    }
    for (const auto& [name, lookup] : m_lookups) {
        std::fprintf(file, "%llu GetProcAddress(%s) %s\n", lookup.count, name.c_str(), lookup.outcome.c_str());
    }
    std::fclose(file);
}

std::atomic<HANDLE> g_debuggee{nullptr};

BOOL WINAPI OnConsoleControl(DWORD)
{
    if (const HANDLE debuggee = g_debuggee.load()) {
        TerminateProcess(debuggee, STATUS_CONTROL_C_EXIT);
    }
    return TRUE;
}

int Launcher::Run(std::wstring commandLine)
{
    STARTUPINFOW own{};
    own.cb = sizeof(own);
    GetStartupInfoW(&own);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = own.dwFlags & STARTF_USESHOWWINDOW;
    startup.wShowWindow = own.wShowWindow;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr,
                        &startup, &info)) {
        std::fprintf(stderr, "family_launcher: cannot start %ls (error %lu)\n", commandLine.c_str(), GetLastError());
        return kLauncherFailed;
    }
    const UniqueKernelHandle process(info.hProcess);
    const UniqueKernelHandle mainThread(info.hThread);
    g_debuggee = process.get();
    DebugSetProcessKillOnExit(TRUE);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);

    for (;;) {
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, INFINITE)) {
            std::fprintf(stderr, "family_launcher: lost the program (error %lu)\n", GetLastError());
            return kLauncherFailed;
        }
        DWORD continueStatus = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT: {
            const CREATE_PROCESS_DEBUG_INFO& created = event.u.CreateProcessInfo;
            const UniqueKernelHandle image(created.hFile);
            m_process = created.hProcess;
            m_imageBase = reinterpret_cast<std::uintptr_t>(created.lpBaseOfImage);
            m_threads[event.dwThreadId] = {created.hThread,
                                           reinterpret_cast<std::uintptr_t>(created.lpThreadLocalBase)};
            break;
        }
        case CREATE_THREAD_DEBUG_EVENT:
            m_threads[event.dwThreadId] = {event.u.CreateThread.hThread,
                                           reinterpret_cast<std::uintptr_t>(event.u.CreateThread.lpThreadLocalBase)};
            break;
        case EXIT_THREAD_DEBUG_EVENT: m_threads.erase(event.dwThreadId); break;
        case LOAD_DLL_DEBUG_EVENT: {
            const UniqueKernelHandle file(event.u.LoadDll.hFile);
            break;
        }
        case EXCEPTION_DEBUG_EVENT: {
            const EXCEPTION_RECORD& record = event.u.Exception.ExceptionRecord;
            const auto address = reinterpret_cast<std::uintptr_t>(record.ExceptionAddress);
            if (record.ExceptionCode == EXCEPTION_BREAKPOINT && !m_patched) {
                // The loader's breakpoint: the imports are bound, the entry point has not run.
                m_patched = true;
                if (!PatchImports()) {
                    std::fprintf(stderr, "family_launcher: cannot redirect the program's imports\n");
                    TerminateProcess(process.get(), kLauncherFailed);
                } else {
                    PrintApplied(commandLine);
                }
            } else if (record.ExceptionCode == EXCEPTION_BREAKPOINT) {
                continueStatus = OnBreakpoint(event.dwThreadId, address);
            } else {
                continueStatus = DBG_EXCEPTION_NOT_HANDLED;
                if (!event.u.Exception.dwFirstChance) {
                    std::fprintf(stderr, "family_launcher: the program ends on exception %08lx at %p\n",
                                 record.ExceptionCode, record.ExceptionAddress);
                }
            }
            break;
        }
        case EXIT_PROCESS_DEBUG_EVENT: {
            const DWORD exitCode = event.u.ExitProcess.dwExitCode;
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
            g_debuggee = nullptr;
            WriteCounts();
            return static_cast<int>(exitCode);
        }
        default: break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
    }
}

// The launcher's command line, token by token, each with the offset where it ends,
// so that the program's own arguments are passed on as they were written.
std::vector<std::pair<std::wstring, std::size_t>> Tokens(std::wstring_view line)
{
    std::vector<std::pair<std::wstring, std::size_t>> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) {
            ++i;
        }
        if (i == line.size()) {
            break;
        }
        std::wstring token;
        bool quoted = false;
        for (; i < line.size() && (quoted || (line[i] != L' ' && line[i] != L'\t')); ++i) {
            if (line[i] == L'"') {
                quoted = !quoted;
            } else {
                token.push_back(line[i]);
            }
        }
        tokens.emplace_back(std::move(token), i);
    }
    return tokens;
}

int Usage()
{
    std::fprintf(stderr, "usage: family_launcher.exe --family 95|nt [--counts FILE] [--fail FUNCTION] PROGRAM.exe "
                         "[ARGUMENTS...]\n");
    return kLauncherFailed;
}

} // namespace

int main()
{
    const std::wstring_view line = GetCommandLineW();
    const auto tokens = Tokens(line);
    std::optional<Family> family;
    std::wstring counts;
    std::string failing;
    std::size_t i = 1;
    for (; i + 1 < tokens.size() && tokens[i].first.rfind(L"--", 0) == 0; i += 2) {
        const std::wstring& value = tokens[i + 1].first;
        if (tokens[i].first == L"--family" && (value == L"95" || value == L"nt")) {
            family = value == L"95" ? Family::Windows95 : Family::NT;
        } else if (tokens[i].first == L"--counts") {
            counts = value;
        } else if (tokens[i].first == L"--fail") {
            failing.assign(value.begin(), value.end());
        } else {
            return Usage();
        }
    }
    if (!family || i >= tokens.size()) {
        return Usage();
    }
    std::wstring commandLine = L"\"" + tokens[i].first + L"\"" + std::wstring(line.substr(tokens[i].second));
    Launcher launcher(*family, counts, std::move(failing));
    return launcher.Run(std::move(commandLine));
}
