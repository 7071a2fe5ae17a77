// How soon quenmar-solve obeys a stop: ten heavy design searches (listings, capped
// listings, the best K, distinct gear sets, six stages, and the runs that once ignored
// Ctrl+C), each sent SIGINT (one SIGTERM) at a random moment. Prints how long each took
// to exit after the signal and the worst; fails when any took more than 0.2 s, did not
// exit with 130 (143 for SIGTERM), or did not write what it had found with the note that
// it was stopped. Not a test of the suite: it takes a minute and wants a quiet machine.
//   quenmar-stop-stress [SEED]

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kLimitSeconds = 0.2;
constexpr double kGiveUpSeconds = 10;  // then SIGKILL

struct Run {
  const char* name;
  std::vector<std::string> args;
  int signal = SIGINT;
};

std::string Gears(int count, int teeth) {
  std::string s;
  for (int g = 0; g < count; ++g) s += (g ? "," : "") + std::to_string(teeth);
  return s;
}

std::vector<Run> Runs() {
  const std::string one6 = Gears(6, 1), top6 = Gears(6, 500), one12 = Gears(12, 1), top12 = Gears(12, 500);
  return {
      {"listing: triple trains within 1e-9 of pi, gears 1..500",
       {"--config", "6", "--min", one6, "--max", top6, "--target", "3.14159265358979", "--range", "0.000000001",
        "--max-solutions", "10000000"}},
      {"listing by SIGTERM: six stages within 1e-10 of pi, gears 1..500, JSON",
       {"--stages", "6", "--min", one12, "--max", top12, "--target", "3.14159265358979", "--range", "0.0000000001",
        "--max-solutions", "10000000", "--format", "json"},
       SIGTERM},
      {"capped listing: triple, gears 1..120, 1 within 0.5, 10 trains, found order",
       {"--config", "6", "--min", one6, "--max", Gears(6, 120), "--target", "1", "--range", "0.5", "--max-solutions",
        "10", "--sort", "found"}},
      {"capped listing: triple, gears 1..500, exactly 1.4, 500 trains, found order",
       {"--config", "6", "--min", one6, "--max", top6, "--target", "1.4", "--range", "0", "--max-solutions", "500",
        "--sort", "found"}},
      {"capped listing: three stages, gears 1..500, exactly 127/90, 1000 trains",
       {"--stages", "3", "--min", one6, "--max", top6, "--target", "127/90", "--range", "0", "--max-solutions",
        "1000"}},
      {"capped gear sets: three stages, gears 1..100, 1 within 0.01, --list",
       {"--stages", "3", "--min", one6, "--max", Gears(6, 100), "--target", "1", "--range", "0.01",
        "--max-solutions", "10", "--distinct", "gears", "--list"}},
      {"best 10: six stages, gears 1..500, pi, JSON",
       {"--stages", "6", "--min", one12, "--max", top12, "--target", "3.14159265358979", "--best", "10", "--format",
        "json"}},
      {"best 10 gear sets: five stages, gears 10..100, pi, CSV",
       {"--stages", "5", "--min", Gears(10, 10), "--max", Gears(10, 100), "--target", "3.14159265358979", "--best",
        "10", "--distinct", "gears", "--format", "csv"}},
      {"best 1: six stages, gears 10..100, pi",
       {"--stages", "6", "--min", Gears(12, 10), "--max", Gears(12, 100), "--target", "3.14159265358979", "--best",
        "1"}},
      {"best 100000 with a cap: triple, gears 1..500, 22/7, --list",
       {"--config", "6", "--min", one6, "--max", top6, "--target", "22/7", "--best", "100000", "--max-solutions",
        "50000", "--list"}},
  };
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// What a stopped run must have written, by its format.
std::string MissingOutput(const std::vector<std::string>& args, const std::string& out, const std::string& err) {
  const auto has = [&](const char* option) {
    for (const std::string& a : args)
      if (a == option) return true;
    return false;
  };
  const std::string note = "stopped before it finished";
  if (has("--list")) return Contains(err, note.c_str()) ? "" : "no note on stderr that the list is partial";
  if (has("json")) return Contains(out, "\"stopped\": true") || Contains(out, "\"stopped\":true") ? "" : "no \"stopped\": true";
  if (has("csv")) {
    if (out.rfind("difference,", 0) != 0) return "no CSV header";
    return Contains(err, "stopped") ? "" : "no note on stderr that the CSV is partial";
  }
  return Contains(out, "The search was stopped before it finished") ? "" : "no closing note that it was stopped";
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned seed = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : std::random_device{}();
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> moment(0.05, 3.0);
  const fs::path dir = fs::temp_directory_path() / ("quenmar-stop-stress-" + std::to_string(getpid()));
  fs::create_directories(dir);

  // Runs that would take hours are refused without --force where quenmar-solve knows it.
  const int help = std::system((std::string(QUENMAR_SOLVE_PATH) + " --help | grep -q -- --force").c_str());
  const bool force = help == 0;
  std::printf("quenmar-solve stopped at random moments (seed %u); limit %.1f s after the signal\n", seed, kLimitSeconds);

  double worst = 0;
  bool ok = true;
  for (const Run& run : Runs()) {
    std::vector<std::string> args = run.args;
    if (force) args.push_back("--force");
    const fs::path out = dir / "out", err = dir / "err";
    std::fflush(stdout);  // or the child would write this process's pending lines again
    const pid_t pid = fork();
    if (pid == 0) {
      std::vector<char*> argv{const_cast<char*>(QUENMAR_SOLVE_PATH)};
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      if (!freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr)) _exit(99);
      execv(argv[0], argv.data());
      _exit(98);
    }
    const double wait = moment(random);
    std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    int raw = 0;
    if (waitpid(pid, &raw, WNOHANG) == pid) {  // nothing to stop; a refusal or a crash fails
      const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
      ok = ok && status == 0;
      std::printf("  %-76s finished before the signal at %.2f s with status %d%s\n", run.name, wait, status,
                  status == 0 ? "" : ": FAILS");
      continue;
    }
    const Clock::time_point sent = Clock::now();
    kill(pid, run.signal);
    bool killed = false;
    while (waitpid(pid, &raw, WNOHANG) != pid) {
      if (std::chrono::duration<double>(Clock::now() - sent).count() > kGiveUpSeconds) {
        kill(pid, SIGKILL);
        waitpid(pid, &raw, 0);
        killed = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    const double took = std::chrono::duration<double>(Clock::now() - sent).count();
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    std::string problem;
    if (killed) problem = "still running, killed";
    else if (status != 128 + run.signal) problem = "exit status " + std::to_string(status);
    else problem = MissingOutput(args, Read(out), Read(err));
    if (took > kLimitSeconds) problem += (problem.empty() ? "" : "; ") + std::string("too slow");
    worst = std::max(worst, took);
    ok = ok && problem.empty();
    std::printf("  %-76s %s at %.2f s: exited after %.3f s %s\n", run.name, run.signal == SIGINT ? "SIGINT" : "SIGTERM",
                wait, took, problem.empty() ? "ok" : ("FAILS: " + problem).c_str());
  }
  fs::remove_all(dir);
  std::printf("worst: %.3f s after the signal (limit %.1f s): %s\n", worst, kLimitSeconds, ok ? "ok" : "FAILS");
  return ok ? 0 : 1;
}
