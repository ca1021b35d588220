#pragma once

#include "core/keys.h"

namespace stepdial::testing {

// Form1's keyboard, as both front ends must deliver it: from the entry or the button,
// one key, then where the focus is and whether the motor started.
struct KeyCase {
    layout::Kind from;
    Key key;
    layout::Kind to;
    bool starts;
};

inline constexpr KeyCase kKeyCases[] = {
    {layout::Kind::TextBox, Key::Enter, layout::Kind::TextBox, false},
    {layout::Kind::TextBox, Key::Space, layout::Kind::TextBox, false},
    {layout::Kind::TextBox, Key::Left, layout::Kind::TextBox, false},
    {layout::Kind::TextBox, Key::Down, layout::Kind::TextBox, false},
    {layout::Kind::TextBox, Key::Tab, layout::Kind::Button, false},
    {layout::Kind::TextBox, Key::BackTab, layout::Kind::Button, false},
    {layout::Kind::Button, Key::Tab, layout::Kind::TextBox, false},
    {layout::Kind::Button, Key::BackTab, layout::Kind::TextBox, false},
    {layout::Kind::Button, Key::Space, layout::Kind::Button, true},
    {layout::Kind::Button, Key::Enter, layout::Kind::Button, true},
    {layout::Kind::Button, Key::Left, layout::Kind::TextBox, false},
    {layout::Kind::Button, Key::Right, layout::Kind::TextBox, false},
    {layout::Kind::Button, Key::Up, layout::Kind::TextBox, false},
    {layout::Kind::Button, Key::Down, layout::Kind::TextBox, false},
};

}  // namespace stepdial::testing
