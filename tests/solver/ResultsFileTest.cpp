// The results file: its text for finished runs and the writer's handling of failures.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ResultsFile.h"
#include "SearchSolutions.h"
#include "SolutionRow.h"
#include "WorkedExample.h"

namespace quenmar {
namespace {

namespace fs = std::filesystem;

using examples::kWorkedExample;

const char kMaximumLine[] = "Maximum number of solutions was found.  Other solutions may exist.\n";

// Runs the search and collects its rows in search order, as a run with file output does.
struct Run : SearchOperations {
  explicit Run(Family f) : family(f) {}
  bool MessageStep() override { return true; }
  void Progress(int) override {}
  void Output(const TrainSolution& s) override { rows.push_back(FormatSolutionRow(family, s)); }
  Family family;
  std::vector<std::string> rows;
};

std::string FileTextOfRun(int configuration, double target, double range, int cap) {
  Teeth lo{10, 10, 10, 10, 10, 10}, hi{25, 25, 25, 25, 25, 25};
  ApplyDummyTeeth(configuration, lo);
  const TrainConfiguration& config = Configuration(configuration);
  Run run(config.family);
  const SearchResult r =
      SearchSolutions(SearchInputs{configuration, lo, hi, target, range, cap, lo}, run);
  const ResultsHeader header{4, 7, 2002, std::string(config.methodName), target, range, cap,
                             config.family};
  return ResultsFileText(header, run.rows, r.nSolutionsFound, r.bNoSolution);
}

TEST(ResultsFile, WorkedExampleByteForByte) {
  EXPECT_EQ(FileTextOfRun(1, 3.624, 0.01, 100), kWorkedExample);
  std::string capped = kWorkedExample;
  capped.replace(capped.find("  100\n"), 6, "    8\n");
  EXPECT_EQ(FileTextOfRun(1, 3.624, 0.01, 8), capped + kMaximumLine);
}

TEST(ResultsFile, OutcomeLines) {
  struct Row {
    const char* name;
    double target;
    int cap;
    const char* tail;
  };
  const Row rows[] = {
      {"Unreachable", 900.0, 100,
       " Difference Reduction  N1     N2     N3     N4\n"
       "The number of solutions found was: 0\nNo solutions were found\n"},
      {"MaximumZero", 3.624, 0,
       " Difference Reduction  N1     N2     N3     N4\n"
       "The number of solutions found was: 0\nNo solutions were found\n"
       "Maximum number of solutions was found.  Other solutions may exist.\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string text = FileTextOfRun(1, row.target, 0.01, row.cap);
    EXPECT_EQ(text.substr(text.find(" Difference")), row.tail);
  }
}

TEST(ResultsFile, HeaderLines) {
  struct Row {
    const char* name;
    ResultsHeader header;
    std::vector<std::string> lines;  // lines 2 and 4 to 8
  };
  const Row rows[] = {
      {"Limits", {31, 12, 2024, "Triple Reduction", 1000, 500, 500, Family::Triple},
       {"Date: 12/31/2024", "Method = Triple Reduction", "Target Reduction =   1000.000",
        "Convergence Range = +/-  500.00000", "Maximum Number of Solutions =   500",
        " Difference Reduction  N1     N2     N3     N4     N5     N6"}},
      {"Single", {1, 1, 2002, "Single Reduction", 0, 0, 0, Family::Single},
       {"Date: 1/1/2002", "Method = Single Reduction", "Target Reduction =      0.000",
        "Convergence Range = +/-    0.00000", "Maximum Number of Solutions =     0",
        " Difference Reduction  N1     N2"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::istringstream text(FormatResultsHeader(row.header));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "Quenmar V1.01");
    EXPECT_EQ(lines[2], "Solutions Are Not Sorted");
    lines.erase(lines.begin() + 2);
    lines.erase(lines.begin());
    EXPECT_EQ(lines, row.lines);
  }
}

TEST(ResultsFile, TripleRowsHaveSixColumns) {
  const std::string text = FileTextOfRun(5, 3.624, 0.01, 100);
  std::istringstream lines(text);
  int rows = 0;
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("   ", 0) == 0) {
      EXPECT_EQ(line.size(), 60u) << line;
      ++rows;
    }
  EXPECT_GT(rows, 0);
}

class ResultsFileWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("quenmar-writer-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(ResultsFileWriterTest, WritesWhatTheRunProduced) {
  const fs::path path = dir_ / "Quenmar.txt";
  { std::ofstream(path) << "an older, longer file that must disappear entirely\n\n\n\n"; }
  const ResultsHeader header{4, 7, 2002, "Double Reduction", 3.624, 0.01, 1, Family::Double};
  const std::vector<std::string> rows = {"   0.003     3.627     10     19     11     21"};
  ResultsFileWriter writer;
  ASSERT_TRUE(writer.Open(path.string()).ok());
  writer.WriteHeader(header);
  writer.WriteRow(rows[0]);
  writer.WriteCountLine(1);
  writer.WriteMaximumLine();
  EXPECT_TRUE(writer.Close().ok());
  std::ifstream in(path, std::ios::binary);
  const std::string written{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(written, ResultsFileText(header, rows, 1, false));
}

TEST_F(ResultsFileWriterTest, FailuresAreReportedWithPathAndReason) {
  const std::string missing = (dir_ / "no-such-folder" / "Quenmar.txt").string();
  ResultsFileWriter writer;
  const FileStatus opened = writer.Open(missing);
  EXPECT_FALSE(opened.ok());
  EXPECT_EQ(opened.path(), missing);
  EXPECT_EQ(opened.message(), missing + ": No such file or directory");
  writer.WriteRow("nothing goes anywhere");
  EXPECT_FALSE(writer.Close().ok());
  EXPECT_FALSE(fs::exists(dir_ / "no-such-folder"));

  EXPECT_FALSE(ResultsFileWriter().Open("").ok());

  if (fs::exists("/dev/full")) {  // every write fails there: the error reaches Close
    ResultsFileWriter full;
    ASSERT_TRUE(full.Open("/dev/full").ok());
    full.WriteHeader({1, 1, 2002, "Single Reduction", 1, 1, 1, Family::Single});
    full.WriteCountLine(0);
    const FileStatus closed = full.Close();
    EXPECT_FALSE(closed.ok());
    EXPECT_EQ(closed.message(), "/dev/full: No space left on device");
  }
}

}  // namespace
}  // namespace quenmar
