#pragma once

#include <QByteArray>
#include <cstdint>

namespace stepdial::qt {

// Whether a native event Qt hands a widget says that the X server destroyed the window
// `window`: another X client did it (xdotool windowclose, xkill's gentler cousins), since
// Qt's own destruction of the window comes after the widget has stopped listening. A
// DestroyNotify that a client merely sent is not one.
bool IsWindowDestroyed(const QByteArray& eventType, const void* message, std::uintptr_t window);

}  // namespace stepdial::qt
