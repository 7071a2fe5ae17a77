#pragma once
// What the process tests of quenmar-solve share: the outcome of a run, reading a file
// whole, the temporary file of a run and its signals, and a fresh folder per test for the
// files a run writes.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace quenmar::testing {

struct Outcome {
  int status = -1;  // exit status, or 128 + signal
  std::string out, err;
};

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Waits until the run has its temporary results file beside `file` (it is searching then).
inline bool WaitForTemporaryFile(const std::filesystem::path& file, pid_t pid) {
  for (int i = 0; i < 2000; ++i) {
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path()))
      if (entry.path().filename().string().rfind("." + file.filename().string() + ".", 0) == 0)
        return true;
    if (waitpid(pid, nullptr, WNOHANG) != 0) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// Whether `signal` sent to the process still waits to be taken.
inline bool SignalPending(pid_t pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("ShdPnd:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
  return false;
}

// Runs `program` with `args` to its end, its standard output and error going to files
// "stdout" and "stderr" in `dir`.
inline Outcome RunProgram(const char* program, const std::vector<std::string>& args,
                          const std::filesystem::path& dir) {
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (!freopen((dir / "stdout").c_str(), "w", stdout) || !freopen((dir / "stderr").c_str(), "w", stderr))
      _exit(99);
    execv(argv[0], argv.data());
    _exit(98);
  }
  int raw = 0;
  waitpid(pid, &raw, 0);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw), ReadFile(dir / "stdout"),
          ReadFile(dir / "stderr")};
}

// A test with a folder of its own, named after the test, emptied before and removed after.
class ProcessTestFolder : public ::testing::Test {
 protected:
  explicit ProcessTestFolder(std::string prefix) : prefix_(std::move(prefix)) {}
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           (prefix_ + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path dir_;

 private:
  std::string prefix_;
};

}  // namespace quenmar::testing
