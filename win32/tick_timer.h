#pragma once

#include <windows.h>

#include "core/tick_timer.h"
#include "win32/tick_source.h"

namespace stepdial::win32 {

// Timer1 on Win32: the source's thread posts kMessage to the window, and the tick runs
// when the window's thread takes it.
class TickTimer : public stepdial::TickTimer<TickSource> {
public:
    // The message the source posts to the window at each expiry.
    static constexpr UINT kMessage = WM_APP + 1;

    using stepdial::TickTimer<TickSource>::TickTimer;

    // The window that takes kMessage and hands it to TakeMessage.
    void Attach(HWND window) { WakeUp().Attach(window, kMessage); }
    // kMessage as the window takes it: the tick, unless it was posted before a Disarm.
    void TakeMessage() { WakeUp().Deliver(); }
};

}  // namespace stepdial::win32
