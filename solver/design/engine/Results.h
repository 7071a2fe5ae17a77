#pragma once
// A run's kept trains turned into what it reports: each train with its reduction and
// difference rounded once, its side of the target and, for a distinct listing, the
// variants its class holds; the listing in the order the query asks for.

#include <functional>
#include <vector>

#include "Collectors.h"

namespace quenmar::design::detail {

DesignTrain TrainOf(const Entry& e, const Judge& judge);
// body(i) for i in [0, count), on the threads of the arena that calls it.
void ForEachIndex(std::size_t count, const std::function<void(std::size_t)>& body);
// The trains of entries[begin, end).
template <typename Entries>
std::vector<DesignTrain> TrainsOf(const Entries& entries, const Judge& judge, std::size_t begin = 0,
                                  std::size_t end = static_cast<std::size_t>(-1));

// The result of a run: `trains` are those it lists (for a listing in loop order, for the
// best K by closeness), at most the cap of them; capCut says the cap left one out.
DesignResult MakeResult(const DesignQuery& query, const Judge& judge, std::vector<DesignTrain> trains,
                        bool capCut, bool stopped);

template <typename Entries>
std::vector<DesignTrain> TrainsOf(const Entries& entries, const Judge& judge, std::size_t begin, std::size_t end) {
  end = std::min(end, entries.size());
  std::vector<DesignTrain> trains(end > begin ? end - begin : 0);
  ForEachIndex(trains.size(), [&](std::size_t i) { trains[i] = TrainOf(entries[begin + i], judge); });
  return trains;
}

}  // namespace quenmar::design::detail
