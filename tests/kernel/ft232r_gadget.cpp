// The device side of an FTDI FT232R, in the emulated machine: a FunctionFS function of a
// configfs gadget on dummy_hcd, which the kernel's USB stack enumerates as a real board.
// Answers the vendor requests ftdi_sio and libftdi send, and logs every bulk OUT byte
// (what bit-bang mode puts on the data lines) with its arrival time.
//
//   ft232r_gadget FUNCTIONFS_DIR LOG    LOG: "BYTE MICROSECONDS" a line, CLOCK_MONOTONIC

#include <endian.h>
#include <fcntl.h>
#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

namespace {

// One interface of vendor class with a bulk IN and a bulk OUT endpoint, as the FT232R has;
// dummy_udc hands out ep1in-bulk and ep2out-bulk, so they become 0x81 and 0x02.
struct __attribute__((packed)) Descriptors {
    usb_functionfs_descs_head_v2 head;
    __le32 fullSpeedCount;
    usb_interface_descriptor interface;
    usb_endpoint_descriptor_no_audio in, out;
};

struct __attribute__((packed)) Strings {
    usb_functionfs_strings_head head;
    __le16 language;
    char interface[sizeof "FT232R"];
};

usb_endpoint_descriptor_no_audio Bulk(std::uint8_t address) {
    return {USB_DT_ENDPOINT_SIZE, USB_DT_ENDPOINT, address, USB_ENDPOINT_XFER_BULK, htole16(64), 0};
}

bool WriteAll(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size) == static_cast<ssize_t>(size);
}

// The FTDI vendor requests that read something back; every other request is acknowledged.
void AnswerSetup(int ep0, const usb_ctrlrequest& setup) {
    constexpr std::uint8_t kGetModemStatus = 0x05, kGetLatencyTimer = 0x0A;
    unsigned char reply[256] = {};
    const std::size_t length = std::min<std::size_t>(le16toh(setup.wLength), sizeof reply);
    if (!(setup.bRequestType & USB_DIR_IN)) {
        if (::read(ep0, reply, length) < 0) std::perror("ft232r_gadget: a request's data");
        return;
    }
    if (setup.bRequest == kGetModemStatus) {  // the first status byte's low bits, then the line status
        reply[0] = 0x01;
        reply[1] = 0x60;  // transmitter empty
    }
    if (setup.bRequest == kGetLatencyTimer) reply[0] = 16;  // the chip's default, in ms
    if (::write(ep0, reply, length) < 0) std::perror("ft232r_gadget: a request's answer");
}

void LogBulkOut(std::string endpoint, FILE* log) {
    const int fd = ::open(endpoint.c_str(), O_RDWR);
    unsigned char data[512];
    while (true) {
        const ssize_t got = ::read(fd, data, sizeof data);
        if (got < 0) {  // unbound or not yet configured: wait for the host again
            ::usleep(1000);
            continue;
        }
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        for (ssize_t i = 0; i < got; ++i)
            std::fprintf(log, "%u %lld\n", data[i], now.tv_sec * 1'000'000LL + now.tv_nsec / 1000);
        std::fflush(log);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string dir = argv[1];
    const int ep0 = ::open((dir + "/ep0").c_str(), O_RDWR);
    FILE* log = std::fopen(argv[2], "w");
    if (ep0 < 0 || !log) return std::perror("ft232r_gadget"), 1;

    Descriptors descriptors{};
    descriptors.head = {htole32(FUNCTIONFS_DESCRIPTORS_MAGIC_V2), htole32(sizeof descriptors),
                        htole32(FUNCTIONFS_HAS_FS_DESC | FUNCTIONFS_ALL_CTRL_RECIP |
                                FUNCTIONFS_CONFIG0_SETUP)};
    descriptors.fullSpeedCount = htole32(3);
    descriptors.interface = {USB_DT_INTERFACE_SIZE, USB_DT_INTERFACE, 0, 0, 2, 0xFF, 0xFF, 0xFF, 1};
    descriptors.in = Bulk(1 | USB_DIR_IN);
    descriptors.out = Bulk(2 | USB_DIR_OUT);
    Strings strings{{htole32(FUNCTIONFS_STRINGS_MAGIC), htole32(sizeof strings), htole32(1), htole32(1)},
                    htole16(0x0409),
                    "FT232R"};
    if (!WriteAll(ep0, &descriptors, sizeof descriptors) || !WriteAll(ep0, &strings, sizeof strings))
        return std::perror("ft232r_gadget: descriptors"), 1;

    std::thread(LogBulkOut, dir + "/ep2", log).detach();
    usb_functionfs_event events[8];
    while (true) {
        const ssize_t got = ::read(ep0, events, sizeof events);
        for (ssize_t i = 0; i < got / static_cast<ssize_t>(sizeof events[0]); ++i) {
            if (events[i].type == FUNCTIONFS_SETUP) AnswerSetup(ep0, events[i].u.setup);
        }
    }
}
