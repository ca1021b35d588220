#include <fcntl.h>
#include <ftdi.h>
#include <libusb.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "motor/open_advice.h"
#include "motor/parport_lookup.h"
#include "motor/port_error.h"
#include "ports/port_choice.h"
#include "ports/usb_board.h"

namespace stepdial {
namespace {

// Only D0-D3 drive the coils; the other four lines stay inputs, so nothing else the board
// is wired to is driven.
constexpr unsigned char kCoilLines = 0x0F;

// The kernel names each USB device's folder by its place: bus, then the hub ports.
const std::filesystem::path kUsbDevices = "/sys/bus/usb/devices";

using FtdiContext = std::unique_ptr<ftdi_context, decltype(&ftdi_free)>;

FtdiContext NewContext() {
    FtdiContext context(ftdi_new(), &ftdi_free);
    if (!context) ThrowPortError(EIO, "libftdi", "cannot start the USB library (libusb)", "");
    return context;
}

// What failed, with libftdi's own words for it, read before the next call replaces them.
std::string LibftdiFailure(std::string_view failure, ftdi_context& context) {
    return std::string(failure) + " (libftdi: " + ftdi_get_error_string(&context) + ")";
}

using DeviceList = std::unique_ptr<ftdi_device_list, decltype(&ftdi_list_free2)>;

// A board as the library found it, with what names it to the operator.
struct FoundBoard {
    UsbBoard board;
    libusb_device* device = nullptr;  // alive as long as the list it came from
    bool hasBitBang = true;
};

// "1-1.4": the bus, then each hub port on the way, as the kernel and lsusb -t name it.
std::string BusPlaceOf(libusb_device* device) {
    std::uint8_t ports[7];
    const int depth = libusb_get_port_numbers(device, ports, sizeof ports);
    std::string place = std::to_string(libusb_get_bus_number(device));
    for (int i = 0; i < depth; ++i) place += (i == 0 ? "-" : ".") + std::to_string(ports[i]);
    return place;
}

// usbfs's node, the one libusb opens and /proc shows among a holder's open files.
std::string NodeOf(libusb_device* device) {
    char node[32];
    std::snprintf(node, sizeof node, "/dev/bus/usb/%03u/%03u", unsigned{libusb_get_bus_number(device)},
                  unsigned{libusb_get_device_address(device)});
    return node;
}

// The kernel reads the descriptors' strings once, at plug-in, and shows them to every user:
// no need to open the board, which may be another user's or busy.
std::string SysfsText(const std::string& busPlace, const char* name) {
    std::string text;
    std::getline(std::ifstream(kUsbDevices / busPlace / name), text);
    return text;
}

std::vector<FoundBoard> FindBoards(ftdi_context& context, DeviceList& list) {
    ftdi_device_list* head = nullptr;
    // Vendor and product 0: the library's own list of FTDI's IDs.
    if (ftdi_usb_find_all(&context, &head, 0, 0) < 0) {
        ThrowPortError(EIO, "libftdi", LibftdiFailure("cannot list the USB devices", context), "");
    }
    list.reset(head);
    std::vector<FoundBoard> boards;
    for (auto* entry = head; entry; entry = entry->next) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(entry->dev, &descriptor) < 0) continue;
        FoundBoard found{{}, entry->dev};
        found.board.busPlace = BusPlaceOf(entry->dev);
        found.board.description = SysfsText(found.board.busPlace, "product");
        found.board.serial = SysfsText(found.board.busPlace, "serial");
        // The FT8U232AM, FTDI's first chip, which came before bit-bang mode: release 2.00
        // with a serial number (a BM of that release has none), as libftdi tells them apart.
        found.hasBitBang = !(descriptor.bcdDevice == 0x0200 && descriptor.iSerialNumber != 0);
        boards.push_back(std::move(found));
    }
    return boards;
}

bool IsChosen(const UsbBoard& board, const UsbBoardChoice& choice) {
    return choice.serial.empty() ? board.serial.empty() && board.busPlace == choice.busPlace
                                 : board.serial == choice.serial;
}

std::string NameHolders(const std::vector<HolderProcess>& holders) {
    std::string who;
    for (const auto& holder : holders) who += (who.empty() ? "" : "; ") + DescribeProcess(holder);
    return who;
}

class UsbBoardPort : public Port {
public:
    explicit UsbBoardPort(UsbBoardChoice choice) : choice_(std::move(choice)) {}

