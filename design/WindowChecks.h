#pragma once
// What the design window refuses beyond what the setup reader refuses, because a search
// of it could only end empty or list nothing: a target of 0 or below, Max trains of 0,
// and owned gears that cannot give every gear in use a count within its range. Each
// problem goes to the field it concerns, so the window says why instead of searching.

#include "DesignSetup.h"

namespace quenmar::design {

// Adds those problems to `reading` (read from `setup`) and then drops its query.
void CheckForWindow(const DesignSetup& setup, SetupReading& reading);

// The owned gears against the ranges lo[g]..hi[g] of the gears in use: nothing when every
// gear can have an owned gear of its own within its range, otherwise why not.
std::optional<std::string> OwnedGearsShortfall(const std::vector<int>& lo, const std::vector<int>& hi,
                                               std::vector<int> owned);

}  // namespace quenmar::design
