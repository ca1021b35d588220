#include "bench/tick_log.h"

#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace stepdial::bench {
namespace {

using Duration = TickLog::Duration;

Duration FromTimespec(const timespec& t) { return std::chrono::seconds(t.tv_sec) + Duration(t.tv_nsec); }

// The run time the kernel has accounted to all a process's threads; /proc/PID/schedstat
// holds the main thread's alone.
Duration ThreadsCpu(long pid) {
    if (pid <= 0) return Duration{-1};
    std::error_code error;
    std::filesystem::directory_iterator tasks("/proc/" + std::to_string(pid) + "/task", error);
    if (error) return Duration{-1};
    long long sum = 0;
    for (const auto& task : tasks) {
        std::ifstream in(task.path() / "schedstat");
        long long ns = 0;
        if (in >> ns) sum += ns;
    }
    return Duration{sum};
}

double Us(Duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

}  // namespace

Duration TickLog::MonotonicNow() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return FromTimespec(t);
}

Duration TickLog::ProcessCpu() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return FromTimespec(t);
}

void TickLog::Record(const GridPoint& gridPoint) {
    const Duration at = MonotonicNow();
    const Duration cpu = ProcessCpu();
    if (ticks_.empty()) {
        ticks_.reserve(4096);
        xServerAtFirstTick_ = ThreadsCpu(xServer_);
    }
    ticks_.push_back({at, cpu, gridPoint ? at - gridPoint() : Duration{-1}});
}

void TickLog::EndAfterArrival(std::function<void()> done, Duration quiet, Duration rest) {
    done_ = std::move(done);
    quiet_ = quiet;
    rest_ = rest;
    watch_.setInterval(100);
    QObject::connect(&watch_, &QTimer::timeout, [this] { Watch(); });
    watch_.start();
}

void TickLog::Watch() {
    const Duration now = MonotonicNow();
    if (restFrom_ < Duration{0}) {
        if (ticks_.size() < 2 || now - ticks_.back().at < quiet_) return;
        xServerAtArrival_ = ThreadsCpu(xServer_);
        restFrom_ = now;
        restCpuFrom_ = ProcessCpu();
        // One wake-up for the whole rest: looking every 100 ms would itself cost about
        // as much as the program at rest.
        watch_.setSingleShot(true);
        watch_.start(std::chrono::duration_cast<std::chrono::milliseconds>(rest_));
        return;
    }
    restCpu_ = ProcessCpu() - restCpuFrom_;
    restLength_ = now - restFrom_;
    if (done_) done_();
}

void TickLog::Print(std::FILE* out) const {
    std::fprintf(out, "ticks %zu\n", ticks_.size());
    // Each tick's write and how long after its grid point it came, in microseconds; the
    // figures command computes the intervals' figures from these.
    for (const Tick& tick : ticks_) std::fprintf(out, "tick %.3f %.3f\n", Us(tick.at), Us(tick.late));
    if (ticks_.size() < 2) return;
    // From the first tick's write to the last's: every tick's work but the last one's.
    std::fprintf(out, "cpu_per_tick_us %.3f\n",
                 Us(ticks_.back().cpu - ticks_.front().cpu) / static_cast<double>(ticks_.size() - 1));
    if (xServerAtFirstTick_ >= Duration{0} && xServerAtArrival_ >= Duration{0}) {
        // From the first tick's write until the motor has stood still: every tick's drawing.
        std::fprintf(out, "xserver_per_tick_us %.3f\n",
                     Us(xServerAtArrival_ - xServerAtFirstTick_) / static_cast<double>(ticks_.size()));
    }
    if (restCpu_ >= Duration{0}) {
        std::fprintf(out, "rest_cpu_percent %.4f\n", 100.0 * static_cast<double>(restCpu_.count()) /
                                                         static_cast<double>(restLength_.count()));
    }
}

void TimestampingPort::Write(std::uint16_t address, std::uint8_t value) {
    // The first write is Form_Load's reset, before any tick.
    if (writes_++ > 0) log_.Record(gridPoint_);
    if (next_) next_->Write(address, value);
}

long XServerArgument(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--xserver-pid") == 0) return std::strtol(argv[i + 1], nullptr, 10);
    }
    return 0;
}

}  // namespace stepdial::bench
