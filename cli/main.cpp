// quenmar-solve: Ctrl+C stops the search the way ALT does in the window.

#include <unistd.h>

#include <csignal>
#include <ctime>
#include <iostream>

#include "SolveCommand.h"

namespace {

std::atomic<bool> g_stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) { g_stopRequested.store(true); }

}  // namespace

int main(int argc, char** argv) {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);

  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  quenmar::cli::SolveEnvironment env;
  env.today = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
  env.stopRequested = &g_stopRequested;
  env.progressBar = isatty(STDERR_FILENO) != 0;
  return quenmar::cli::RunSolve(argc, argv, std::cout, std::cerr, env);
}
