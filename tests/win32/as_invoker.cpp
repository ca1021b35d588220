// For tests only: runs the program named by its first argument with this process's
// limited token, as Windows starts a program for an administrator under UAC without "Run
// as administrator" (Wine starts every program elevated), and ends with its exit status.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    HANDLE token = nullptr;
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token) ||
        !::GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &size))
        return 3;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessAsUserW(linked.LinkedToken, argv[1], nullptr, nullptr, nullptr, TRUE, 0, nullptr,
                                nullptr, &startup, &process))
        return 4;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    ::GetExitCodeProcess(process.hProcess, &status);
    return static_cast<int>(status);
}
