#include "Results.h"

#include <oneapi/tbb/parallel_for.h>

#include <algorithm>
#include <numeric>
#include <string>

#include "SolutionRow.h"

namespace quenmar::design::detail {

DesignTrain TrainOf(const Entry& e, const Judge& judge) {
  const KindRules& rules = judge.Rules();
  DesignTrain t;
  int teeth[kMaxGears];
  for (int g = 0; g < rules.Gears(); ++g) teeth[g] = e.teeth[g];
  t.teeth.assign(teeth, teeth + rules.Gears());
  const Fraction r = e.Reduction();
  t.reduction = Reduced(r.num, r.den);
  t.dReduction = ToDouble(r);
  t.dDifference = judge.Target().Difference(r);
  t.relativePpm = judge.Target().RelativePpm(r);
  t.side = judge.Target().Side(r);
  t.variants = rules.Variants(teeth);
  return t;
}

void ForEachIndex(std::size_t count, const std::function<void(std::size_t)>& body) {
  tbb::parallel_for(std::size_t{0}, count, [&](std::size_t i) { body(i); });
}

namespace {

// The order of two rows' texts as the solution list sorts them (byte order: a blank
// before the point, the point before the digits), from the numbers the rows print: a
// field that fits its width sorts as its number does; wider ones are compared as text.
int CompareField(std::uint64_t a, std::uint64_t b, int width) {
  const auto length = [](std::uint64_t n) { return static_cast<int>(std::to_string(n / 1000).size()) + 4; };
  if (a == b) return 0;
  if (length(a) <= width && length(b) <= width) return a < b ? -1 : 1;
  std::string x, y;
  AppendThousandths(x, a, width);
  AppendThousandths(y, b, width);
  return CompareSolutionRows(x, y);
}

}  // namespace

DesignResult MakeResult(const DesignQuery& query, const Judge& judge, std::vector<DesignTrain> trains,
                        bool capCut, bool stopped) {
  DesignResult result;
  result.stopped = stopped;
  std::vector<std::uint32_t> order(trains.size());
  std::iota(order.begin(), order.end(), 0u);
  if (query.best == 0 && query.sort == SortOrder::Difference) {
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
      return judge.Target().CompareDifferences(trains[a].reduction, trains[b].reduction) < 0;
    });
  } else if (query.best == 0 && query.sort == SortOrder::Text) {
    struct Key {
      std::uint64_t difference, reduction;
    };
    std::vector<Key> keys(trains.size());
    ForEachIndex(trains.size(), [&](std::size_t i) {
      keys[i] = Key{judge.Target().DifferenceThousandths(trains[i].reduction), Thousandths(trains[i].reduction)};
    });
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
      if (const int c = CompareField(keys[a].difference, keys[b].difference, 8)) return c < 0;
      if (const int c = CompareField(keys[a].reduction, keys[b].reduction, 10)) return c < 0;
      return trains[a].teeth < trains[b].teeth;
    });
  }
  // Into that order in place (following each cycle of the permutation), so that the
  // trains are never held twice.
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (order[i] == i || order[i] == static_cast<std::uint32_t>(-1)) continue;
    DesignTrain held = std::move(trains[i]);
    std::size_t at = i;
    while (order[at] != i) {
      const std::size_t from = order[at];
      trains[at] = std::move(trains[from]);
      order[at] = static_cast<std::uint32_t>(-1);
      at = from;
    }
    trains[at] = std::move(held);
    order[at] = static_cast<std::uint32_t>(-1);
  }
  result.trains = std::move(trains);
  result.outcome = capCut ? DesignOutcome::MaximumExceeded
                   : result.trains.empty() ? DesignOutcome::NoConvergence
                                           : DesignOutcome::Solutions;
  return result;
}

}  // namespace quenmar::design::detail
