#pragma once

#include "core/tick_timer.h"
#include "qt/tick_source.h"

namespace stepdial::qt {

// Timer1 on Qt: the source wakes the event loop itself (a timerfd).
using TickTimer = stepdial::TickTimer<TickSource>;

}  // namespace stepdial::qt
