#include "SearchWorker.h"

#include <QElapsedTimer>
#include <algorithm>

namespace quenmar::design {

class SearchWorker::Operations : public DesignOperations {
 public:
  explicit Operations(SearchWorker& worker) : m_worker(worker) {}
  void Progress(const DesignProgress& progress) override {
    std::lock_guard lock(m_worker.m_mutex);
    m_worker.m_progress = progress;
  }
  void Listed(std::span<const DesignTrain> batch) override {
    std::lock_guard lock(m_worker.m_mutex);
    m_worker.m_listed.insert(m_worker.m_listed.end(), batch.begin(), batch.end());
  }
  void Snapshot(std::span<const DesignTrain> trains) override {
    std::vector<DesignTrain> copy(trains.begin(), trains.end());  // outside the lock
    std::lock_guard lock(m_worker.m_mutex);
    m_worker.m_snapshot = std::move(copy);
    m_worker.m_listed.clear();
  }

 private:
  SearchWorker& m_worker;
};

SearchWorker::SearchWorker(QObject* parent) : QObject(parent) {
  m_timer.setInterval(kDeliveryMs);
  connect(&m_timer, &QTimer::timeout, this, &SearchWorker::Deliver);
}

SearchWorker::~SearchWorker() {
  m_stop.store(true);
  if (m_thread.joinable()) m_thread.join();
}

bool SearchWorker::Start(const DesignQuery& query) {
  if (m_thread.joinable()) return false;
  m_stop.store(false);
  {
    std::lock_guard lock(m_mutex);
    m_snapshot.reset();
    m_listed.clear();
    m_progress.reset();
  }
  m_timer.setInterval(kDeliveryMs);
  m_thread = std::thread([this, query] {
    Operations operations(*this);
    DesignResult result = RunDesignSearch(query, operations, &m_stop, 0);
    QMetaObject::invokeMethod(
        this, [this, result = std::move(result)]() mutable { Finish(std::move(result)); },
        Qt::QueuedConnection);
  });
  m_timer.start();
  return true;
}

void SearchWorker::Stop() { m_stop.store(true); }

void SearchWorker::Deliver() {
  std::optional<std::vector<DesignTrain>> snapshot;
  std::vector<DesignTrain> listed;
  std::optional<DesignProgress> progress;
  {
    std::lock_guard lock(m_mutex);
    snapshot.swap(m_snapshot);
    listed.swap(m_listed);
    progress.swap(m_progress);
  }
  QElapsedTimer taken;
  taken.start();
  if (snapshot) emit snapshotTaken(*snapshot);
  if (!listed.empty()) emit trainsFound(listed);
  if (progress) emit progressed(*progress);
  // A table of millions takes a while to take a batch in: the window then gets at least
  // four times as long between batches to answer keys and scrolling.
  m_timer.setInterval(std::max<int>(kDeliveryMs, static_cast<int>(4 * taken.elapsed())));
}

void SearchWorker::Finish(DesignResult result) {
  if (m_thread.joinable()) m_thread.join();
  m_timer.stop();
  // What gathered since the last delivery is in the result; nothing more belongs to this search.
  {
    std::lock_guard lock(m_mutex);
    m_snapshot.reset();
    m_listed.clear();
    m_progress.reset();
  }
  m_result = std::move(result);
  emit finished();
}

}  // namespace quenmar::design
