#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "motor/port.h"

namespace stepdial::bench {

// What a program measures of itself while a person drives it: when each tick reached the
// port, how late that was against the tick's point on the grid, and the CPU time of all
// the program's threads at that moment; the X server's CPU time over the same move. It
// ends the program once the motor has stood still for a while, and prints each tick and
// the CPU per tick as lines for bench/measure-figures.
class TickLog {
public:
    using Duration = std::chrono::nanoseconds;
    // The grid point the running tick belongs to, on the monotonic clock.
    using GridPoint = std::function<Duration()>;

    // `xServer`: the pid of the X server whose CPU time the move is charged, or 0.
    explicit TickLog(long xServer) : xServer_(xServer) {}

    // Called by the tick, at the moment it writes the coil pattern.
    void Record(const GridPoint& gridPoint);

    // Once ticks have come and then stopped for `quiet`, measures the CPU time of `rest`
    // more at rest and calls `done` (which ends the event loop).
    void EndAfterArrival(std::function<void()> done, Duration quiet = std::chrono::milliseconds(500),
                         Duration rest = std::chrono::seconds(2));

    void Print(std::FILE* out) const;

    static Duration MonotonicNow();
    static Duration ProcessCpu();

private:
    struct Tick {
        Duration at, cpu, late;
    };
    void Watch();

    long xServer_;
    std::vector<Tick> ticks_;
    Duration xServerAtFirstTick_{-1};
    Duration xServerAtArrival_{-1};
    Duration restCpu_{-1};
    Duration restLength_{0};
    QTimer watch_;
    std::function<void()> done_;
    Duration quiet_{0};
    Duration rest_{0};
    Duration restFrom_{-1};
    Duration restCpuFrom_{0};
};

// Form1's port for the figures: timestamps every write after the reset at start-up, then
// hands it on (to the simulated port, or nowhere: there is no motor under Xvfb).
class TimestampingPort : public Port {
public:
    TimestampingPort(TickLog& log, Port* next = nullptr) : log_(log), next_(next) {}

    void SetGridPoint(TickLog::GridPoint gridPoint) { gridPoint_ = std::move(gridPoint); }
    void Write(std::uint16_t address, std::uint8_t value) override;

private:
    TickLog& log_;
    Port* next_;
    TickLog::GridPoint gridPoint_;
    std::uint64_t writes_ = 0;
};

// The X server's pid from "--xserver-pid N" among the arguments, or 0.
long XServerArgument(int argc, char** argv);

}  // namespace stepdial::bench
