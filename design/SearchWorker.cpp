#include "SearchWorker.h"

namespace quenmar::design {

class SearchWorker::Operations : public DesignOperations {
 public:
  explicit Operations(SearchWorker& worker) : m_worker(worker) {}
  void Progress(const DesignProgress& progress) override {
    m_worker.m_percent.store(progress.percent, std::memory_order_relaxed);
    m_worker.Schedule();
  }
  void Listed(std::span<const DesignTrain> batch) override {
    {
      std::lock_guard lock(m_worker.m_mutex);
      m_worker.m_pending.insert(m_worker.m_pending.end(), batch.begin(), batch.end());
    }
    m_worker.Schedule();
  }

 private:
  SearchWorker& m_worker;
};

SearchWorker::SearchWorker(QObject* parent) : QObject(parent) {}

SearchWorker::~SearchWorker() {
  m_stop.store(true);
  if (m_thread.joinable()) m_thread.join();
}

bool SearchWorker::Start(const DesignQuery& query) {
  if (m_thread.joinable()) return false;
  m_stop.store(false);
  m_percent.store(0);
  m_shownPercent = -1;
  m_pending.clear();
  m_scheduled = false;
  m_thread = std::thread([this, query] {
    Operations operations(*this);
    DesignResult result = RunDesignSearch(query, operations, &m_stop);
    QMetaObject::invokeMethod(
        this, [this, result = std::move(result)]() mutable { Finish(std::move(result)); },
        Qt::QueuedConnection);
  });
  return true;
}

void SearchWorker::Stop() { m_stop.store(true); }

void SearchWorker::Schedule() {
  {
    std::lock_guard lock(m_mutex);
    if (m_scheduled) return;
    m_scheduled = true;
  }
  QMetaObject::invokeMethod(this, [this] { Deliver(); }, Qt::QueuedConnection);
}

void SearchWorker::Deliver() {
  std::vector<DesignTrain> batch;
  {
    std::lock_guard lock(m_mutex);
    batch.swap(m_pending);
    m_scheduled = false;
  }
  const int percent = m_percent.load(std::memory_order_relaxed);
  if (percent != m_shownPercent) {
    m_shownPercent = percent;
    emit progressed(percent);
  }
  if (!batch.empty()) emit trainsFound(batch);
}

void SearchWorker::Finish(DesignResult result) {
  if (m_thread.joinable()) m_thread.join();
  // Trains delivered after this point would belong to no search.
  {
    std::lock_guard lock(m_mutex);
    m_pending.clear();
  }
  m_result = std::move(result);
  emit finished();
}

}  // namespace quenmar::design
