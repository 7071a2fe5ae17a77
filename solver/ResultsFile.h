#pragma once
// The results file: a header block recording the inputs, the column header, one row per
// solution in search order, then the count and the outcome lines. Lines end in "\n".

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "TrainConfiguration.h"

namespace quenmar {

// What went wrong with a file, as a value: the path and the system's reason. (Named
// apart from the server layer's status codes, which share the namespace.)
class FileStatus {
 public:
  static FileStatus Ok() { return FileStatus(); }
  static FileStatus Error(std::string path, std::string reason) {
    return FileStatus(std::move(path), std::move(reason));
  }
  bool ok() const { return !failed_; }
  const std::string& path() const { return path_; }
  const std::string& reason() const { return reason_; }
  std::string message() const { return ok() ? std::string() : path_ + ": " + reason_; }

 private:
  FileStatus() = default;
  FileStatus(std::string path, std::string reason)
      : failed_(true), path_(std::move(path)), reason_(std::move(reason)) {}
  bool failed_ = false;
  std::string path_, reason_;
};

struct ResultsHeader {
  int day, month, year;
  std::string methodName;
  double targetReduction, convergenceRange;
  int maxSolutions;
  Family family;
};

// Lines 1 to 8: product, date (month/day/year), "Solutions Are Not Sorted", method,
// target, range, maximum, then the column header of the family.
std::string FormatResultsHeader(const ResultsHeader& header);

std::string CountLine(int nSolutionsFound);           // "The number of ... was: N\n"
extern const std::string_view kNoSolutionLine;        // with its "\n"
extern const std::string_view kMaximumLine;           // with its "\n"

// The whole file of a finished run: header, rows in search order, the count line, then
// "No solutions were found" when nothing was handed on and the maximum line when the
// count reached the maximum.
std::string ResultsFileText(const ResultsHeader& header, std::span<const std::string> rows,
                            int nSolutionsFound, bool bNoSolution);

// Writes the file as a run goes. Nothing is written when the file failed to open; the
// first failure (open, write or close) is kept and returned by Close, so a failed write
// is never reported as success.
class ResultsFileWriter {
 public:
  ResultsFileWriter() = default;
  ResultsFileWriter(const ResultsFileWriter&) = delete;
  ResultsFileWriter& operator=(const ResultsFileWriter&) = delete;
  ~ResultsFileWriter();

  FileStatus Open(const std::string& path);  // created when missing, emptied when present
  void WriteHeader(const ResultsHeader& header);
  void WriteRow(std::string_view row);
  void WriteText(std::string_view text);  // as it stands, line breaks included
  void WriteCountLine(int nSolutionsFound);
  void WriteNoSolutionLine();
  void WriteMaximumLine();
  FileStatus Close();
  bool isOpen() const { return file_ != nullptr; }

 private:
  void Write(std::string_view text);
  void Fail(int error);
  std::FILE* file_ = nullptr;
  std::string path_;
  FileStatus status_ = FileStatus::Ok();
};

}  // namespace quenmar
