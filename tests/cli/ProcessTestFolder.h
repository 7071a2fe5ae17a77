#pragma once
// What the process tests of quenmar-solve share: the outcome of a run, reading a file
// whole, and a fresh folder per test for the files a run writes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace quenmar::testing {

struct Outcome {
  int status = -1;  // exit status, or 128 + signal
  std::string out, err;
};

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
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
