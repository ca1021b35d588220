// For tests only: runs ARGV[1] with the limited token Windows starts an administrator's
// programs with under UAC (Wine starts every program elevated), ending with its status.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    HANDLE token = nullptr;
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0, status = 0;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);  // where the failure's line goes
    PROCESS_INFORMATION process{};
    if (argc != 2 || !::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token) ||
        !::GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &size) ||
        !::CreateProcessAsUserW(linked.LinkedToken, argv[1], nullptr, nullptr, nullptr, TRUE, 0, nullptr,
                                nullptr, &startup, &process))
        return 3;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::GetExitCodeProcess(process.hProcess, &status);
    return static_cast<int>(status);
}
