#pragma once
// Runs one design search on a thread of its own. Trains found while it runs, and the
// progress, reach the window's thread in batches: whatever has gathered since the last
// delivery, never one queued event per train. Stop sets the search's stop flag; the
// search then ends soon and hands on what it has, marked stopped.

#include <QObject>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "DesignSearch.h"

namespace quenmar::design {

class SearchWorker : public QObject {
  Q_OBJECT
 public:
  explicit SearchWorker(QObject* parent = nullptr);
  ~SearchWorker() override;  // stops a running search and waits for it

  // Starts `query` (accepted by CheckDesignQuery); false while a search runs.
  bool Start(const DesignQuery& query);
  void Stop();
  bool Running() const { return m_thread.joinable(); }
  // The result of the search that last finished (moved out: a large list is not copied).
  DesignResult TakeResult() { return std::move(m_result); }

 signals:
  void trainsFound(const std::vector<quenmar::design::DesignTrain>& batch);
  void progressed(int percent);
  void finished();  // TakeResult() then hands on the result

 private:
  class Operations;
  void Deliver();
  void Schedule();
  void Finish(DesignResult result);

  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_percent{0};
  std::mutex m_mutex;
  std::vector<DesignTrain> m_pending;  // guarded by m_mutex
  bool m_scheduled = false;            // guarded by m_mutex: a delivery is queued
  int m_shownPercent = -1;
  DesignResult m_result;
};

}  // namespace quenmar::design
