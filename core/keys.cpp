#include "core/keys.h"

namespace stepdial {

KeyAction Form1KeyAction(layout::Kind focused, Key key, bool repeat) {
    if (key == Key::Tab) return KeyAction::FocusNext;
    if (key == Key::BackTab) return KeyAction::FocusPrevious;
    if (focused == layout::Kind::TextBox)
        return key == Key::Enter ? KeyAction::Nothing : KeyAction::ToTheControl;
    if (focused != layout::Kind::Button) return KeyAction::ToTheControl;
    switch (key) {
    case Key::Enter:
    case Key::Space:
        return repeat ? KeyAction::Nothing : KeyAction::PressTheButton;
    case Key::Right:
    case Key::Down:
        return KeyAction::FocusNext;
    case Key::Left:
    case Key::Up:
        return KeyAction::FocusPrevious;
    default:
        return KeyAction::ToTheControl;
    }
}

}  // namespace stepdial
