#pragma once
// The design search: beyond the form's search, for engineers who need every train, an
// exact ranking, the best K, one train per gear set, owned gears, hunting teeth,
// coaxial trains and free trains of up to six stages.
//
// Trains are compared exactly: a reduction is the fraction (N2*N4*...)/(N1*N3*...) in
// 64-bit integers and a target is a fraction taken as written (3.624 is 453/125), so
// ranking and acceptance never depend on rounding. Doubles appear only in what is
// printed. The search is exhaustive: it hands on exactly the trains that the plain
// nested loops over the same gears (N1 outermost, each ascending) would, filtered and
// ordered as the query says, but skips the combinations that cannot pass.
//
// Nothing here is global: the query is copied in, and results come back through the
// return value and the operations, so a search may run on a worker thread.

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "TrainConfiguration.h"

namespace quenmar::design {

constexpr int kMaxStages = 6;
constexpr int kMaxGears = 2 * kMaxStages;
constexpr int kMaxTeeth = 500;
// The most trains a run lists or keeps: the largest best K and cap, and the cap of a
// run given none, so that what a run holds stays within the memory of a desktop.
constexpr std::int64_t kMostTrains = 10'000'000;

// A non-negative fraction num/den with den > 0, kept in lowest terms.
struct Fraction {
  std::uint64_t num = 0;
  std::uint64_t den = 1;
  friend bool operator==(const Fraction&, const Fraction&) = default;
};
Fraction Reduced(std::uint64_t num, std::uint64_t den);  // den > 0
// The exact order of two fractions, without overflow: <0, 0 or >0.
int Compare(const Fraction& a, const Fraction& b);
double ToDouble(const Fraction& f);  // correctly rounded where the parts allow

// How far a reduction may lie from the target: an absolute amount, or a relative one
// (parts per million or per cent of the target).
struct Tolerance {
  enum class Unit { Absolute, Ppm, Percent };
  Unit unit = Unit::Absolute;
  Fraction amount;   // exact, as written
  std::string text;  // as written, for headers and JSON ("0.01", "5ppm", "0.01%")
};

enum class SortOrder { Found, Text, Difference };
enum class Distinct { None, Meshes, Gears };

struct DesignQuery {
  // Either one of the seven configurations (stages == 0) or a free train of 1..6
  // stages: reduction (N2*N4*...*N2K)/(N1*N3*...*N2K-1), no ties, no exclusion.
  int configuration = kStartupConfiguration;  // 0..6, used when stages == 0
  int stages = 0;                             // 0, or 1..6
  // One entry per gear, N1 first: six for a configuration (the family decides which are
  // searched, as in the form's search: a double holds N5 and N6 at their minima and
  // they still count in the reduction), 2 * stages for a free train.
  std::vector<int> minTeeth, maxTeeth;
  Fraction target;
  std::string targetText;                // as written ("3.624", "127/90")
  std::optional<Tolerance> tolerance;    // required unless best > 0, where it only bounds
  std::int64_t best = 0;                 // 0: every train within tolerance; K: the K closest
  std::optional<std::int64_t> maxSolutions;  // caps the listed trains; none: kMostTrains
  SortOrder sort = SortOrder::Found;     // best > 0 implies Difference
  Distinct distinct = Distinct::None;
  std::vector<int> ownedGears;           // a multiset of teeth counts; empty: any count
  bool huntingTooth = false;             // gcd(driver, driven) == 1 in every mesh in use
  bool coaxial = false;                  // every stage in use has the same tooth sum
};

// The gears a train of the query reports (k of the configuration, or 2 * stages) and
// the meshes in use (1, 2 or 3 for the configurations' families, stages otherwise).
int GearCount(const DesignQuery& query);
int StageCount(const DesignQuery& query);

// Everything a query must satisfy before it runs: bound lists of the right length,
// teeth within 1..500, owned gears within 1..500, best and cap within their limits, a
// tolerance unless best > 0, and tables that fit the memory a desktop can spare (the
// message then says which ranges to narrow). One line, or nothing when it may run.
std::optional<std::string> CheckDesignQuery(const DesignQuery& query);

struct DesignTrain {
  std::vector<int> teeth;        // N1..Nk
  Fraction reduction;            // in lowest terms
  double dReduction = 0.0;       // the reduction, rounded once
  double dDifference = 0.0;      // |R - T|, from the exact difference, rounded once
  double relativePpm = 0.0;      // 1e6 * |R - T| / T (0 when T is 0)
  std::int64_t variants = 1;     // trains of the loops this one stands for (distinct)
};

// The exact order of two trains by |R - T|; ties are equal (0).
int CompareDifference(const DesignTrain& a, const DesignTrain& b, const Fraction& target);

// The row text: "%8.3f%10.3f" of difference and reduction, then "%7d" per gear, as the
// form's rows for 2, 4 or 6 gears and the same pattern for up to 12.
std::string FormatDesignRow(const DesignTrain& train);
// The column header line above such rows: the form's for 2, 4 and 6 gears, growing
// with the same pattern for more.
std::string DesignColumnHeader(int gearCount);

// How a run ended. MaximumExceeded: the cap left out at least one train (one class when
// distinct) that would otherwise have been listed: more than M qualified, or, for the
// best K with M below K, more than M. It wins over NoConvergence, so a cap of 0 with
// qualifying trains reports MaximumExceeded and lists nothing. NoConvergence: nothing
// listed and nothing left out. Solutions otherwise.
enum class DesignOutcome { Solutions, NoConvergence, MaximumExceeded };

struct DesignResult {
  std::vector<DesignTrain> trains;  // listed trains, in the query's sort order
  DesignOutcome outcome = DesignOutcome::NoConvergence;
  bool stopped = false;             // the stop flag was seen before the search finished
};

class DesignOperations {
 public:
  virtual ~DesignOperations() = default;
  // 0..100, now and then (never more than once per percent).
  virtual void Progress(int /*percent*/) {}
  // While best == 0: trains newly listed, in loop order, in batches. Their variants may
  // still grow; the result holds the final trains in the query's order.
  virtual void Listed(std::span<const DesignTrain> /*batch*/) {}
};

// Runs a query that CheckDesignQuery accepted. The stop flag (may be null) is polled
// after bounded work; when it is set the search ends soon and the result holds what was
// found (for best > 0, the best so far), marked stopped.
//
// What is listed, where the options meet:
// - Without best, the listed trains are the first M (the cap, or kMostTrains) of the
//   loops within the tolerance, one per class when distinct; the sort order only
//   arranges them. Without distinct the run ends at the first train past the cap; with
//   distinct it goes on to the end so that every listed train's variants count all the
//   loops' trains of its class.
// - With best K, the K closest by exact |R - T|, equally close ones in loop order; one
//   per class when distinct (a class's trains share their reduction), ranked by its
//   first train; then the first M of those when a cap is given.
// - A class is the multiset of the meshes in use (Meshes) or the multisets of drivers
//   and of driven gears in use (Gears): N5 and N6 of a double and the unused gears of a
//   single are not part of it, nor of the owned-gear, hunting-tooth and coaxial tests,
//   which read the reported gears N1..Nk only.
// - Where the loops would be very long, a listing may be found out of loop order (by
//   the products of drivers and of driven gears): the same trains, handed to Listed in
//   one batch at the end; a stopped run then lists, in loop order, what it had found.
// - Memory: the engine's tables are sized within a fixed budget (well under 2 GiB) and
//   it falls back to more loops rather than larger tables; CheckDesignQuery refuses a
//   query only where the trains it must keep would not fit.
DesignResult RunDesignSearch(const DesignQuery& query, DesignOperations& operations,
                             const std::atomic<bool>* stop = nullptr);

}  // namespace quenmar::design
