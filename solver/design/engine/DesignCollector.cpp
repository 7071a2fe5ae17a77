#include "DesignCollector.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numeric>
#include <string>

#include "SolutionRow.h"

namespace quenmar::design::detail {

Collector::Collector(const DesignQuery& query, const Plan& plan, DesignOperations& operations)
    : query_(query), plan_(plan), operations_(operations), target_(*query.target.AsFraction()) {
  if (query.tolerance) {
    const Tolerance& t = *query.tolerance;
    bounded_ = true;
    if (t.unit == Tolerance::Unit::Absolute) {
      boundNum_ = t.amount.AsFraction()->num;
      boundDen_ = t.amount.AsFraction()->den;
      toleranceRadius_ = QuotientToDouble(boundNum_, boundDen_);
    } else {
      // |R - T| <= a * T / s  <=>  diff / den <= a.num * T.num / (a.den * s), with the
      // difference's own T.den cancelled: every part stays within 128 bits.
      perTargetDen_ = false;
      const std::uint64_t scale = t.unit == Tolerance::Unit::Ppm ? 1'000'000 : 100;
      boundNum_ = u128{t.amount.AsFraction()->num} * target_.num;
      boundDen_ = u128{t.amount.AsFraction()->den} * scale;
      toleranceRadius_ = QuotientToDouble(boundNum_, boundDen_) / static_cast<double>(target_.den);
    }
  }
  radius_ = toleranceRadius_;
  if (const geometry::TrainRules rules(query.geometry, plan.stages, query.coaxial); rules.Filters())
    geometry_.emplace(rules);
  if (query.maxSolutions) cap_ = *query.maxSolutions;
  if (query.best > 0) {
    capacity_ = static_cast<std::size_t>(query.best);
    if (cap_ >= 0 && cap_ < query.best) capacity_ = static_cast<std::size_t>(cap_) + 1;
    entries_.reserve(std::min<std::size_t>(capacity_, 1 << 16));
  } else if (cap_ < 0) {
    cap_ = kMostTrains;
  }
}

bool Collector::Within(u128 diff, std::uint64_t den) const {
  if (!bounded_) return true;
  const u128 over = perTargetDen_ ? u128{den} * target_.den : u128{den};
  return CompareQuotients(diff, over, boundNum_, boundDen_) <= 0;
}

bool Collector::Admits(std::uint64_t den, u128 diff) const {
  if (!Within(diff, den)) return false;
  if (query_.best == 0 || entries_.size() < capacity_) return true;
  const Entry& worst = entries_.front();
  return CompareQuotients(diff, den, worst.diff, worst.den) <= 0;
}

Collector::Key Collector::ClassOf(const int* teeth) const {
  Key key;
  const int stages = plan_.stages;
  if (query_.distinct == Distinct::Meshes) {
    std::array<std::uint64_t, kMaxStages> meshes{};
    for (int s = 0; s < stages; ++s)
      meshes[s] = static_cast<std::uint64_t>(teeth[2 * s]) << 9 | static_cast<std::uint64_t>(teeth[2 * s + 1]);
    std::sort(meshes.begin(), meshes.begin() + stages);
    for (int s = 0; s < stages; ++s) (s < 3 ? key.a : key.b) |= meshes[s] << (18 * (s % 3));
  } else {
    std::array<std::uint64_t, kMaxStages> drivers{}, driven{};
    for (int s = 0; s < stages; ++s) {
      drivers[s] = static_cast<std::uint64_t>(teeth[2 * s]);
      driven[s] = static_cast<std::uint64_t>(teeth[2 * s + 1]);
    }
    std::sort(drivers.begin(), drivers.begin() + stages);
    std::sort(driven.begin(), driven.begin() + stages);
    for (int s = 0; s < stages; ++s) {
      key.a |= drivers[s] << (9 * s);
      key.b |= driven[s] << (9 * s);
    }
  }
  return key;
}

Collector::Entry Collector::MakeEntry(const int* teeth, std::uint64_t num, std::uint64_t den,
                                      u128 diff) const {
  Entry e;
  for (int g = 0; g < plan_.gears; ++g) e.teeth[g] = static_cast<std::int16_t>(teeth[g]);
  e.num = num;
  e.den = den;
  e.diff = diff;
  if (query_.distinct != Distinct::None) e.key = ClassOf(teeth);
  return e;
}

bool Collector::Before(const Entry& a, const Entry& b) const {
  const int c = CompareQuotients(a.diff, a.den, b.diff, b.den);
  if (c != 0) return c < 0;
  return a.teeth < b.teeth;
}

bool Collector::Add(const int* teeth, std::uint64_t num, std::uint64_t den, u128 diff) {
  if (!Within(diff, den) || (geometry_ && !geometry_->Fits(teeth))) return true;
  return query_.best > 0 ? AddBest(teeth, num, den, diff) : AddListed(teeth, num, den, diff);
}

void Collector::ListOutOfOrder() {
  if (query_.best == 0) unordered_ = true;
}

namespace {
bool EarlierInLoops(const auto& a, const auto& b) { return a.teeth < b.teeth; }
}  // namespace

void Collector::AddUnordered(const Entry& e) {
  entries_.push_back(e);
  std::push_heap(entries_.begin(), entries_.end(), EarlierInLoops<Entry, Entry>);
  if (static_cast<std::int64_t>(entries_.size()) > cap_ + 1) {
    std::pop_heap(entries_.begin(), entries_.end(), EarlierInLoops<Entry, Entry>);
    entries_.pop_back();
  }
}

void Collector::EndGroup() {
  for (const Entry& e : group_) AddUnordered(e);
  group_.clear();
}

bool Collector::AddListed(const int* teeth, std::uint64_t num, std::uint64_t den, u128 diff) {
  Entry e = MakeEntry(teeth, num, den, diff);
  if (unordered_) {
    if (query_.distinct == Distinct::None) {
      AddUnordered(e);
      return true;
    }
    // A group holds few classes: the first train of each stands for the rest.
    const auto same = std::find_if(group_.begin(), group_.end(), [&](const Entry& g) { return g.key == e.key; });
    if (same != group_.end()) ++same->variants;
    else group_.push_back(e);
    return true;
  }
  if (query_.distinct != Distinct::None) {
    const auto found = classes_.find(e.key);
    if (found != classes_.end()) {
      ++entries_[found->second].variants;
      return true;
    }
  }
  if (cap_ >= 0 && static_cast<std::int64_t>(entries_.size()) >= cap_) {
    // Past the cap: a distinct run goes on so the listed trains' variants are complete.
    capCut_ = true;
    return query_.distinct != Distinct::None;
  }
  if (query_.distinct != Distinct::None) classes_.emplace(e.key, entries_.size());
  entries_.push_back(e);
  if (entries_.size() - flushed_ >= 1024) Flush();
  return true;
}

bool Collector::AddBest(const int* teeth, std::uint64_t num, std::uint64_t den, u128 diff) {
  Entry e = MakeEntry(teeth, num, den, diff);
  const bool distinct = query_.distinct != Distinct::None;
  if (distinct) {
    const auto found = classes_.find(e.key);
    if (found != classes_.end()) {
      ++found->second;  // the class's variants, while it is among the closest
      return true;
    }
  }
  const auto after = [this](const Entry& a, const Entry& b) { return Before(a, b); };
  if (entries_.size() < capacity_) {
    entries_.push_back(e);
    std::push_heap(entries_.begin(), entries_.end(), after);
  } else {
    if (!Before(e, entries_.front())) return true;
    // A class dropped here never returns: its trains are all at least as far as the
    // ones kept, and come later than those equally far.
    std::pop_heap(entries_.begin(), entries_.end(), after);
    if (distinct) classes_.erase(entries_.back().key);
    entries_.back() = e;
    std::push_heap(entries_.begin(), entries_.end(), after);
  }
  if (distinct) classes_.emplace(e.key, 1);
  if (entries_.size() == capacity_) UpdateRadius();
  return true;
}

void Collector::UpdateRadius() {
  const Entry& worst = entries_.front();
  const double r = QuotientToDouble(worst.diff, u128{worst.den} * target_.den);
  radius_ = std::min(toleranceRadius_, r);
}

double Collector::Radius() const { return radius_; }

DesignTrain Collector::TrainOf(const Entry& e) const {
  DesignTrain t;
  t.teeth.assign(e.teeth.begin(), e.teeth.begin() + plan_.gears);
  t.reduction = Reduced(e.num, e.den);
  t.dReduction = QuotientToDouble(e.num, e.den);
  t.dDifference = QuotientToDouble(e.diff, u128{e.den} * target_.den);
  t.relativePpm = target_.num == 0 ? 0.0 : 1e6 * QuotientToDouble(e.diff, u128{e.den} * target_.num);
  t.side = Compare(t.reduction, target_);
  t.variants = e.variants;
  return t;
}

void Collector::Flush() {
  if (query_.best > 0 || unordered_ || flushed_ == entries_.size()) return;
  std::vector<DesignTrain> batch;
  batch.reserve(entries_.size() - flushed_);
  for (std::size_t i = flushed_; i < entries_.size(); ++i) batch.push_back(TrainOf(entries_[i]));
  flushed_ = entries_.size();
  operations_.Listed(batch);
}

std::vector<DesignTrain> Collector::Current() const {
  std::vector<Entry> entries = entries_;
  if (query_.best > 0) {
    std::sort(entries.begin(), entries.end(), [this](const Entry& a, const Entry& b) { return Before(a, b); });
    if (cap_ >= 0 && static_cast<std::int64_t>(entries.size()) > cap_) entries.resize(static_cast<std::size_t>(cap_));
  } else {
    std::sort(entries.begin(), entries.end(), EarlierInLoops<Entry, Entry>);
    if (static_cast<std::int64_t>(entries.size()) > cap_) entries.resize(static_cast<std::size_t>(cap_));
  }
  std::vector<DesignTrain> trains;
  trains.reserve(entries.size());
  for (const Entry& e : entries) trains.push_back(TrainOf(e));
  return trains;
}

DesignResult Collector::Finish(bool stopped) {
  DesignResult result;
  result.stopped = stopped;
  if (query_.best > 0) {
    const auto after = [this](const Entry& a, const Entry& b) { return Before(a, b); };
    std::sort_heap(entries_.begin(), entries_.end(), after);
    if (query_.distinct != Distinct::None)
      for (Entry& e : entries_) e.variants = classes_.at(e.key);
    if (cap_ >= 0 && static_cast<std::int64_t>(entries_.size()) > cap_) {
      entries_.resize(static_cast<std::size_t>(cap_));
      capCut_ = true;
    }
    for (const Entry& e : entries_) result.trains.push_back(TrainOf(e));
  } else {
    if (unordered_) {
      EndGroup();
      std::sort(entries_.begin(), entries_.end(), EarlierInLoops<Entry, Entry>);
      if (static_cast<std::int64_t>(entries_.size()) > cap_) {
        entries_.resize(static_cast<std::size_t>(cap_));
        capCut_ = true;
      }
      unordered_ = false;
    }
    Flush();
    std::vector<DesignTrain> trains;
    trains.reserve(entries_.size());
    for (const Entry& e : entries_) trains.push_back(TrainOf(e));
    std::vector<std::size_t> order(entries_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (query_.sort == SortOrder::Text) {
      std::vector<std::string> rows;
      rows.reserve(trains.size());
      for (const DesignTrain& t : trains) rows.push_back(FormatDesignRow(t, query_.target));
      std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return CompareSolutionRows(rows[a], rows[b]) < 0;
      });
    } else if (query_.sort == SortOrder::Difference) {
      std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return CompareQuotients(entries_[a].diff, entries_[a].den, entries_[b].diff,
                                entries_[b].den) < 0;
      });
    }
    result.trains.reserve(order.size());
    for (std::size_t i : order) result.trains.push_back(std::move(trains[i]));
  }
  result.outcome = capCut_ ? DesignOutcome::MaximumExceeded
                   : result.trains.empty() ? DesignOutcome::NoConvergence
                                           : DesignOutcome::Solutions;
  return result;
}

