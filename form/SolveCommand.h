#pragma once
// CSolveCommand: "Push To SOLVE" for one form. The search runs on a worker thread over a
// copy of the values committed when the command starts, so the window keeps repainting and
// its progress bar moves while it searches; only one search runs at a time, and the form's
// inputs are disabled until it has ended.
//
// While a search runs, ALT alone, any key with ALT held, or F10, pressed anywhere in the
// application, shows "Calculation Stopped..." at once; the worker ends at its next message
// step, keeping every solution handed on so far. The end of the run (progress reset, tone,
// results file closing lines, profile, count, outcome dialogs) follows once the search has
// ended and that dialog has been closed.
//
// Nothing in the worker touches a widget: it appends row texts to a guarded batch that the
// user-interface thread drains on a timer into the sorted list, and it publishes its
// progress position through an atomic. With file output the worker writes the rows itself;
// the file is not touched by the user-interface thread while the worker runs.

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ResultsFile.h"
#include "SearchSolutions.h"
#include "Tone.h"

class CQuenmarView;
class QWidget;

class CSolveCommand : public QObject {
  Q_OBJECT
 public:
  explicit CSolveCommand(CQuenmarView& view);
  ~CSolveCommand() override;

  // Steps 1 to 6 of the command; the rest runs when the search has ended. Does nothing
  // while a search is running.
  void Start();
  bool IsRunning() const { return m_running; }

  // Test seams: a pause before every message step of the worker, to make a short search
  // long; and what sounds the end-of-run tone (the sound system by default).
  void SetStepDelay(std::chrono::microseconds delay) { m_stepDelay = delay; }
  void SetTone(std::function<void()> tone) { m_tone = std::move(tone); }

  // The stop keys: ALT alone, a key with ALT held, or F10.
  static bool IsStopKey(int key, Qt::KeyboardModifiers modifiers);

 signals:
  // After the last step of a run (also after a run that could not open its file).
  void finished();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class WorkerOperations;

  void RunSearch();
  void RequestStop();
  void ShowStopDialog();
  void OnWorkerDone();
  void TryFinish();
  void Finish();
  void DrainBatches();
  void SetInputsEnabled(bool enabled);
  void PlayTone();

  CQuenmarView& m_view;
  std::function<void()> m_tone;
  CTonePlayer m_tonePlayer;
  std::chrono::microseconds m_stepDelay{0};
  QTimer m_drainTimer;

  // The run in progress.
  bool m_running = false;
  bool m_workerDoneSeen = false;      // the worker's end has reached this thread
  bool m_stopDialogPending = false;   // "Calculation Stopped..." requested, not yet closed
  bool m_outputToFile = false;
  quenmar::SearchInputs m_inputs{};
  quenmar::SearchResult m_result{};
  quenmar::ResultsFileWriter m_file;
  std::vector<QPointer<QWidget>> m_disabled;
  std::thread m_worker;

  // Shared with the worker.
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_workerDone{false};
  std::atomic<int> m_progress{0};
  std::mutex m_batchMutex;
  std::vector<std::string> m_batch;
};