    void Write(std::uint16_t /*address*/, std::uint8_t value) override {
        if (!context_) Open();
        const unsigned char data = value;
        if (ftdi_write_data(context_.get(), &data, 1) != 1) {
            ThrowPortError(ENODEV, device_, LibftdiFailure("cannot write to the board", *context_),
                           remedy::usb::kPlugItInAgain);
        }
    }

private:
    void Open() {
        auto context = NewContext();
        DeviceList list(nullptr, &ftdi_list_free2);
        const auto boards = FindBoards(*context, list);
        const auto chosen = std::find_if(boards.begin(), boards.end(),
                                         [&](const auto& b) { return IsChosen(b.board, choice_); });
        if (chosen == boards.end()) {
            ThrowPortError(ENODEV, DescribeBoardChoice(choice_),
                           choice_.serial.empty() ? "no board without a serial number is plugged in there"
                                                  : "no board with this serial number is plugged in",
                           remedy::usb::kPlugInTheBoard);
        }
        device_ = DescribeBoard(chosen->board);
        if (!chosen->hasBitBang)
            ThrowPortError(EOPNOTSUPP, device_, "no bit-bang mode in this chip",
                           remedy::usb::kUseABitBangChip);
        RefuseWhileItsTerminalIsOpen(chosen->board.busPlace);
        if (const int step = ftdi_usb_open_dev(context.get(), chosen->device); step < 0)
            RefuseOpen(*context, step, NodeOf(chosen->device));
        if (ftdi_set_bitmode(context.get(), kCoilLines, BITMODE_BITBANG) < 0) {
            ThrowPortError(EIO, device_, LibftdiFailure("cannot switch the board to bit-bang mode", *context),
                           remedy::usb::kUseABitBangChip);
        }
        context_ = std::move(context);
    }

    // libftdi takes the board from the kernel's serial driver, which would hang up a terminal
    // that has its port open: such a program is named, and keeps its port.
    void RefuseWhileItsTerminalIsOpen(const std::string& busPlace) {
        std::error_code none;
        // Interface 0: the FT232R's only one, the FT2232H's and FT4232H's first channel.
        for (const auto& entry :
             std::filesystem::directory_iterator(kUsbDevices / (busPlace + ":1.0"), none)) {
            const std::string name = entry.path().filename().string();
            if (!name.starts_with("ttyUSB")) continue;
            const std::string node = "/dev/" + name;
            if (const auto holders = FindDeviceOpeners(node); !holders.empty()) {
                ThrowPortError(EBUSY, device_,
                               "its serial port " + node + " is open in another program (" +
                                   NameHolders(holders) + ")",
                               remedy::usb::kCloseTheBoardsOtherProgram);
            }
        }
    }

    // libftdi keeps libusb's reason to itself: its step tells what failed, the node why.
    [[noreturn]] void RefuseOpen(ftdi_context& context, int step, const std::string& node) {
        constexpr int kOpenFailed = -4, kClaimFailed = -5;
        const std::string failure = LibftdiFailure("cannot open the board", context);
        if (step == kClaimFailed) {
            const auto holders = FindDeviceOpeners(node);
            ThrowPortError(EBUSY, device_,
                           failure + ": it is in use by another program" +
                               (holders.empty() ? std::string(" that cannot be told from here")
                                                : " (" + NameHolders(holders) + ")"),
                           remedy::usb::kCloseTheBoardsOtherProgram);
        }
        int error = EIO;
        if (step == kOpenFailed) {
            const int fd = ::open(node.c_str(), O_RDWR | O_CLOEXEC);
            if (fd < 0)
                error = errno;
            else
                ::close(fd);
        }
        std::string_view advice = remedy::usb::kPlugItInAgain;
        if (error == EACCES || error == EPERM) {
            const NodeAccess access = ReadNodeAccess(node);
            advice = ChooseOpenAdvice(access) == OpenAdvice::UseTheSeat ? remedy::kUseTheSeat
                                                                        : remedy::usb::kAllowTheBoard;
        }
        ThrowPortError(error, device_, failure + " through " + node, advice);
    }

    UsbBoardChoice choice_;
    std::string device_;
    // Released at exit without a write: the lines keep the last pattern while the board has power.
    FtdiContext context_{nullptr, &ftdi_free};
};

}  // namespace

std::vector<UsbBoard> ListUsbBoards() {
    auto context = NewContext();
    DeviceList list(nullptr, &ftdi_list_free2);
    std::vector<UsbBoard> boards;
    for (auto& found : FindBoards(*context, list)) {
        if (found.hasBitBang) boards.push_back(std::move(found.board));
    }
    return boards;
}

std::unique_ptr<Port> MakeUsbBoardPort(const UsbBoardChoice& choice) {
    return std::make_unique<UsbBoardPort>(choice);
}

}  // namespace stepdial
