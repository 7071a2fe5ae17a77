#pragma once
// Trains by a sweep over the products of the drivers and of the driven gears, out of
// loop order: for the K closest, or a listing through Collector::ListOutOfOrder, where
// both sides' products fit in bitsets.

#include <optional>

#include "DesignCollector.h"

namespace quenmar::design::detail {

// The work of the sweep, comparable with the loops' cost; none where it does not apply
// (an empty range, or products spanning more than the bitsets may take).
std::optional<double> ProductSweepCost(const Plan& plan);
double ProductSweepBytes(const Plan& plan);

// Hands every train that could be among the K closest to the sink.
void RunProductSweep(const Plan& plan, Collector& sink, Pacer& pacer);

}  // namespace quenmar::design::detail
