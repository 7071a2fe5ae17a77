#pragma once
// quenmar-solve: one search from the command line, printing what the form would write
// (the results file text, or with --list the sorted solution rows).

#include <atomic>
#include <iosfwd>

#include "ResultsFile.h"

namespace quenmar::cli {

struct CalendarDate {
  int year, month, day;
};

struct SolveEnvironment {
  CalendarDate today;                               // the default of --date
  const std::atomic<bool>* stopRequested = nullptr; // set from outside to stop the search
  bool progressBar = false;                         // draw progress on err
  // Told the temporary file an --output run writes until it replaces the output, and
  // nullptr once it is gone, so that a second signal can remove it before the end.
  void (*temporaryFile)(const char* path) = nullptr;
};

// Tells the environment of the temporary file an opened writer holds, for the notice's life
// (declare it after the writer, so it ends before the writer does).
class TemporaryFileNotice {
 public:
  TemporaryFileNotice(const SolveEnvironment& environment, const ResultsFileWriter& file)
      : tell_(file.temporaryPath().empty() ? nullptr : environment.temporaryFile) {
    if (tell_) tell_(file.temporaryPath().c_str());
  }
  ~TemporaryFileNotice() {
    if (tell_) tell_(nullptr);
  }
  TemporaryFileNotice(const TemporaryFileNotice&) = delete;
  TemporaryFileNotice& operator=(const TemporaryFileNotice&) = delete;

 private:
  void (*tell_)(const char*);
};

// Exit status: 0 for every completed search, 1 when the output file cannot be written,
// 2 for bad arguments (nothing written, no file touched), 130 when stopped (the program
// makes that 128 + the number of the signal that stopped it). A stopped run's results end
// with a line saying so; with --list that line goes to err.
int RunSolve(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             const SolveEnvironment& environment);

}  // namespace quenmar::cli
