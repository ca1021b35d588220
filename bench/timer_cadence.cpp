// Measures the window's step timer as the event loop really delivers it: the interval
// between ticks (mean, median, 99th percentile, extremes), the drift of the last tick
// against its deadline on the grid, how many deadlines were skipped, and the CPU time
// the process spends per tick; then, for comparison, how often a literal 1 ms timer fires,
// and the CPU time of a second with the timer disabled.
//
//   timer_cadence [TICKS]   (640 by default: ten seconds at 64 ticks a second)
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <numeric>
#include <vector>

#include "core/tick_timer.h"
#include "qt/timerfd_wake_up.h"

namespace {

using std::chrono::nanoseconds;

nanoseconds CpuTime() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + nanoseconds(t.tv_nsec);
}

double Ms(nanoseconds d) { return std::chrono::duration<double, std::milli>(d).count(); }
double Us(nanoseconds d) { return std::chrono::duration<double, std::micro>(d).count(); }

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const std::size_t ticks = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 640;
    if (ticks < 2) return 2;

    std::vector<nanoseconds> at;
    at.reserve(ticks);
    using Timer = stepdial::TickTimer<stepdial::qt::TimerfdWakeUp>;
    Timer* self = nullptr;
    Timer timer([&] {
        at.push_back(stepdial::MonotonicNow());
        if (at.size() == ticks) {
            self->SetEnabled(false);
            app.quit();
        }
    });
    self = &timer;

    const nanoseconds cpuBefore = CpuTime();
    const nanoseconds start = stepdial::MonotonicNow();
    timer.SetEnabled(true);
    app.exec();
    const nanoseconds cpuTicking = CpuTime() - cpuBefore;

    std::vector<nanoseconds> intervals;
    intervals.push_back(at.front() - start);
    for (std::size_t i = 1; i < at.size(); ++i) intervals.push_back(at[i] - at[i - 1]);
    std::vector<nanoseconds> sorted = intervals;
    std::sort(sorted.begin(), sorted.end());
    const auto percentile = [&](double p) { return sorted[static_cast<std::size_t>(p * (sorted.size() - 1))]; };
    const nanoseconds total = at.back() - start;
    const nanoseconds ideal = stepdial::kTickPeriod * static_cast<long>(ticks);
    const nanoseconds mean = std::accumulate(intervals.begin(), intervals.end(), nanoseconds{0}) /
                             static_cast<long>(intervals.size());

    std::printf("ticks %zu, period %.3f ms\n", ticks, Ms(stepdial::kTickPeriod));
    std::printf("interval ms: mean %.3f  median %.3f  p99 %.3f  min %.3f  max %.3f\n", Ms(mean),
                Ms(percentile(0.5)), Ms(percentile(0.99)), Ms(sorted.front()), Ms(sorted.back()));
    std::printf("%zu ticks took %.4f s against %.4f s: drift %+.3f ms (%+.4f %%), steps/s %.3f\n", ticks,
                total.count() / 1e9, ideal.count() / 1e9, Ms(total - ideal),
                100.0 * (total - ideal).count() / ideal.count(), ticks / (total.count() / 1e9));
    std::printf("deadlines skipped after late ticks: %lld\n", static_cast<long long>(timer.Schedule().Skipped()));
    std::printf("CPU while ticking: %.3f ms in all, %.2f us per tick\n", Ms(cpuTicking),
                Us(cpuTicking / static_cast<long>(ticks)));

    // For comparison, in the same run: a Qt timer taken at its word, 1 ms, for one second.
    int literalTicks = 0;
    QTimer literal;
    literal.setTimerType(Qt::PreciseTimer);
    QObject::connect(&literal, &QTimer::timeout, [&] { ++literalTicks; });
    literal.start(1);
    QTimer::singleShot(1000, &app, &QCoreApplication::quit);
    app.exec();
    literal.stop();
    std::printf("a literal 1 ms Qt timer: %d ticks in 1 s (%.1f times the step timer's rate)\n", literalTicks,
                literalTicks * Ms(stepdial::kTickPeriod) / 1000);

    // Disabled, the timer must cost nothing: one second of the bare event loop.
    const nanoseconds cpuIdleBefore = CpuTime();
    QTimer::singleShot(1000, &app, &QCoreApplication::quit);
    app.exec();
    std::printf("CPU in 1 s with the timer disabled: %.3f ms\n", Ms(CpuTime() - cpuIdleBefore));
    return 0;
}
