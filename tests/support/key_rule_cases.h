#pragma once

#include "core/keys.h"

namespace stepdial::testing {

// Form1's keys on both front ends: from the entry or the button, a key (with `controlFirst`, Ctrl held at its press
// and let go before its release); then the focus, and whether the motor started. The button always ends up.
struct KeyCase { layout::Kind from; Key key; layout::Kind to; bool starts; bool controlFirst = false; };

using enum layout::Kind;
inline constexpr KeyCase kKeyCases[] = {
    {TextBox, Key::Enter, TextBox, false}, {TextBox, Key::Space, TextBox, false},
    {TextBox, Key::Left, TextBox, false},  {TextBox, Key::Tab, Button, false},
    {TextBox, Key::BackTab, Button, false}, {Button, Key::Tab, TextBox, false},
    {Button, Key::BackTab, TextBox, false}, {Button, Key::Space, Button, true},
    {Button, Key::Enter, Button, true},    {Button, Key::Left, TextBox, false},
    {Button, Key::Right, TextBox, false},  {Button, Key::Down, TextBox, false},
    {Button, Key::Space, Button, false, true}};

}  // namespace stepdial::testing
