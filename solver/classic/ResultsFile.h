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
// The last line of a run that was stopped before the search finished, so that nobody
// takes its partial list for a complete one.
extern const std::string_view kStoppedLine;           // with its "\n"

// The whole file of a run: header, rows in search order, the count line, then
// "No solutions were found" when nothing was handed on, the maximum line when the count
// reached the maximum, and the stopped line when the search was stopped.
std::string ResultsFileText(const ResultsHeader& header, std::span<const std::string> rows,
                            int nSolutionsFound, bool bNoSolution, bool stopped = false);

// Writes the file as a run goes. Nothing is written when the file failed to open; the
// first failure (open, write or close) is kept and returned by Close, so a failed write
// is never reported as success.
//
// A regular file (or a path where nothing is yet) is written to a temporary file in the
// same folder, which replaces it only when Close succeeds: a run that fails, is abandoned
// (the writer destroyed without a successful Close) or is killed leaves whatever the file
// held before. The replacement keeps the old file's permission bits, and a symbolic link
// keeps pointing where it did (its target is replaced). A FIFO, a device or any other
// non-regular file is written directly, as is an existing file whose folder does not let
// a new file be created beside it.
class ResultsFileWriter {
 public:
  ResultsFileWriter() = default;
  ResultsFileWriter(const ResultsFileWriter&) = delete;
  ResultsFileWriter& operator=(const ResultsFileWriter&) = delete;
  ~ResultsFileWriter();

  FileStatus Open(const std::string& path);  // created when missing, replaced when present
  void WriteHeader(const ResultsHeader& header);
  void WriteRow(std::string_view row);
  void WriteText(std::string_view text);  // as it stands, line breaks included
  void WriteCountLine(int nSolutionsFound);
  void WriteNoSolutionLine();
  void WriteMaximumLine();
  void WriteStoppedLine();
  FileStatus Close();
  bool isOpen() const { return file_ != nullptr; }
  // The temporary file written until Close; empty when the file is written directly.
  const std::string& temporaryPath() const { return temporary_; }

 private:
  void Write(std::string_view text);
  void Fail(int error);
  void Discard();
  std::FILE* file_ = nullptr;
  std::string path_;
  std::string temporary_;  // the file written until Close renames it; empty when direct
  std::string replaced_;   // the path the temporary file replaces (a link's target)
  FileStatus status_ = FileStatus::Ok();
};

}  // namespace quenmar
