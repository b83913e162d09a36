// The nine application looks: five styles, then the Blue, Black, Silver and Aqua variants of a
// sixth; Black (a dark palette) is the default.
#pragma once

#include <QString>

namespace mirvo {

// Applies the look of a command number (32823 .. 32832) to the whole application; an unknown
// number leaves the platform's own look. Returns whether a look was applied.
bool ApplyApplicationLook(int command);
QString ApplicationLookName(int command);

}  // namespace mirvo
