#include <windows.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "motor/port_error.h"
#include "motor/utf16.h"
#include "motor/windows_error.h"
#include "ports/port_choice.h"
#include "ports/usb_board.h"

namespace stepdial {
namespace {

// FTDI's D2XX library, which FTDI's driver puts in System32 (SysWOW64 for 32-bit programs).
constexpr wchar_t kLibrary[] = L"ftd2xx.dll";
constexpr char kLibraryName[] = "ftd2xx.dll";

using FtHandle = void*;
using FtStatus = ULONG;
constexpr FtStatus kFtOk = 0;
constexpr FtStatus kFtDeviceNotFound = 2;
constexpr FtStatus kFtIoError = 4;
constexpr DWORD kOpenBySerialNumber = 1;
constexpr DWORD kOpenByLocation = 4;
// FT_GetDeviceInfoDetail's flag of a board another process has open.
constexpr DWORD kFlagOpened = 1;
// Asynchronous bit-bang, only the four coil lines D0-D3 driven: the other four stay inputs,
// so nothing else wired to the board is driven.
constexpr UCHAR kBitBangMode = 1;
constexpr UCHAR kCoilLines = 0x0F;

// The chip types (FT_DEVICE) whose first channel has an asynchronous bit-bang mode.
constexpr DWORD kFt232R = 5, kFt2232H = 6, kFt4232H = 7, kFt232H = 8, kFtXSeries = 9;

// D2XX's names for its statuses, the library's own words for what went wrong.
constexpr std::array<const char*, 18> kStatusNames = {"FT_OK",
                                                      "FT_INVALID_HANDLE",
                                                      "FT_DEVICE_NOT_FOUND",
                                                      "FT_DEVICE_NOT_OPENED",
                                                      "FT_IO_ERROR",
                                                      "FT_INSUFFICIENT_RESOURCES",
                                                      "FT_INVALID_PARAMETER",
                                                      "FT_INVALID_BAUD_RATE",
                                                      "FT_DEVICE_NOT_OPENED_FOR_ERASE",
                                                      "FT_DEVICE_NOT_OPENED_FOR_WRITE",
                                                      "FT_FAILED_TO_WRITE_DEVICE",
                                                      "FT_EEPROM_READ_FAILED",
                                                      "FT_EEPROM_WRITE_FAILED",
                                                      "FT_EEPROM_ERASE_FAILED",
                                                      "FT_EEPROM_NOT_PRESENT",
                                                      "FT_EEPROM_NOT_PROGRAMMED",
                                                      "FT_INVALID_ARGS",
                                                      "FT_NOT_SUPPORTED"};

class FtStatusCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "ftd2xx"; }
    std::string message(int code) const override {
        const auto index = static_cast<std::size_t>(code);
        return std::string(index < kStatusNames.size() ? kStatusNames[index] : "FT_OTHER_ERROR") + " (" +
               kLibraryName + " status " + std::to_string(code) + ")";
    }
};

std::error_code FtError(FtStatus status) {
    static const FtStatusCategory category;
    return {static_cast<int>(status), category};
}

// Whether the chip's first channel has the bit-bang mode; the other channels of an
// FT2232H or FT4232H list as boards of their own, their serial and description ending
// in B, C or D.
bool CanBitBang(DWORD type, const std::string& serial, const std::string& description) {
    if (type == kFt232R || type == kFt232H || type == kFtXSeries) return true;
    if (type != kFt2232H && type != kFt4232H) return false;
    return serial.ends_with('A') || description.ends_with(" A");
}

std::string LocationText(DWORD location) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(location));
    return text;
}

// The library's entries, bound from the system folder alone: a copy beside a document or
// on PATH is never run.
class D2xx {
public:
    explicit D2xx(std::string_view device) {
        std::wstring path(MAX_PATH, L'\0');
        path.resize(::GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size())));
        path += L"\\";
        path += kLibrary;
        library_ = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!library_) {
            const DWORD error = ::GetLastError();
            throw PortError(WindowsError(error), device, "cannot load FTDI's library " + Utf8(path),
                            remedy::usb::windows::kInstallFtdiDriver);
        }
        Bind(createDeviceInfoList, "FT_CreateDeviceInfoList", device);
        Bind(getDeviceInfoDetail, "FT_GetDeviceInfoDetail", device);
        Bind(openEx, "FT_OpenEx", device);
        Bind(setBitMode, "FT_SetBitMode", device);
        Bind(write, "FT_Write", device);
        Bind(close, "FT_Close", device);
    }
    ~D2xx() { ::FreeLibrary(library_); }
    D2xx(const D2xx&) = delete;
    D2xx& operator=(const D2xx&) = delete;

    struct Listed {
        UsbBoard board;
        DWORD flags = 0;
        DWORD location = 0;
        bool canBitBang = false;
    };

    // Every board the driver has, with or without a bit-bang mode.
    std::vector<Listed> List(std::string_view device) const {
        DWORD count = 0;
        if (const FtStatus status = createDeviceInfoList(&count); status != kFtOk)
            throw PortError(FtError(status), device, "cannot list the USB boards", "");
        std::vector<Listed> listed;
        for (DWORD index = 0; index < count; ++index) {
            DWORD flags = 0, type = 0, id = 0, location = 0;
            char serial[16] = {}, description[64] = {};
            FtHandle handle = nullptr;
            if (getDeviceInfoDetail(index, &flags, &type, &id, &location, serial, description, &handle) !=
                kFtOk)
                continue;
            listed.push_back({{description, serial, LocationText(location)},
                              flags,
                              location,
                              CanBitBang(type, serial, description)});
        }
        return listed;
    }

    FtStatus(WINAPI* createDeviceInfoList)(DWORD*) = nullptr;
    FtStatus(WINAPI* getDeviceInfoDetail)(DWORD, DWORD*, DWORD*, DWORD*, DWORD*, void*, void*,
                                          FtHandle*) = nullptr;
    FtStatus(WINAPI* openEx)(void*, DWORD, FtHandle*) = nullptr;
    FtStatus(WINAPI* setBitMode)(FtHandle, UCHAR, UCHAR) = nullptr;
    FtStatus(WINAPI* write)(FtHandle, void*, DWORD, DWORD*) = nullptr;
    FtStatus(WINAPI* close)(FtHandle) = nullptr;

