#include "ChartWorker.h"

namespace quenmar::design {

namespace {

std::string Join(const std::vector<int>& gears) {
  std::string s;
  for (int g : gears) s += (s.empty() ? "" : ", ") + std::to_string(g);
  return s;
}

}  // namespace

std::string ChartOutcome::ExtraJson() const {
  if (kind == ChartJob::Kind::Chart) return {};
  std::string extra = "  \"gears\": [" + Join(gears) + "],\n  \"status\": \"" + status + "\",\n  \"lower_bound\": ";
  if (kind == ChartJob::Kind::Cover) return extra + std::to_string(lowerBound);
  std::string names;
  for (std::size_t t : gained) names += std::string(names.empty() ? "" : ", ") + "\"" + chart.targets[t].target.text + "\"";
  return extra + "null,\n  \"gained\": [" + names + "]";
}

ChartOutcome RunChartJob(const ChartJob& job, DesignOperations& operations, const std::atomic<bool>* stop) {
  ChartOutcome out;
  out.kind = job.kind;
  switch (job.kind) {
    case ChartJob::Kind::Chart:
      out.chart = RunChart(job.query, job.targets, job.lead, job.best, operations, stop);
      out.stopped = out.chart.stopped;
      break;
    case ChartJob::Kind::Buy: {
      Purchase p = BestPurchase(job.query, job.targets, job.lead, job.best, job.buy, job.candidates, operations, stop);
      out.stopped = p.stopped;
      out.status = p.stopped ? "stopped, " + std::to_string(p.judged) + " of " + std::to_string(p.choices) +
                                   " choices judged"
                             : "optimal";
      out.gears = std::move(p.gears);
      out.gained = std::move(p.gained);
      out.chart = std::move(p.chart);
      break;
    }
    case ChartJob::Kind::Cover: {
      auto found = FewestGears(job.query, job.targets, job.lead, job.best, job.cover, operations, stop);
      if (const auto* message = std::get_if<std::string>(&found)) {
        out.error = *message;
        break;
      }
      Cover& c = std::get<Cover>(found);
      if (c.status == Cover::Status::Infeasible) {
        std::string names;
        for (std::size_t t : c.unreachable)
          names += (names.empty() ? "" : ", ") +
                   (job.targets[t].name.empty() ? job.targets[t].target.text : job.targets[t].name);
        out.error = "no set of the candidates reaches " + (names.empty() ? std::string("every target") : names) +
                    " within its tolerance: widen the tolerance or the candidates";
        break;
      }
      out.stopped = c.status == Cover::Status::Stopped;
      out.status = c.status == Cover::Status::Optimal ? "optimal"
                   : out.stopped ? "stopped, lower bound " + std::to_string(c.lowerBound)
                                 : "time limit, lower bound " + std::to_string(c.lowerBound);
      out.lowerBound = c.lowerBound;
      out.gears = std::move(c.gears);
      out.chart = std::move(c.chart);
      break;
    }
  }
  return out;
}

class ChartWorker::Operations : public DesignOperations {
 public:
  explicit Operations(ChartWorker& worker) : m_worker(worker) {}
  void Progress(const DesignProgress& progress) override {
    std::lock_guard lock(m_worker.m_mutex);
    m_worker.m_progress = progress;
  }

 private:
  ChartWorker& m_worker;
};

ChartWorker::ChartWorker(QObject* parent) : QObject(parent) {
  m_timer.setInterval(150);
  connect(&m_timer, &QTimer::timeout, this, &ChartWorker::Deliver);
}

ChartWorker::~ChartWorker() {
  m_stop.store(true);
  if (m_thread.joinable()) m_thread.join();
}

bool ChartWorker::Start(ChartJob job) {
  if (m_thread.joinable()) return false;
  m_stop.store(false);
  {
    std::lock_guard lock(m_mutex);
    m_progress.reset();
  }
  m_thread = std::thread([this, job = std::move(job)] {
    Operations operations(*this);
    ChartOutcome outcome = RunChartJob(job, operations, &m_stop);
    QMetaObject::invokeMethod(
        this,
        [this, outcome = std::move(outcome)]() mutable {
          if (m_thread.joinable()) m_thread.join();
          m_timer.stop();
          {
            std::lock_guard lock(m_mutex);
            m_progress.reset();
          }
          m_outcome = std::move(outcome);
          emit finished();
        },
        Qt::QueuedConnection);
  });
  m_timer.start();
  return true;
}

void ChartWorker::Stop() { m_stop.store(true); }

void ChartWorker::Deliver() {
  std::optional<DesignProgress> progress;
  {
    std::lock_guard lock(m_mutex);
    progress.swap(m_progress);
  }
  if (progress) emit progressed(*progress);
}

}  // namespace quenmar::design
