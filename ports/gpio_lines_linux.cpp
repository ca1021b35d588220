#include "ports/gpio_lines_linux.h"

#include <fcntl.h>
#include <linux/gpio.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "motor/open_advice.h"
#include "motor/port_error.h"

namespace stepdial {
namespace {

// The name every line stepdial holds shows to gpioinfo and to other programs' refusals.
constexpr char kConsumer[] = "stepdial";
// Coils A to D: the request's lines in the order they were asked for.
constexpr std::uint64_t kCoilBits = 0x0F;

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

std::string Text(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

// Appends the info of the chip's first `count` lines: 0, or the errno of the call that failed.
int ReadLines(int chip, unsigned count, std::vector<GpioLineInfo>& lines) {
    for (unsigned offset = 0; offset < count; ++offset) {
        gpio_v2_line_info info{};
        info.offset = offset;
        if (::ioctl(chip, GPIO_V2_GET_LINEINFO_IOCTL, &info) != 0) return errno;
        lines.push_back({offset, Text(info.name, sizeof info.name), Text(info.consumer, sizeof info.consumer),
                         (info.flags & GPIO_V2_LINE_FLAG_USED) != 0});
    }
    return 0;
}

// The chip behind `node`, read whole; `error` and `chip.unreadable` say why it could not be.
// Reading needs only read access; a request is made through a node opened for writing too,
// so that whoever may not write the lines is refused at the open, with the advice for it.
Fd OpenChip(const std::string& node, int access, GpioChip& chip, int& error) {
    chip.node = node;
    Fd fd(::open(node.c_str(), access | O_CLOEXEC));
    error = fd.get() < 0 ? errno : 0;
    gpiochip_info info{};
    if (error == 0 && ::ioctl(fd.get(), GPIO_GET_CHIPINFO_IOCTL, &info) != 0) error = errno;
    if (error == 0) {
        chip.label = Text(info.label, sizeof info.label);
        error = ReadLines(fd.get(), info.lines, chip.lines);
    }
    if (error != 0) chip.unreadable = std::generic_category().message(error);
    return error == 0 ? std::move(fd) : Fd();
}

std::vector<std::string> ChipNodes(const std::filesystem::path& devices) {
    std::vector<std::string> nodes;
    std::error_code none;
    for (const auto& entry : std::filesystem::directory_iterator(devices, none)) {
        if (entry.path().filename().string().starts_with("gpiochip")) nodes.push_back(entry.path().string());
    }
    // gpiochip2 before gpiochip10, as the kernel numbers them.
    std::sort(nodes.begin(), nodes.end(), [](const auto& a, const auto& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return nodes;
}

std::string_view AccessRemedy(const std::string& node, std::string& built) {
    const NodeAccess access = ReadNodeAccess(node);
    const OpenAdvice advice = ChooseOpenAdvice(access);
    // With no group and no seat that opens the chips, only a rule helps.
    if (advice == OpenAdvice::OpenToOwnerAlone) return remedy::gpio::kAllowTheChips;
    built = DescribeOpenAdvice(advice, access);
    return built;
}

class GpioLinesPort : public Port {
public:
    GpioLinesPort(GpioLinesChoice choice, std::filesystem::path devices)
        : choice_(std::move(choice)),
          devices_(std::move(devices)) {}

    void Write(std::uint16_t /*address*/, std::uint8_t value) override {
        if (request_.get() < 0) Open();
        gpio_v2_line_values values{};
        values.bits = value & kCoilBits;
        values.mask = kCoilBits;
        if (::ioctl(request_.get(), GPIO_V2_LINE_SET_VALUES_IOCTL, &values) != 0) {
            const int error = errno;
            ThrowPortError(error, device_, "cannot set the lines", remedy::gpio::kChooseAnotherChip);
        }
    }

private:
    void Open() {
        const std::string wanted = "GPIO chip " + choice_.chipLabel;
        std::string refusedNode;
        int refusal = 0;
        for (const auto& node : ChipNodes(devices_)) {
            GpioChip chip;
            int error = 0;
            Fd fd = OpenChip(node, O_RDWR, chip, error);
            if (fd.get() >= 0 && chip.label == choice_.chipLabel) return Request(std::move(fd), chip);
            if ((error == EACCES || error == EPERM) && refusal == 0) {
                refusal = error;
                refusedNode = node;
            }
        }
        // A chip this user may not open may be the one: its label cannot be read.
        if (refusal != 0) {
            std::string built;
            ThrowPortError(refusal, refusedNode, "cannot open the chip to read its label",
                           AccessRemedy(refusedNode, built));
        }
        ThrowPortError(ENODEV, wanted, "no GPIO chip with this label", remedy::gpio::kChooseAnotherChip);
    }

    void Request(Fd chip, const GpioChip& facts) {
        device_ = "GPIO chip " + facts.label + " (" + facts.node + ")";
        if (const auto refusal = RefuseGpioLines(facts.lines, choice_.lines))
            ThrowPortError(refusal->error, device_, refusal->failure, refusal->remedy);
        gpio_v2_line_request request{};
        std::copy(choice_.lines.begin(), choice_.lines.end(), request.offsets);
        request.num_lines = static_cast<std::uint32_t>(choice_.lines.size());
        std::strncpy(request.consumer, kConsumer, sizeof request.consumer - 1);
        // All four low from the moment they become outputs: the start-up 0.
        request.config.flags = GPIO_V2_LINE_FLAG_OUTPUT;
        if (::ioctl(chip.get(), GPIO_V2_GET_LINE_IOCTL, &request) != 0) {
            const int error = errno;
            RefuseRequest(chip.get(), static_cast<unsigned>(facts.lines.size()), error);
        }
        request_ = Fd(request.fd);
    }

    // Another consumer took a line between its info and the request: its info names it now.
    [[noreturn]] void RefuseRequest(int chip, unsigned lineCount, int error) {
        std::vector<GpioLineInfo> now;
        if (error == EBUSY && ReadLines(chip, lineCount, now) == 0) {
            if (const auto refusal = RefuseGpioLines(now, choice_.lines))
                ThrowPortError(refusal->error, device_, refusal->failure, refusal->remedy);
        }
        ThrowPortError(error, device_, "cannot request the lines", remedy::gpio::kFreeTheLine);
    }

    GpioLinesChoice choice_;
    std::filesystem::path devices_;
    std::string device_;
    // Released at exit without a write: the coils are not switched off behind the motor's back.
    Fd request_;
};

}  // namespace

std::vector<GpioChip> ListGpioChips(const std::filesystem::path& devices) {
    std::vector<GpioChip> chips;
    for (const auto& node : ChipNodes(devices)) {
        GpioChip chip;
        int error = 0;
        OpenChip(node, O_RDONLY, chip, error);
        chips.push_back(std::move(chip));
    }
    return chips;
}

std::unique_ptr<Port> MakeGpioLinesPort(const GpioLinesChoice& choice, const std::filesystem::path& devices) {
    return std::make_unique<GpioLinesPort>(choice, devices);
}

}  // namespace stepdial
