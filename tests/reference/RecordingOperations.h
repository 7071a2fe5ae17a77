#pragma once
// Operations that remember everything a search hands out, and can answer stop at a
// chosen message step.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "SearchSolutions.h"

namespace quenmar::testing {

class RecordingOperations : public SearchOperations {
 public:
  explicit RecordingOperations(long long stopAtStep = 0) : stopAtStep_(stopAtStep) {}

  bool MessageStep() override { return ++steps != stopAtStep_; }
  void Progress(int position) override { progress.push_back(position); }
  void Output(const TrainSolution& solution) override { trains.push_back(solution); }
  void WorkSinceLastStep(std::int64_t units) override {
    if (steps > 0) largestWorkBetweenSteps = std::max(largestWorkBetweenSteps, units);
  }

  long long steps = 0;
  std::vector<int> progress;
  std::vector<TrainSolution> trains;
  std::int64_t largestWorkBetweenSteps = 0;

 private:
  long long stopAtStep_;  // 1-based; 0 never stops
};

}  // namespace quenmar::testing
