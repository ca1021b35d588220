#include <windows.h>

#include <cstdio>
#include <string>

#include "motor/driver_facts_windows.h"
#include "motor/driver_not_open.h"
#include "motor/hardware_port.h"
#include "motor/lpt_choice.h"
#include "motor/lpt_ports_windows.h"
#include "motor/port_error.h"
#include "motor/port_library.h"
#include "motor/port_windows.h"
#include "motor/utf16.h"
#include "motor/windows_error.h"

namespace stepdial {
namespace {

// Out32(port, value): both 16-bit, __stdcall (which x64 ignores), returns nothing.
using Out32Function = void(__stdcall*)(short, short);
// IsInpOutDriverOpen(): whether the library's kernel driver is open. Out32 does nothing
// without it, so the dial would turn while the motor stands still.
using DriverOpenFunction = BOOL(__stdcall*)();

std::wstring WideModulePath(HMODULE module) {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

std::string ModulePath(HMODULE module) { return Utf8(WideModulePath(module)); }

// The folder the loader searches first, so the message can name where the library goes.
std::wstring WideProgramFolder() {
    const std::wstring program = WideModulePath(nullptr);
    return program.substr(0, program.find_last_of(L"\\/"));
}

std::string ProgramFolder() { return Utf8(WideProgramFolder()); }

std::wstring SystemFolder() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size())));
    return path;
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The copy beside the program, which the loader takes before System32's.
std::wstring BesideProgram() { return WideProgramFolder() + L"\\" + kLibrary; }

// The copy the loader took: the one beside the program when there is one.
std::wstring FoundCopy() {
    return FileExists(BesideProgram()) ? BesideProgram() : SystemFolder() + L"\\" + kLibrary;
}

// Windows says "not a valid Win32 application" (error 193) of a DLL of the other bitness
// and of a file that is no program at all (text, empty), which begins without "MZ".
bool IsWindowsProgram(const std::wstring& path) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return true;  // nothing better is known
    char magic[2] = {};
    DWORD read = 0;
    const bool program = ::ReadFile(file, magic, sizeof magic, &read, nullptr) && read == 2 &&
                         magic[0] == 'M' && magic[1] == 'Z';
    ::CloseHandle(file);
    return program;
}

