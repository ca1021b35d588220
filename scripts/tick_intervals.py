#!/usr/bin/env python3
"""The figures of a run of ticks, for the scripts that time the step timer
(bench/measure-figures, tests/win32/stepdial_e2e.sh): the one home of the band an
interval should fall in and of the percentile's definition.

    tick_intervals.py [PERIOD_NS] < TIMES

TIMES: when each tick of one move wrote the port, in microseconds, one a line. Prints
"COUNT MEAN MIN P50 P99 MAX WITHIN BAND": the intervals' count, their mean, shortest,
median, 99th percentile and longest in ms, the % of them within the band, the band.
PERIOD_NS is the tick period the run was set to (the design's 15625000 when left out); the
band scales with it.
"""

import sys

# A tick that wakes within a couple of ms of its grid point: the share outside it shows
# how often a busy machine kept the timer from its CPU. At other periods the band keeps
# its proportions: 13 and 18 ms are 0.832 and 1.152 of 15.625.
DESIGN_PERIOD_MS = 15.625
BAND_MS = (13, 18)


def band_ms(period_ms=DESIGN_PERIOD_MS):
    return tuple(round(edge * period_ms / DESIGN_PERIOD_MS, 3) for edge in BAND_MS)


def percentile(values, percent):
    """The smallest of `values` that at least `percent` % of them do not exceed."""
    ordered = sorted(values)
    rank = max(1, -(-percent * len(ordered) // 100))
    return ordered[rank - 1]


def figures(intervals, period_ms=DESIGN_PERIOD_MS):
    low, high = band_ms(period_ms)
    return {
        "count": len(intervals),
        "mean": sum(intervals) / len(intervals),
        "min": min(intervals),
        "p50": percentile(intervals, 50),
        "p99": percentile(intervals, 99),
        "max": max(intervals),
        "within": 100 * sum(low <= i <= high for i in intervals) / len(intervals),
    }


def intervals_ms(times_us):
    return [(later - earlier) / 1000 for earlier, later in zip(times_us, times_us[1:])]


def main():
    period_ms = int(sys.argv[1]) / 1e6 if len(sys.argv) > 1 else DESIGN_PERIOD_MS
    f = figures(intervals_ms([float(line) for line in sys.stdin if line.strip()]), period_ms)
    low, high = band_ms(period_ms)
    print(f"{f['count']} {f['mean']:.3f} {f['min']:.3f} {f['p50']:.3f} {f['p99']:.3f} {f['max']:.3f} "
          f"{f['within']:.1f} {low:g}-{high:g}")


if __name__ == "__main__":
    main()
