#pragma once
// The design search: beyond the form's search, for engineers who need every train, an
// exact ranking, the best K, one train per gear set, owned gears, hunting teeth,
// coaxial trains and free trains of up to six stages.
//
// Trains are compared exactly: a reduction is the fraction (N2*N4*...)/(N1*N3*...) in
// 64-bit integers and a target is a rational taken as written (3.624 is 453/125, 1e-20
// is 1/10^20), so ranking and acceptance never depend on rounding. Doubles appear only
// in what is printed. The search is exhaustive: it hands on exactly the trains that the
// plain nested loops over the same gears (N1 outermost, each ascending) would, filtered
// and ordered as the query says, but skips the combinations that cannot pass.
//
// Nothing here is global: the query is copied in, and results come back through the
// return value and the operations, so a search may run on a worker thread. The search
// itself spreads over as many cores as it is given; its result never depends on how many.

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "GeometryOptions.h"
#include "Planetary.h"
#include "TrainConfiguration.h"

namespace quenmar::design {

constexpr int kMaxStages = 6;
constexpr int kMaxGears = 2 * kMaxStages;
constexpr int kMaxTeeth = 500;
// The most trains a run lists or keeps: the largest best K and cap, and the cap of a
// run given none. Whether a run may keep that many is decided by the memory check.
constexpr std::int64_t kMostTrains = 10'000'000;

// A train's reduction: a non-negative fraction num/den with den > 0, in lowest terms.
struct Fraction {
  std::uint64_t num = 0;
  std::uint64_t den = 1;
  friend bool operator==(const Fraction&, const Fraction&) = default;
};
Fraction Reduced(std::uint64_t num, std::uint64_t den);  // den > 0
// The exact order of two fractions, without overflow: <0, 0 or >0.
int Compare(const Fraction& a, const Fraction& b);
double ToDouble(const Fraction& f);  // correctly rounded

// A target or a tolerance: an exact non-negative rational of any size, in lowest terms,
// kept as the decimal digits of its numerator and denominator.
class Rational {
 public:
  Rational() = default;                                  // 0
  Rational(std::uint64_t num, std::uint64_t den = 1);    // den > 0; reduced
  Rational(const Fraction& f) : Rational(f.num, f.den) {}  // NOLINT: a fraction is a rational
  // From the decimal digits of the two parts (no sign, no blanks); nothing when a part is
  // not digits or the denominator is 0.
  static std::optional<Rational> FromDigits(std::string_view num, std::string_view den);

  const std::string& Numerator() const { return num_; }
  const std::string& Denominator() const { return den_; }
  bool IsZero() const { return num_ == "0"; }
  std::optional<Fraction> AsFraction() const;  // when both parts fit 64 bits
  double ToDouble() const;                     // correctly rounded
  friend bool operator==(const Rational&, const Rational&) = default;

