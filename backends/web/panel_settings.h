#pragma once
// The page's settings panel follows the configuration dialog's rules, which it takes from the
// settings code every dialog shares (settings/settings_choices.h). A control shows checked
// only when its flag is exactly 1; of the three colours only the first that is on, in the order
// standard, yellow, cycling, and none when none is. A colour click sets all three colour flags;
// a box click sets its own flag to its new state. A flag that is not clicked keeps its value,
// whatever it holds (a 2 from a file stays a 2 when the panel is used for something else).
#include "settings/settings.h"

// The panel's controls, in the order of the settings file.
enum class PanelControl { standard, yellow, cycle, sound, music, sparks };

// Bit n is set when control n shows checked.
unsigned checkedControls(const Settings& settings);

// A click on a control whose new state is `checked` (a colour is always checked by its click),
// on the process-wide flags.
void clickControl(PanelControl control, bool checked);
