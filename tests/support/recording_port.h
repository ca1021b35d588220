#pragma once

#include <cerrno>
#include <cstdint>
#include <optional>
#include <system_error>
#include <vector>

#include "motor/port.h"
#include "motor/port_error.h"

namespace stepdial::testing {

// Records every write; can be told to fail from a given write on, as a port that
// vanishes mid-move (a USB adapter pulled, a card that stops answering) does.
class RecordingPort : public Port {
public:
    struct Written {
        std::uint16_t address;
        std::uint8_t value;
        bool operator==(const Written&) const = default;
    };

    void Write(std::uint16_t address, std::uint8_t value) override {
        const std::size_t attempt = attempts_++;
        if (failFrom_ && attempt >= *failFrom_) {
            throw PortError({EIO, std::generic_category()}, address, "/dev/parport0",
                            "cannot write the data register", remedy::kCheckThePort);
        }
        writes_.push_back({address, value});
    }

    // The next `n` writes succeed; every one after them fails.
    void FailAfter(std::size_t n) { failFrom_ = attempts_ + n; }

    const std::vector<Written>& Writes() const { return writes_; }
    std::vector<std::uint8_t> Values() const {
        std::vector<std::uint8_t> values;
        for (const auto& w : writes_) values.push_back(w.value);
        return values;
    }
    void Clear() { writes_.clear(); }

private:
    std::vector<Written> writes_;
    std::optional<std::size_t> failFrom_;
    std::size_t attempts_ = 0;
};

}  // namespace stepdial::testing
