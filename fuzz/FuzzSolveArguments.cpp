// quenmar-solve's argument parsing in process: the bytes are split at NUL into arguments.
// Whatever they are, the run ends with a status it documents; a refused argument gives
// exactly one line on the error stream and no output. The stop is requested before the
// search starts, so every run ends at its first message step and only the parsing, the
// checks and the writing of the (stopped) results are exercised. No file is ever written:
// an --output option is turned into --list.

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "SolveCommand.h"

namespace {

[[noreturn]] void Fail(const std::vector<std::string>& args, const char* what, const std::string& err) {
  std::fprintf(stderr, "%s; arguments:", what);
  for (const std::string& a : args) std::fprintf(stderr, " [%s]", a.c_str());
  std::fprintf(stderr, "\nerr: %s\n", err.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args{"quenmar-solve"};
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  args.push_back(current);
  for (std::string& a : args)
    if (a.find("--o") != std::string::npos) a = "--list";
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());

  static const std::atomic<bool> stop{true};
  quenmar::cli::SolveEnvironment env;
  env.today = {2002, 7, 4};
  env.stopRequested = &stop;
  std::ostringstream out, err;
  const int status = quenmar::cli::RunSolve(static_cast<int>(argv.size()), argv.data(), out, err, env);
  const std::string errText = err.str();
  const auto lines = std::count(errText.begin(), errText.end(), '\n');
  switch (status) {
    case 0:
      if (!errText.empty()) Fail(args, "a run that succeeded wrote to the error stream", errText);
      break;
    case 2:
      if (!out.str().empty()) Fail(args, "refused arguments wrote output", errText);
      if (lines != 1 || errText.rfind("quenmar-solve: ", 0) != 0 || errText.back() != '\n')
        Fail(args, "refused arguments did not give exactly one error line", errText);
      break;
    case 130:
      if (out.str().find("The search was stopped before it finished\n") == std::string::npos &&
          out.str().find("\"stopped\": true") == std::string::npos &&
          errText != "quenmar-solve: the search was stopped before it finished\n")
        Fail(args, "a stopped run did not say so", errText);
      break;
    default:
      Fail(args, "an undocumented exit status", errText);
  }
  return 0;
}
