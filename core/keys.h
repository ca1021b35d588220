#pragma once

#include "core/layout.h"

namespace stepdial {

// The keys Form1 gives a meaning of its own; every other key is the focused control's.
enum class Key { Tab, BackTab, Enter, Space, Left, Right, Up, Down, Other };

enum class KeyAction {
    ToTheControl,  // the control does with it what it does (the entry's caret, its typing)
    PressTheButton,
    FocusNext,  // by the tab order, round to the first after the last
    FocusPrevious,
    Nothing,  // taken and dropped
};

// The keyboard of the design's platform, for every front end: Tab and Shift+Tab move
// between the tab stops; on the button Space and Enter press it and the arrows move on
// as Tab does; Enter in the entry does nothing (the button is not the window's default
// button); a key held down presses the button once. The front end turns its key
// events into `key` and does what this says, on the key's press, and drops the key's
// release where the press was not the control's.
KeyAction Form1KeyAction(layout::Kind focused, Key key, bool repeat);

}  // namespace stepdial
