// quenmar-solve: Ctrl+C, termination and hang-up stop the search the way ALT does in the
// window: what was found so far is written with its closing lines, and the exit status is
// 128 + the signal's number. A second signal ends the program at once, removing the
// temporary file of an --output run first, so that nothing is left beside the output.

#include <unistd.h>

#include <csignal>
#include <ctime>
#include <iostream>

#include "OutputTarget.h"
#include "SolveCommand.h"

namespace {

std::atomic<bool> g_stopRequested{false};
std::atomic<int> g_stopSignal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int signal) {
  int first = 0;
  if (g_stopSignal.compare_exchange_strong(first, signal)) {
    g_stopRequested.store(true);
    return;
  }
  quenmar::cli::RemoveTemporaryFile();
  std::signal(signal, SIG_DFL);
  std::raise(signal);  // delivered, with its default action, once the handler returns
}

}  // namespace

int main(int argc, char** argv) {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);

  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  quenmar::cli::SolveEnvironment env;
  env.today = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
  env.stopRequested = &g_stopRequested;
  env.progressBar = isatty(STDERR_FILENO) != 0;
  env.temporaryFile = quenmar::cli::KeepTemporaryFileName;
  quenmar::cli::StandardOutput out;
  int status = quenmar::cli::RunSolve(argc, argv, out.stream(), std::cerr, env);
  if (!out.Finish(std::cerr)) return 1;
  if (status == 130 && g_stopSignal.load() != 0) status = 128 + g_stopSignal.load();
  return status;
}
