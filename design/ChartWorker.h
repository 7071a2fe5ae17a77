#pragma once
// Runs a chart of many targets, the gears to buy or the fewest gears on a thread of its
// own, as SearchWorker does for one target: the progress reaches the window's thread on a
// timer, Stop sets the run's stop flag and the run then hands on what it found, marked
// stopped. The outcome carries what the window shows and what its exports write: the
// chart, the gears and the status line worded as quenmar-solve words them.

#include <QObject>
#include <QTimer>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ThreadChart.h"

namespace quenmar::design {

struct ChartJob {
  enum class Kind { Chart, Buy, Cover };
  Kind kind = Kind::Chart;
  DesignQuery query;
  std::vector<ChartTarget> targets;
  std::optional<LeadScrew> lead;
  std::int64_t best = 1;
  int buy = 1;                    // Kind::Buy: how many gears
  std::vector<int> candidates;    // Kind::Buy (Kind::Cover takes cover.candidates)
  CoverOptions cover;
};

struct ChartOutcome {
  ChartJob::Kind kind = ChartJob::Kind::Chart;
  Chart chart;
  std::vector<int> gears;              // to buy, or the whole set found
  std::string status;                  // "optimal", "time limit, lower bound 4", ...
  std::vector<std::size_t> gained;     // Kind::Buy: the targets the gears bring in reach
  int lowerBound = 0;                  // Kind::Cover: the fewest gears any covering set has
  std::optional<std::string> error;    // the run could not answer (nothing else is set)
  bool stopped = false;
  // The JSON members quenmar-solve writes before the chart's for the same question.
  std::string ExtraJson() const;
};

// The run itself, on the calling thread (the worker's body; tests call it for the expected).
ChartOutcome RunChartJob(const ChartJob& job, DesignOperations& operations, const std::atomic<bool>* stop);

class ChartWorker : public QObject {
  Q_OBJECT
 public:
  explicit ChartWorker(QObject* parent = nullptr);
  ~ChartWorker() override;  // stops a running job and waits for it

  bool Start(ChartJob job);  // false while one runs
  void Stop();
  bool Running() const { return m_thread.joinable(); }
  ChartOutcome TakeOutcome() { return std::move(m_outcome); }

 signals:
  void progressed(const quenmar::design::DesignProgress& progress);
  void finished();

 private:
  class Operations;
  void Deliver();

  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  QTimer m_timer;
  std::mutex m_mutex;
  std::optional<DesignProgress> m_progress;
  ChartOutcome m_outcome;
};

}  // namespace quenmar::design
