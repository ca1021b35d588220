#pragma once

#include <chrono>

namespace stepdial {

// How often the motor takes a step. Form1's timer asks for 1 ms, but the desktop it was
// designed on rounded every 1 ms timer up to its clock tick of 1/64 s. A motor stepped
// that often keeps up; one stepped every millisecond stalls and loses steps while the
// dial shows positions it never reached.
inline constexpr std::chrono::nanoseconds kTickPeriod{15'625'000};

}  // namespace stepdial
