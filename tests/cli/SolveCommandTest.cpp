// quenmar-solve as a user runs it: arguments in, text and exit status out.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ProcessTestFolder.h"
#include "WorkedExample.h"

namespace {

namespace fs = std::filesystem;

using quenmar::testing::Outcome;
using quenmar::testing::ReadFile;
using quenmar::testing::WaitForTemporaryFile;

class SolveProcess : public quenmar::testing::ProcessTestFolder {
 protected:
  SolveProcess() : ProcessTestFolder("quenmar-solve-test-") {}

  // Starts quenmar-solve with stdout and stderr going to files in the test folder (stdout
  // to `stdoutPath` instead when given, or closed when that is "-").
  pid_t Start(const std::vector<std::string>& args, const std::string& stdoutPath = "") {
    const pid_t pid = fork();
    if (pid == 0) {
      std::vector<char*> argv{const_cast<char*>(QUENMAR_SOLVE_PATH)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      const std::string out = stdoutPath.empty() ? (dir_ / "stdout").string() : stdoutPath;
      if (!freopen((dir_ / "stderr").c_str(), "w", stderr)) _exit(99);
      if (out == "-") close(STDOUT_FILENO);
      else if (!freopen(out.c_str(), "w", stdout)) _exit(99);
      execv(argv[0], argv.data());
      _exit(98);
    }
    return pid;
  }

  Outcome Wait(pid_t pid) {
    int raw = 0;
    waitpid(pid, &raw, 0);
    Outcome o;
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    o.out = fs::exists(dir_ / "stdout") ? ReadFile(dir_ / "stdout") : "";
    o.err = ReadFile(dir_ / "stderr");
    return o;
  }

  Outcome Run(const std::vector<std::string>& args) { return Wait(Start(args)); }

};

const std::string kWorkedExample = quenmar::examples::kWorkedExample;

TEST_F(SolveProcess, WorkedExampleToStdoutAndToAFile) {
  const Outcome printed = Run({"--config", "1", "--date", "2002-07-04"});
  EXPECT_EQ(printed.status, 0);
  EXPECT_EQ(printed.out, kWorkedExample);
  EXPECT_EQ(printed.err, "");  // no progress bar when stderr is not a terminal

  const fs::path file = dir_ / "Quenmar.txt";
  { std::ofstream(file) << std::string(5000, 'x'); }  // replaced, not appended to
  const Outcome written = Run({"--config", "1", "--date", "2002-07-04", "--min",
                               "10,10,10,10,10,10", "--max", "25,25,25,25,25,25", "--target",
                               "3.624", "--range", "0.01", "--max-solutions", "100", "--output",
                               file.string()});
  EXPECT_EQ(written.status, 0);
  EXPECT_EQ(written.out, "");
  EXPECT_EQ(ReadFile(file), kWorkedExample);
}

TEST_F(SolveProcess, DefaultsAreTheFormsStartUpState) {
  const Outcome o = Run({});
  EXPECT_EQ(o.status, 0);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string date = "Date: " + std::to_string(local.tm_mon + 1) + "/" +
                           std::to_string(local.tm_mday) + "/" +
                           std::to_string(local.tm_year + 1900) + "\n";
  const std::string header = "Quenmar V1.01\n" + date +
                             "Solutions Are Not Sorted\n"
                             "Method = Triple Reduction with Equal Compounds\n"
                             "Target Reduction =      3.624\n"
                             "Convergence Range = +/-    0.01000\n"
                             "Maximum Number of Solutions =   100\n"
                             " Difference Reduction  N1     N2     N3     N4     N5     N6\n";
  EXPECT_EQ(o.out.substr(0, header.size()), header);
  EXPECT_NE(o.out.find("\nThe number of solutions found was: "), std::string::npos);
}

TEST_F(SolveProcess, ListPrintsTheSortedRowsOnly) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    std::string out;
  };
  const Row rows[] = {
      {"Single", {"--config", "0", "--min", "5,10,1,1,1,1", "--max", "12,40,25,25,25,25", "--list"},
       "   0.001     3.625      8     29\n"},
      {"DoubleByPrintedDifference", {"--config", "1", "--list"},
       "   0.003     3.627     10     19     11     21\n"
       "   0.003     3.627     10     21     11     19\n"
       "   0.003     3.627     11     19     10     21\n"
       "   0.003     3.627     11     21     10     19\n"
       "   0.010     3.614     10     22     14     23\n"
       "   0.010     3.614     10     23     14     22\n"
       "   0.010     3.614     14     22     10     23\n"
       "   0.010     3.614     14     23     10     22\n"},
      {"NothingFound", {"--config", "1", "--target", "900", "--list"}, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Outcome o = Run(row.args);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, row.out);
  }
}

