// A tiny program the 95-family launcher is proved on: a few calls whose outcome
// differs between the families, each written as one line to the file named by the
// command line. Only ANSI, non-string and working W functions write the lines, so
// that they arrive under the emulation too. It ends with exit code 7, which the launcher must
// pass on.
//
//   window_w <created> <last error> <stack drift>     CreateWindowExW, imported
//   window_a <created> <last error> <stack drift>     CreateWindowExA, imported
//   looked_up_w <found> <result> <last error> <stack drift>   SetWindowTextW, looked up
//   working_w <imported lstrlenW> <looked-up lstrlenW>
//   missing <name> <found> <last error>               GetProcAddress of newer functions

#include "win32/unique_handle.h"

#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

// Calls function with count pointer-sized arguments and returns how far the stack
// pointer moved across the call: 0 when the callee cleaned up as its calling
// convention requires. arguments holds at least four values.
extern "C" std::intptr_t ProbeCall(const void* function, const std::uintptr_t* arguments, unsigned count,
                                   std::uintptr_t* result);

#ifdef _WIN64
asm(R"(
    .text
    .globl ProbeCall
ProbeCall:
    pushq %rbp
    movq %rsp, %rbp
    pushq %rbx
    pushq %rsi
    pushq %rdi
    pushq %r12
    pushq %r13
    movq %rcx, %rbx
    movq %rdx, %rsi
    movq %r8, %rdi
    movq %r9, %r12
    movq %rdi, %rax
    cmpq $4, %rax
    jae 1f
    movq $4, %rax
1:  shlq $3, %rax
    subq %rax, %rsp
    andq $-16, %rsp
    movq $4, %rcx
2:  cmpq %rdi, %rcx
    jae 3f
    movq (%rsi,%rcx,8), %rax
    movq %rax, (%rsp,%rcx,8)
    incq %rcx
    jmp 2b
3:  movq %rsp, %r13
    movq (%rsi), %rcx
    movq 8(%rsi), %rdx
    movq 16(%rsi), %r8
    movq 24(%rsi), %r9
    callq *%rbx
    movq %rax, (%r12)
    movq %rsp, %rax
    subq %r13, %rax
    leaq -40(%rbp), %rsp
    popq %r13
    popq %r12
    popq %rdi
    popq %rsi
    popq %rbx
    popq %rbp
    retq
)");
#else
asm(R"(
    .text
    .globl _ProbeCall
_ProbeCall:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    movl %esp, %edi
1:  testl %ecx, %ecx
    jz 2f
    pushl -4(%esi,%ecx,4)
    decl %ecx
    jmp 1b
2:  call *8(%ebp)
    movl 20(%ebp), %ecx
    movl %eax, (%ecx)
    movl %esp, %eax
    subl %edi, %eax
    movl %edi, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");
#endif

namespace {

nowplaying::win32::UniqueKernelHandle g_out;

void Line(const char* format, ...)
{
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(text, sizeof text - 1, format, arguments);
    va_end(arguments);
    if (length > 0) {
        text[length] = '\n';
        DWORD written = 0;
        WriteFile(g_out.get(), text, static_cast<DWORD>(length) + 1, &written, nullptr);
    }
}

template <typename T>
std::uintptr_t Arg(T* pointer)
{
    return reinterpret_cast<std::uintptr_t>(pointer);
}

struct Call {
    std::uintptr_t result = 0;
    DWORD error = 0;
    std::intptr_t drift = 0;
};

Call Through(const void* function, std::initializer_list<std::uintptr_t> arguments)
{
    std::uintptr_t values[12] = {};
    unsigned count = 0;
    for (std::uintptr_t value : arguments) {
        values[count++] = value;
    }
    Call call;
    SetLastError(0);
    call.drift = ProbeCall(function, values, count, &call.result);
    call.error = GetLastError();
    return call;
}

} // namespace

// A wide entry point, as the program has: the runtime's start-up then takes the same
// W functions the program's does.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    char path[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, commandLine[0] == L'"' ? commandLine + 1 : commandLine, -1, path, MAX_PATH, nullptr,
                        nullptr);
    if (char* quote = std::strchr(path, '"')) {
        *quote = '\0';
    }
    const HANDLE out = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        return 1;
    }
    g_out.reset(out);

    const Call wide = Through(reinterpret_cast<const void*>(&CreateWindowExW),
                              {0, Arg(L"STATIC"), Arg(L"probe"), WS_POPUP, 0, 0, 10, 10, 0, 0, Arg(instance), 0});
    const nowplaying::win32::UniqueWindow wideWindow(reinterpret_cast<HWND>(wide.result));
    Line("window_w %d %lu %ld", wide.result != 0, wide.error, static_cast<long>(wide.drift));
    const Call ansi = Through(reinterpret_cast<const void*>(&CreateWindowExA),
                              {0, Arg("STATIC"), Arg("probe"), WS_POPUP, 0, 0, 10, 10, 0, 0, Arg(instance), 0});
    const nowplaying::win32::UniqueWindow ansiWindow(reinterpret_cast<HWND>(ansi.result));
    Line("window_a %d %lu %ld", ansi.result != 0, ansi.error, static_cast<long>(ansi.drift));

    const FARPROC setText = GetProcAddress(GetModuleHandleA("user32.dll"), "SetWindowTextW");
    const Call lookedUp = setText != nullptr
                              ? Through(reinterpret_cast<const void*>(setText), {Arg(ansiWindow.get()), Arg(L"text")})
                              : Call{};
    Line("looked_up_w %d %d %lu %ld", setText != nullptr, static_cast<int>(lookedUp.result), lookedUp.error,
         static_cast<long>(lookedUp.drift));

    const auto length = reinterpret_cast<int(WINAPI*)(LPCWSTR)>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "lstrlenW")));
    Line("working_w %d %d", lstrlenW(L"four"), length != nullptr ? length(L"four") : -1);

    const char* const newer[][2] = {{"kernel32.dll", "SetDefaultDllDirectories"}, {"user32.dll", "GetDpiForWindow"}};
    for (const auto& [dll, name] : newer) {
        SetLastError(0);
        const FARPROC found = GetProcAddress(GetModuleHandleA(dll), name);
        Line("missing %s %d %lu", name, found != nullptr, GetLastError());
    }
    return 7;
}
