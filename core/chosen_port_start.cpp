#include "core/chosen_port_start.h"

#include <exception>

#include "core/port_settings.h"

namespace stepdial {
namespace {

// A port whose making failed: its start-up write fails the same way, so Form1 reports it
// as any port that cannot be bound.
class UnmadePort : public Port {
public:
    explicit UnmadePort(std::exception_ptr failure) : failure_(std::move(failure)) {}
    void Write(std::uint16_t, std::uint8_t) override { std::rethrow_exception(failure_); }

private:
    std::exception_ptr failure_;
};

std::unique_ptr<Port> Open(const ChosenPortStart& frontEnd, const PortChoice& choice) {
    try {
        return frontEnd.open(choice);
    } catch (...) {
        return std::make_unique<UnmadePort>(std::current_exception());
    }
}

}  // namespace

int StartOnChosenPort(const SettingsStore& store, const ChosenPortStart& frontEnd) {
    for (;;) {
        StartUpAnswer answer = StartUpAnswer::Close;
        const auto port = Open(frontEnd, LoadPortChoice(store));
        const int status = frontEnd.runForm1(*port, answer);
        if (answer != StartUpAnswer::ChooseAnotherPort || !frontEnd.chooseInWindow()) return status;
    }
}

}  // namespace stepdial