TEST_F(SolveProcess, OutcomeLinesAndExitStatus) {
  const Outcome o = Run({"--config", "1", "--max-solutions", "0", "--date", "2002-07-04"});
  EXPECT_EQ(o.status, 0);
  const std::string tail = " Difference Reduction  N1     N2     N3     N4\n"
                           "The number of solutions found was: 0\n"
                           "No solutions were found\n"
                           "Maximum number of solutions was found.  Other solutions may exist.\n";
  EXPECT_EQ(o.out.substr(o.out.find(" Difference")), tail);
}

TEST_F(SolveProcess, BadArgumentsTouchNothing) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    std::string err;
  };
  const Row rows[] = {
      {"ConfigOutOfRange", {"--config", "7"},
       "quenmar-solve: --config accepts a configuration index from 0 to 6\n"},
      {"TeethOutOfRange", {"--min", "10,10,10,10,10,0"},
       "quenmar-solve: --min accepts six whole numbers from 1 to 500 (N1..N6), separated by commas\n"},
      {"FiveTeeth", {"--max", "25,25,25,25,25"},
       "quenmar-solve: --max accepts six whole numbers from 1 to 500 (N1..N6), separated by commas\n"},
      {"TargetTooLarge", {"--target", "125000000.5"},
       "quenmar-solve: --target accepts a decimal such as 3.624 or a fraction A/B of positive "
       "numbers such as 127/90 or 1.5/3.175, from 0 to 125000000 (larger than 125000000)\n"},
      {"MalformedRange", {"--range", "0.0x"},
       "quenmar-solve: --range accepts a decimal from 0 to 125000000 (absolute), or a decimal "
       "followed by ppm (up to 1000000) or % (up to 100), relative to the target (unknown suffix "
       "\"x\")\n"},
      {"MaximumTooLarge", {"--max-solutions", "10000001"},
       "quenmar-solve: --max-solutions accepts a whole number from 0 to 10000000\n"},
      {"NoSuchDay", {"--date", "2002-02-29"},
       "quenmar-solve: --date accepts a calendar date as YYYY-MM-DD\n"},
      {"UnknownOption", {"--fast"},
       "quenmar-solve: The following argument was not expected: --fast (see --help)\n"},
  };
  const fs::path file = dir_ / "kept.txt";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    { std::ofstream(file) << "kept"; }
    std::vector<std::string> args = row.args;
    args.insert(args.end(), {"--output", file.string()});
    const Outcome o = Run(args);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.err, row.err);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(ReadFile(file), "kept");
  }
  const Outcome empty = Run({"--config", "1", "--output", ""});
  EXPECT_EQ(empty.status, 2);
  EXPECT_EQ(empty.err, "quenmar-solve: --output accepts a file name, not an empty one\n");
  EXPECT_EQ(empty.out, "");
  const fs::path fresh = dir_ / "never-created.txt";
  EXPECT_EQ(Run({"--config", "9", "--output", fresh.string()}).status, 2);
  EXPECT_FALSE(fs::exists(fresh));
}

TEST_F(SolveProcess, UnwritableOutputIsReportedWithStatusOne) {
  const std::string path = (dir_ / "missing-folder" / "Quenmar.txt").string();
  const Outcome o = Run({"--config", "1", "--output", path});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "quenmar-solve: cannot write " + path + ": No such file or directory\n");
  EXPECT_EQ(o.out, "");
}

