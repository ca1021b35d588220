#include <windows.h>

#include <stdexcept>

#include "hardware_port.h"
#include "port_error.h"

namespace stepdial {
namespace {

#ifdef _WIN64
constexpr wchar_t kLibrary[] = L"inpoutx64.dll";
constexpr char kLibraryName[] = "inpoutx64.dll";
#else
constexpr wchar_t kLibrary[] = L"inpout32.dll";
constexpr char kLibraryName[] = "inpout32.dll";
#endif

// Out32(port, value): both 16-bit, __stdcall (which x64 ignores), returns nothing.
using Out32Function = void(__stdcall*)(short, short);

// Windows' own text for an error code, as FormatMessage gives it.
class WindowsErrorCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "windows"; }
    std::string message(int code) const override {
        char* text = nullptr;
        const DWORD length = ::FormatMessageA(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
        std::string result = length ? std::string(text, length) : "Windows error " + std::to_string(code);
        ::LocalFree(text);
        while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == '.'))
            result.pop_back();
        return result + " (error " + std::to_string(code) + ")";
    }
};

std::error_code WindowsError(DWORD code) {
    static const WindowsErrorCategory category;
    return {static_cast<int>(code), category};
}

// Binds the port library by name at the first write and keeps it for every later one.
class WindowsPort : public HardwarePort {
public:
    ~WindowsPort() override {
        if (library_) ::FreeLibrary(library_);
    }

    void Out32(std::uint16_t address, std::uint8_t value) override {
        if (!out32_) Bind(address);
        out32_(static_cast<short>(address), static_cast<short>(value));
    }

    std::string BoundTo() const override { return out32_ ? kLibraryName : ""; }

private:
    void Bind(std::uint16_t address) {
        // The program's folder and System32, never the current directory: a library
        // planted there must not be run with the rights needed for port I/O.
        library_ = ::LoadLibraryExW(kLibrary, nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
        if (!library_) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_BAD_EXE_FORMAT) {
                throw PortError(WindowsError(error), address, kLibraryName,
                                "the library is built for another bitness",
                                std::string("Put the ") + (sizeof(void*) == 8 ? "64" : "32") +
                                    "-bit " + kLibraryName + " beside the program.");
            }
            throw PortError(WindowsError(error), address, kLibraryName, "cannot load the port library",
                            std::string("Put ") + kLibraryName + " beside the program.");
        }
        out32_ = reinterpret_cast<Out32Function>(
            reinterpret_cast<void*>(::GetProcAddress(library_, "Out32")));
        if (!out32_) {
            const DWORD error = ::GetLastError();
            throw PortError(WindowsError(error), address, kLibraryName, "the library holds no Out32",
                            std::string("Replace it with the inpout ") + kLibraryName +
                                " that exports Out32.");
        }
    }

    HMODULE library_ = nullptr;
    Out32Function out32_ = nullptr;
};

}  // namespace

std::unique_ptr<HardwarePort> MakeHardwarePort() { return std::make_unique<WindowsPort>(); }

}  // namespace stepdial
