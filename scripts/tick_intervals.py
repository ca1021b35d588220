#!/usr/bin/env python3
"""The figures of a run of ticks, for the scripts that time the step timer
(bench/measure-figures, tests/win32/stepdial_e2e.sh): the one home of the band an
interval should fall in and of the percentile's definition.

    tick_intervals.py < TIMES

TIMES: when each tick of one move wrote the port, in microseconds, one a line. Prints
"COUNT MEAN MIN P50 P99 MAX WITHIN BAND": the intervals' count, their mean, shortest,
median, 99th percentile and longest in ms, the % of them within the band, the band.
"""

import sys

# A tick that wakes within a couple of ms of its grid point: the share outside it shows
# how often a busy machine kept the timer from its CPU.
BAND_MS = (13, 18)


def percentile(values, percent):
    """The smallest of `values` that at least `percent` % of them do not exceed."""
    ordered = sorted(values)
    rank = max(1, -(-percent * len(ordered) // 100))
    return ordered[rank - 1]


def figures(intervals):
    low, high = BAND_MS
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
    f = figures(intervals_ms([float(line) for line in sys.stdin if line.strip()]))
    print(f"{f['count']} {f['mean']:.3f} {f['min']:.3f} {f['p50']:.3f} {f['p99']:.3f} {f['max']:.3f} "
          f"{f['within']:.1f} {BAND_MS[0]}-{BAND_MS[1]}")


if __name__ == "__main__":
    main()
