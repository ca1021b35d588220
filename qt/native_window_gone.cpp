#include "qt/native_window_gone.h"

#include <cstring>

namespace stepdial::qt {
namespace {

// The X protocol's DestroyNotify, as its wire format fixes it: the event code in the
// first byte, then the window whose structure is watched and the window destroyed. The
// first byte's top bit marks an event another client sent (XSendEvent): it tells of
// nothing the server did, so such a one is not a destroyed window. Written out here so
// that building the window needs no X development headers.
constexpr std::uint8_t kDestroyNotify = 17;
constexpr std::size_t kDestroyedWindowOffset = 8;

}  // namespace

bool IsWindowDestroyed(const QByteArray& eventType, const void* message, std::uintptr_t window) {
    if (eventType != "xcb_generic_event_t" || !message) return false;
    const auto* bytes = static_cast<const unsigned char*>(message);
    if (bytes[0] != kDestroyNotify) return false;
    std::uint32_t destroyed = 0;
    std::memcpy(&destroyed, bytes + kDestroyedWindowOffset, sizeof destroyed);
    return destroyed == window;
}

}  // namespace stepdial::qt
