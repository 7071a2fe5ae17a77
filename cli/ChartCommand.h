#pragma once
// quenmar-solve's charts of many targets: threads against a lead screw, a file of targets,
// the gears to buy (--buy) and the fewest gears (--cover). RunDesignSolve hands a run here
// once its query is read.

#include <iosfwd>
#include <string>
#include <vector>

#include "DesignCommand.h"
#include "DesignInput.h"
#include "DesignSearch.h"

namespace quenmar::cli {

// Whether the options ask for a chart rather than one search.
bool IsChart(const DesignOptions& options);

// Teeth counts and ranges A..B separated by commas, each 1..500 (ascending, repeats kept).
design::Parsed<std::vector<int>> ParseCandidates(const std::string& text);

// Runs the chart, purchase or cover for `query` (its kind, gears and filters). Exit
// statuses as RunSolve's.
int RunChartSolve(const DesignOptions& options, const design::DesignQuery& query, std::ostream& out,
                  std::ostream& err, const SolveEnvironment& environment);

}  // namespace quenmar::cli