TEST_F(SolveProcess, HelpAndVersion) {
  const Outcome version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "quenmar-solve 1.01\n");
  const Outcome help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--config", "--min", "--max", "--target", "--range",
                             "--max-solutions", "--date", "--list", "--output"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST_F(SolveProcess, InterruptKeepsWhatWasFound) {
  // Every gear 1..500 with a range of 0 runs far longer than this test waits.
  const pid_t pid = Start({"--config", "6", "--min", "1,1,1,1,1,1", "--max",
                           "500,500,500,500,500,500", "--range", "0", "--target", "3.14159",
                           "--max-solutions", "500", "--date", "2002-07-04"});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_EQ(kill(pid, SIGINT), 0);
  // Guard against a search that ignores the signal: kill it after a generous wait.
  std::thread guard([pid] {
    for (int i = 0; i < 100; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (kill(pid, 0) != 0) return;
    }
    kill(pid, SIGKILL);
  });
  const Outcome o = Wait(pid);
  guard.join();
  EXPECT_EQ(o.status, 130);
  EXPECT_NE(o.out.find("Method = Triple Reduction\n"), std::string::npos);
  EXPECT_NE(o.out.find("\nThe number of solutions found was: "), std::string::npos);
}

// Results that cannot reach standard output are never lost silently.
TEST_F(SolveProcess, StandardOutputFailuresAreTold) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const char* stdoutPath;
    const char* reason;
  };
  const Row rows[] = {
      {"ResultsToAFullDevice", {"--config", "1"}, "/dev/full", "No space left on device"},
      {"ListToAFullDevice", {"--config", "1", "--list"}, "/dev/full", "No space left on device"},
      {"HelpToAFullDevice", {"--help"}, "/dev/full", "No space left on device"},
      {"ResultsToAClosedOutput", {"--config", "1"}, "-", "Bad file descriptor"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Outcome o = Wait(Start(row.args, row.stdoutPath));
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, std::string("quenmar-solve: cannot write standard output: ") + row.reason + "\n");
  }
}

// A target or range of minus zero is zero, also in the header.
TEST_F(SolveProcess, MinusZeroIsZero) {
  const Outcome o = Run({"--config", "1", "--target", "-0", "--range", "-0.0"});
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.out.find("Target Reduction =      0.000\nConvergence Range = +/-    0.00000\n"),
            std::string::npos)
      << o.out;
}

// Every gear 1..500 with a range of 0 runs far longer than any of these tests waits.
const std::vector<std::string> kEndlessRun{
    "--config", "6", "--min", "1,1,1,1,1,1", "--max", "500,500,500,500,500,500", "--range", "0",
    "--target", "3.14159", "--max-solutions", "500", "--date", "2002-07-04"};

// Termination and hang-up stop the search as Ctrl+C does: the file gets what was found,
// the closing lines and the stopped line, and the exit status names the signal. A run
// killed outright leaves the file as it was.
TEST_F(SolveProcess, SignalsStopTheRunAndNothingIsLost) {
  struct Row {
    const char* name;
    int signal;
    bool list;
  };
  const Row rows[] = {{"Interrupt", SIGINT, false}, {"Terminate", SIGTERM, false},
                      {"HangUp", SIGHUP, false},    {"TerminateList", SIGTERM, true},
                      {"Kill", SIGKILL, false}};
  const fs::path file = dir_ / "results.txt";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    { std::ofstream(file) << "the previous run\n"; }
    std::vector<std::string> args = kEndlessRun;
    args.insert(args.end(), {"--output", file.string()});
    if (row.list) args.push_back("--list");
    const pid_t pid = Start(args);
    const bool searching = WaitForTemporaryFile(file, pid);
    ASSERT_EQ(kill(pid, searching ? row.signal : SIGKILL), 0);
    ASSERT_TRUE(searching);
    const Outcome o = Wait(pid);
    EXPECT_EQ(o.status, 128 + row.signal);
    const std::string text = ReadFile(file);
    if (row.signal == SIGKILL) {
      EXPECT_EQ(text, "the previous run\n");
    } else if (row.list) {
      EXPECT_EQ(o.err, "quenmar-solve: the search was stopped before it finished\n");
      EXPECT_EQ(text.find("The"), std::string::npos);
    } else {
      EXPECT_EQ(o.err, "");
      EXPECT_EQ(text.rfind("Quenmar V1.01\n", 0), 0u);
      const std::size_t count = text.rfind("\nThe number of solutions found was: ");
      ASSERT_NE(count, std::string::npos);
      EXPECT_EQ(text.substr(text.size() - 42), "The search was stopped before it finished\n");
    }
  }
}

}  // namespace
