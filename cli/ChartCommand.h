#pragma once
// quenmar-solve's charts of many targets: threads against a lead screw, a file of targets,
// the gears to buy (--buy) and the fewest gears (--cover). RunDesignSolve hands a run here
// once its query is read.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "DesignCommand.h"
#include "DesignInput.h"
#include "DesignSearch.h"
#include "ThreadChart.h"

namespace quenmar::cli {

// Whether the options ask for a chart rather than one search.
bool IsChart(const DesignOptions& options);

// The targets and lead screw of a chart read already: a setup of quenmar-design in Targets mode.
struct ChartInputs {
  std::optional<design::LeadScrew> lead;
  std::vector<design::ChartTarget> targets;
};

// Runs the chart, purchase or cover for `query` (its kind, gears and filters), of `given`'s
// targets or else those the options name. Exit statuses as RunSolve's.
int RunChartSolve(const DesignOptions& options, const design::DesignQuery& query, std::ostream& out,
                  std::ostream& err, const SolveEnvironment& environment, const ChartInputs* given = nullptr);

}  // namespace quenmar::cli
