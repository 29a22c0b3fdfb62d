#pragma once
// The school's level scheme, kept in the program's settings table beside the
// working settings, so that every slip of every examination uses the scheme
// the school chose until it is changed. A scheme stored by hand or by an
// older build that does not pass Levels::check gives way to the defaults.

#include "engine/rules/levels.h"

namespace Levels {

// The stored scheme, or the defaults when none (or no usable one) is stored.
Scheme storedScheme();
// Stores a checked scheme; false when the database cannot be written (the
// scheme then holds for this run only).
bool storeScheme(const Scheme& scheme);

} // namespace Levels