private:
    template <typename Entry>
    void Bind(Entry& entry, const char* name, std::string_view device) {
        entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(::GetProcAddress(library_, name)));
        if (entry) return;
        const DWORD error = ::GetLastError();
        ::FreeLibrary(library_);
        throw PortError(WindowsError(error), device, std::string("FTDI's library holds no ") + name,
                        remedy::usb::windows::kInstallFtdiDriver);
    }

    HMODULE library_ = nullptr;
};

bool Matches(const D2xx::Listed& listed, const UsbBoardChoice& choice) {
    return choice.serial.empty() ? listed.board.busPlace == choice.busPlace && listed.board.serial.empty()
                                 : listed.board.serial == choice.serial;
}

class UsbBoardPort : public Port {
public:
    explicit UsbBoardPort(const UsbBoardChoice& choice)
        : choice_(choice),
          device_(DescribeBoardChoice(choice)) {}
    ~UsbBoardPort() override {
        // Closing writes nothing: the lines keep the last pattern while the chip has power.
        if (handle_) d2xx_->close(handle_);
    }

    void Write(std::uint16_t, std::uint8_t value) override {
        if (!handle_) Open();
        DWORD written = 0;
        const FtStatus status = d2xx_->write(handle_, &value, 1, &written);
        if (status != kFtOk || written != 1)
            throw PortError(FtError(status != kFtOk ? status : kFtIoError), device_,
                            "cannot write to the board", remedy::usb::kPlugItInAgain);
    }

private:
    void Open() {
        auto d2xx = std::make_unique<D2xx>(device_);
        FtHandle handle = nullptr;
        // FT_OpenEx takes a location id in place of the pointer to a serial number.
        const FtStatus status =
            choice_.serial.empty()
                ? d2xx->openEx(reinterpret_cast<void*>(std::uintptr_t{Location()}), kOpenByLocation, &handle)
                : d2xx->openEx(const_cast<char*>(choice_.serial.c_str()), kOpenBySerialNumber, &handle);
        if (status != kFtOk) RefuseOpen(*d2xx, status);
        if (const FtStatus mode = d2xx->setBitMode(handle, kCoilLines, kBitBangMode); mode != kFtOk) {
            d2xx->close(handle);
            throw PortError(FtError(mode), device_, "cannot switch the board to bit-bang mode",
                            remedy::usb::kUseABitBangChip);
        }
        d2xx_ = std::move(d2xx);
        handle_ = handle;
    }

    // The saved place of a board without a serial number, as LocationText wrote it.
    DWORD Location() const {
        char* end = nullptr;
        const unsigned long location = std::strtoul(choice_.busPlace.c_str(), &end, 0);
        if (choice_.busPlace.empty() || *end != '\0' || location > MAXDWORD)
            throw PortError(FtError(kFtDeviceNotFound), device_, NotPluggedIn(),
                            remedy::usb::kPlugInTheBoard);
        return static_cast<DWORD>(location);
    }

    // The library says only that it could not open the board; the list tells whether the
    // board is there and another program has it.
    [[noreturn]] void RefuseOpen(const D2xx& d2xx, FtStatus status) {
        for (const auto& listed : d2xx.List(device_)) {
            if ((listed.flags & kFlagOpened) && (Matches(listed, choice_) || listed.board.serial.empty()))
                throw PortError(FtError(status), device_, "the board is open in another program",
                                remedy::usb::kCloseTheBoardsOtherProgram);
        }
        throw PortError(FtError(status), device_, NotPluggedIn(), remedy::usb::kPlugInTheBoard);
    }

    // Worded as the Linux backend words it.
    std::string NotPluggedIn() const {
        return choice_.serial.empty() ? "no board without a serial number is plugged in there"
                                      : "no board with this serial number is plugged in";
    }

    UsbBoardChoice choice_;
    std::string device_;
    std::unique_ptr<D2xx> d2xx_;
    FtHandle handle_ = nullptr;
};

}  // namespace

std::vector<UsbBoard> ListUsbBoards() {
    const D2xx d2xx("USB boards");
    std::vector<UsbBoard> boards;
    for (const auto& listed : d2xx.List("USB boards")) {
        if (listed.canBitBang && !(listed.flags & kFlagOpened)) boards.push_back(listed.board);
    }
    return boards;
}

std::unique_ptr<Port> MakeUsbBoardPort(const UsbBoardChoice& choice) {
    return std::make_unique<UsbBoardPort>(choice);
}

}  // namespace stepdial
