// The results file: its text for finished runs and the writer's handling of failures.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

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
  // A stopped run says so after the outcome lines, whatever they were.
  const ResultsHeader header{4, 7, 2002, "Double Reduction", 3.624, 0.01, 1, Family::Double};
  const std::string column = " Difference Reduction  N1     N2     N3     N4\n";
  EXPECT_EQ(ResultsFileText(header, {}, 0, true, true),
            FormatResultsHeader(header) + "The number of solutions found was: 0\n"
            "No solutions were found\nThe search was stopped before it finished\n");
  const std::vector<std::string> one{"   0.003     3.627     10     19     11     21"};
  EXPECT_EQ(ResultsFileText(header, one, 1, false, true),
            FormatResultsHeader(header) + one[0] + "\nThe number of solutions found was: 1\n" +
                kMaximumLine + "The search was stopped before it finished\n");
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
      {"MinusZeroIsZero", {1, 1, 2002, "Single Reduction", -0.0, -0.0, 0, Family::Single},
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

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> Names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// The old contents stay at the path until a run closes successfully; a run that is
// abandoned leaves them and no stray file; the replacement keeps the file's permissions
// and a link's target is what gets replaced.
TEST_F(ResultsFileWriterTest, RegularFilesAreReplacedOnlyWhenTheRunCloses) {
  const fs::path path = dir_ / "Quenmar.txt";
  const fs::path linked = dir_ / "link.txt";
  struct Row {
    const char* name;
    fs::path open;   // the path given to the writer
    bool close;      // Close called, or the writer abandoned
    mode_t mode;     // the permissions of the old file (0 = no old file)
  };
  const Row rows[] = {
      {"ClosedOverOld", path, true, 0640},
      {"AbandonedKeepsOld", path, false, 0604},
      {"ClosedNew", path, true, 0},
      {"AbandonedNewLeavesNothing", path, false, 0},
      {"ThroughALink", linked, true, 0600},
      {"AbandonedThroughALink", linked, false, 0644},
  };
  const mode_t mask = ::umask(022);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove(path);
    fs::remove(linked);
    if (row.mode) {
      std::ofstream(path) << "old results\n";
      ::chmod(path.c_str(), row.mode);
    }
    if (row.open == linked) fs::create_symlink(path.filename(), linked);
    {
      ResultsFileWriter writer;
      ASSERT_TRUE(writer.Open(row.open.string()).ok());
      writer.WriteRow("new row");
      if (row.mode) {
        EXPECT_EQ(Slurp(path), "old results\n");  // still there while the run goes
      }
      if (row.close) {
        EXPECT_TRUE(writer.Close().ok());
      }
    }
    std::vector<std::string> expected{"Quenmar.txt"};
    if (row.open == linked) expected.push_back("link.txt");
    if (!row.close && !row.mode) expected.erase(expected.begin());
    EXPECT_EQ(Names(dir_), expected) << "no temporary file is left behind";
    EXPECT_EQ(fs::is_symlink(linked), row.open == linked);
    if (!row.close && !row.mode) continue;
    EXPECT_EQ(Slurp(path), row.close ? "new row\n" : "old results\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, row.mode ? row.mode : 0644u);
  }
  ::umask(mask);
}

// A FIFO (or a device) is written directly: it stays what it is and its reader gets the text.
TEST_F(ResultsFileWriterTest, FifosAreWrittenDirectly) {
  const fs::path fifo = dir_ / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = Slurp(fifo); });
  {
    ResultsFileWriter writer;
    ASSERT_TRUE(writer.Open(fifo.string()).ok());
    writer.WriteRow("through the pipe");
    EXPECT_TRUE(writer.Close().ok());
  }
  reader.join();
  EXPECT_EQ(received, "through the pipe\n");
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(Names(dir_), std::vector<std::string>{"pipe"});

  ResultsFileWriter null;
  ASSERT_TRUE(null.Open("/dev/null").ok());
  null.WriteRow("gone");
  EXPECT_TRUE(null.Close().ok());
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

}  // namespace
}  // namespace quenmar