HMODULE LoadByFullPath() {
    // The library's own imports would otherwise be looked for in the current directory too.
    ::SetDllDirectoryW(L"");
    for (const std::wstring& path : {BesideProgram(), SystemFolder() + L"\\" + kLibrary}) {
        if (FileExists(path)) return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    ::SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HMODULE LoadPortLibrary(LibrarySearch search) {
    if (search == LibrarySearch::FullPaths) return LoadByFullPath();
    return ::LoadLibraryExW(kLibrary, nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

// The full path of a copy of the library in the current directory, empty when there
// is none. Operators often start the program from the folder they unpacked the
// library into, and "not found" alone would send them looking for a missing file.
std::string InCurrentDirectory() {
    if (::GetFileAttributesW(kLibrary) == INVALID_FILE_ATTRIBUTES) return {};
    std::wstring path(32768, L'\0');
    const DWORD length = ::GetFullPathNameW(kLibrary, static_cast<DWORD>(path.size()), path.data(), nullptr);
    path.resize(length);
    return Utf8(path);
}

// Binds the port library by name at the first write and keeps it for every later one.
class WindowsPort : public Port {
public:
    explicit WindowsPort(LibrarySearch search) : search_(search) {}
    ~WindowsPort() override {
        if (library_) ::FreeLibrary(library_);
    }

    void Write(std::uint16_t address, std::uint8_t value) override {
        if (!out32_) Bind(address);
        out32_(static_cast<short>(port_.address), static_cast<short>(value));
    }

private:
    // The port Windows lists, found again at every binding: a card may have moved.
    void Bind(std::uint16_t preferred) {
        port_ = ChooseLpt(ListLptPorts(), preferred);
        if (!port_.unresolved.empty()) std::fprintf(stderr, "stepdial: %s\n", port_.unresolved.c_str());
        const std::uint16_t address = port_.address;
        const std::string device = DescribeLptDevice(port_, kLibraryName);
        // The program's folder and System32, never the current directory: a library
        // planted there must not be run with the rights needed for port I/O.
        library_ = LoadPortLibrary(search_);
        if (!library_) {
            const DWORD error = ::GetLastError();
            const std::string folder = ProgramFolder();
            if (error == ERROR_BAD_EXE_FORMAT && !IsWindowsProgram(FoundCopy())) {
                throw PortError(WindowsError(error), address, device,
                                "the library " + Utf8(FoundCopy()) + " is no Windows program at all",
                                remedy::windows::ReplaceTheLibrary(kBitness, kLibraryName));
            }
            if (error == ERROR_BAD_EXE_FORMAT) {
                throw PortError(WindowsError(error), address, device,
                                std::string("the library is built for another bitness than this ") +
                                    kBitness + " program",
                                remedy::windows::PutTheRightBitness(kBitness, kLibraryName, folder));
            }
            if (FileExists(BesideProgram())) {
                throw PortError(WindowsError(error), address, device,
                                "the library " + Utf8(BesideProgram()) +
                                    " is there but cannot be loaded: it is damaged or not the inpout "
                                    "library, or a DLL it needs is missing",
                                remedy::windows::ReplaceTheUnloadable(kBitness, kLibraryName));
            }
            if (const std::string planted = InCurrentDirectory(); !planted.empty()) {
                throw PortError(WindowsError(error), address, device,
                                "the library is only in the current directory (" + planted +
                                    "), which is never searched for it",
                                remedy::windows::MoveIntoTheProgramsFolder(kLibraryName, folder));
            }
            throw PortError(WindowsError(error), address, device,
                            "cannot load the port library from the program's folder or System32",
                            remedy::windows::PutTheLibrary(kLibraryName, folder));
        }
        out32_ = reinterpret_cast<Out32Function>(
            reinterpret_cast<void*>(::GetProcAddress(library_, "Out32")));
        if (!out32_) {
            const DWORD error = ::GetLastError();
            // Named in full: the loader may have taken it from System32 rather than
            // from beside the program, and that is the copy to replace.
            const std::string found = ModulePath(library_);
            ::FreeLibrary(library_);
            library_ = nullptr;
            throw PortError(WindowsError(error), address, device, "the library " + found + " holds no Out32",
                            remedy::windows::ReplaceWithOut32(kLibraryName));
        }
        CheckDriver(address, device);
    }

    // A library without the export is used as it is: nothing can tell whether it works.
    void CheckDriver(std::uint16_t address, const std::string& device) {
        const auto driverOpen = reinterpret_cast<DriverOpenFunction>(
            reinterpret_cast<void*>(::GetProcAddress(library_, "IsInpOutDriverOpen")));
        if (!driverOpen || driverOpen()) return;
        ::FreeLibrary(library_);
        library_ = nullptr;
        out32_ = nullptr;
        throw DriverNotOpenError(address, device, ReadDriverFacts());
    }

    LibrarySearch search_;
    LptChoice port_;
    HMODULE library_ = nullptr;
    Out32Function out32_ = nullptr;
};

}  // namespace

LibrarySearch SupportedLibrarySearch() {
    // AddDllDirectory comes with SetDefaultDllDirectories, in the same update.
    const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    return kernel32 && ::GetProcAddress(kernel32, "AddDllDirectory") ? LibrarySearch::DefaultDirectories
                                                                     : LibrarySearch::FullPaths;
}

std::unique_ptr<Port> MakeWindowsPort(LibrarySearch search) { return std::make_unique<WindowsPort>(search); }

std::unique_ptr<Port> MakeHardwarePort() { return MakeWindowsPort(SupportedLibrarySearch()); }

}  // namespace stepdial