 private:
  std::string num_ = "0", den_ = "1";
};
int Compare(const Rational& a, const Rational& b);

// How far a reduction may lie from the target: an absolute amount, or a relative one
// (parts per million or per cent of the target).
struct Tolerance {
  enum class Unit { Absolute, Ppm, Percent };
  Unit unit = Unit::Absolute;
  Rational amount;   // exact, as written
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
  Rational target;
  std::string targetText;                // as written ("3.624", "127/90")
  std::optional<Tolerance> tolerance;    // required unless best > 0, where it only bounds
  std::int64_t best = 0;                 // 0: every train within tolerance; K: the K closest
  std::optional<std::int64_t> maxSolutions;  // caps the listed trains; none: kMostTrains
  SortOrder sort = SortOrder::Found;     // best > 0 implies Difference
  Distinct distinct = Distinct::None;
  std::vector<int> ownedGears;           // a multiset of teeth counts; empty: any count
  bool huntingTooth = false;             // gcd(driver, driven) == 1 in every mesh in use
  bool coaxial = false;                  // every stage in use has the same tooth sum
  // Modules, centre distances, profile shift, clearance (TrainGeometry.h): trains that
  // miss a condition asked for are not listed; enabled adds the geometry to CSV and JSON.
  geometry::GeometryOptions geometry;
  // A planetary train (Planetary.h) instead of a compound one: its kind, ranges and
  // conditions replace the configuration, stages, teeth bounds, coaxial and geometry
  // above; the target, tolerance, best, cap, sort, distinct kind (one train per gear
  // set and arrangement, whatever its number of planets), owned gears and hunting tooth
  // (in every mesh) apply as to other trains.
  std::optional<PlanetaryQuery> planetary;
};

// The gears a train of the query reports (k of the configuration, or 2 * stages; a
// planetary train's row, PlanetarySlots) and the meshes in use (1, 2 or 3 for the
// configurations' families, stages otherwise).
int GearCount(const DesignQuery& query);
int StageCount(const DesignQuery& query);

// Everything a query must satisfy before it runs: bound lists of the right length,
// teeth within 1..500, owned gears within 1..500, best and cap within their limits, a
// tolerance unless best > 0, geometric options that some train could meet
// (geometry::CheckGeometry), and trains to keep that fit the memory a desktop can spare
// (the message then says what to ask for instead). One line, or nothing when it may run.
std::optional<std::string> CheckDesignQuery(const DesignQuery& query);

// The most trains a run may list or keep in the memory a desktop can spare (a little
// below kMostTrains); CheckDesignQuery refuses more.
std::int64_t MostKeptTrains();

// How long a query would take, roughly, on this kind of machine with `threads` cores
// (0: every core), for a warning before a run that would take hours.
struct DesignEstimate {
  double seconds = 0;       // of the way the engine would take; rough, for messages
  double combinations = 0;  // trains the plain nested loops would visit
  std::string narrow;       // the gears whose ranges to narrow first ("N1, N3 and N5")
};
DesignEstimate EstimateDesignSearch(const DesignQuery& query, int threads = 0);

struct DesignTrain {
  std::vector<int> teeth;        // N1..Nk
  Fraction reduction;            // in lowest terms
  double dReduction = 0.0;       // the reduction, rounded once
  double dDifference = 0.0;      // |R - T|, from the exact difference, rounded once
  double relativePpm = 0.0;      // 1e6 * |R - T| / T (0 when T is 0)
  int side = 0;                  // the sign of R - T: -1 below the target, 0 on it, 1 above
  std::int64_t variants = 1;     // trains of the loops this one stands for (distinct)
};

// The exact order of two trains by |R - T|; ties are equal (0).
int CompareDifference(const DesignTrain& a, const DesignTrain& b, const Rational& target);

// The row text: "%8.3f%10.3f" of difference and reduction, then "%7d" per gear, as the
// form's rows for 2, 4 or 6 gears and the same pattern for up to 12. The two numbers
// are the exact |R - T| and R rounded once to three places (halves to even), not their
// doubles rounded again.
std::string FormatDesignRow(const DesignTrain& train, const Rational& target);
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

// One of several targets searched in one enumeration (a chart of threads for one box of
// change gears, the hands of a clock): the target, how near a train must come, and how
// many trains to keep.
struct DesignTarget {
  Rational target;
  std::string text;                       // as written, for the outputs
  std::optional<Tolerance> tolerance;     // with best == 0 the trains within it are listed
  std::int64_t best = 1;                  // the K closest (ties in loop order); 0: a listing
  std::optional<std::int64_t> maxSolutions;
};

// Where a run stands, for a progress bar and a status line.
struct DesignProgress {
  int percent = 0;              // 0..100 of the work the run expects
  double elapsedSeconds = 0;
  double secondsLeft = -1;      // estimated once the run has gone on a while; -1: not yet
  std::int64_t found = 0;       // trains listed so far, or kept among the K closest
};

// What a run tells while it goes on. Every call comes from the thread that called
// RunDesignSearch, never from the search's own threads, and never two at once.
class DesignOperations {
 public:
  virtual ~DesignOperations() = default;
  // At the start, then at least four times a second while the run goes on, and at the end.
  virtual void Progress(const DesignProgress& /*progress*/) {}
  // While best == 0: trains newly listed, in loop order, each batch continuing the last,
  // with their final variants.
  virtual void Listed(std::span<const DesignTrain> /*batch*/) {}
  // Where trains are not found in loop order (the best K, and listings found by their
  // products): the trains the result would hold if the run ended now, in the result's
  // order, whenever they have changed (at most four times a second); each call replaces
  // the last. For the best K, the closest so far.
  virtual void Snapshot(std::span<const DesignTrain> /*trains*/) {}
};

// Runs a query that CheckDesignQuery accepted, on `threads` cores (0: every core; 1: on
// the calling thread alone). The stop flag (may be null) is obeyed within a fraction of
// a second; the result then holds what was found, marked stopped: for a listing the
// trains of the loops up to where every part had come in loop order, for the best K
// the closest so far.
//
// What is listed, where the options meet:
// - Without best, the listed trains are the first M (the cap, or kMostTrains) of the
//   loops within the tolerance, one per class when distinct; the sort order only
//   arranges them. The run ends once it knows them (and whether one more exists).
// - With best K, the K closest by exact |R - T|, equally close ones in loop order; one
//   per class when distinct (a class's trains share their reduction), ranked by its
//   first train in loop order; then the first M of those when a cap is given.
// - A class is the multiset of the meshes in use (Meshes) or the multisets of drivers
//   and of driven gears in use (Gears): N5 and N6 of a double and the unused gears of a
//   single are not part of it, nor of the owned-gear, hunting-tooth and coaxial tests,
//   which read the reported gears N1..Nk only. A class's variants count every train of
//   the loops in it that passes the filters.
// - The output is the same, byte for byte, for every number of threads.
DesignResult RunDesignSearch(const DesignQuery& query, DesignOperations& operations,
                             const std::atomic<bool>* stop = nullptr, int threads = 0);

// The same query for a query's own target, tolerance, best and cap replaced by a
// target's: what RunDesignSearch would search for that target.
DesignQuery QueryFor(const DesignQuery& query, const DesignTarget& target);

// Every target at once: the trains of `query` (its kind, gears, filters, distinct kind
// and sort; its own target, tolerance, best and cap are not used) enumerated once, with a
// collector per target. Result i is what RunDesignSearch gives for QueryFor(query,
// targets[i]), byte for byte; the runs are refused as a whole by CheckDesignTargets.
// Progress as for one search; no Listed or Snapshot. A stop ends every target's search.
std::optional<std::string> CheckDesignTargets(const DesignQuery& query, std::span<const DesignTarget> targets);
std::vector<DesignResult> RunDesignSearches(const DesignQuery& query, std::span<const DesignTarget> targets,
                                            DesignOperations& operations, const std::atomic<bool>* stop = nullptr,
                                            int threads = 0);

}  // namespace quenmar::design