void Pacer::Position(double fraction) {
  const int percent = std::clamp(static_cast<int>(std::floor(fraction * 100.0 + 1e-9)), 0, 100);
  if (percent > percent_) {
    percent_ = percent;
    Report();
  }
  if (stop_ != nullptr && stop_->load(std::memory_order_relaxed)) stopped_ = true;
}

void Pacer::Report() {
  const auto now = std::chrono::steady_clock::now();
  last_ = now;
  DesignProgress progress;
  progress.percent = std::max(percent_, 0);
  progress.elapsedSeconds = std::chrono::duration<double>(now - start_).count();
  if (progress.elapsedSeconds > 2 && progress.percent > 0)
    progress.secondsLeft = progress.elapsedSeconds * (100 - progress.percent) / progress.percent;
  progress.found = sink_.Found();
  operations_.Progress(progress);
  sink_.Flush();
  if (sink_.SnapshotKind()) {
    const std::vector<DesignTrain> current = sink_.Current();
    operations_.Snapshot(current);
  }
}

void Pacer::Poll() {
  next_ = work_ + kPollEvery;
  if (stop_ != nullptr && stop_->load(std::memory_order_relaxed)) stopped_ = true;
  if (std::chrono::steady_clock::now() - last_ > std::chrono::milliseconds(250)) Report();
}

}  // namespace quenmar::design::detail
