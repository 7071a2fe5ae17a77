#pragma once
// Runs one design search on a thread of its own, over every core. What the search tells
// while it runs (trains listed in loop order, the snapshot of the trains it would hand on
// now, the progress) gathers under a lock and reaches the window's thread on a timer, in
// batches: never one queued event per train, and never more often than the table can take
// while it stays free for typing and scrolling. Stop sets the search's stop flag; the
// search then ends soon and hands on what it has, marked stopped.

#include <QObject>
#include <QTimer>
#include <atomic>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "DesignSearch.h"

namespace quenmar::design {

class SearchWorker : public QObject {
  Q_OBJECT
 public:
  // How often gathered results reach the window while a search runs.
  static constexpr int kDeliveryMs = 150;

  explicit SearchWorker(QObject* parent = nullptr);
  ~SearchWorker() override;  // stops a running search and waits for it

  // Starts `query` (accepted by CheckDesignQuery); false while a search runs.
  bool Start(const DesignQuery& query);
  void Stop();
  bool Running() const { return m_thread.joinable(); }
  // The result of the search that last finished (moved out: a large list is not copied).
  DesignResult TakeResult() { return std::move(m_result); }

 signals:
  // The trains as the search would hand them on now: they replace those shown.
  void snapshotTaken(const std::vector<quenmar::design::DesignTrain>& trains);
  // Trains newly listed in loop order, after those shown.
  void trainsFound(const std::vector<quenmar::design::DesignTrain>& batch);
  void progressed(const quenmar::design::DesignProgress& progress);
  void finished();  // TakeResult() then hands on the result

 private:
  class Operations;
  void Deliver();
  void Finish(DesignResult result);

  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  QTimer m_timer;
  std::mutex m_mutex;  // guards what follows, up to m_result
  std::optional<std::vector<DesignTrain>> m_snapshot;
  std::vector<DesignTrain> m_listed;  // after the snapshot, when there is one
  std::optional<DesignProgress> m_progress;
  DesignResult m_result;
};

}  // namespace quenmar::design
