#include "ResultsFile.h"

#include <cerrno>
#include <cstring>

#include "TextFormat.h"

namespace quenmar {

const std::string_view kNoSolutionLine = "No solutions were found\n";
const std::string_view kMaximumLine =
    "Maximum number of solutions was found.  Other solutions may exist.\n";

std::string FormatResultsHeader(const ResultsHeader& h) {
  std::string text = "Quenmar V1.01\nDate: ";
  text::AppendInteger(text, h.month, 0);
  text += '/';
  text::AppendInteger(text, h.day, 0);
  text += '/';
  text::AppendInteger(text, h.year, 0);
  text += "\nSolutions Are Not Sorted\nMethod = ";
  text += h.methodName;
  text += "\nTarget Reduction = ";
  text::AppendFixed(text, h.targetReduction, 10, 3);
  text += "\nConvergence Range = +/- ";
  text::AppendFixed(text, h.convergenceRange, 10, 5);
  text += "\nMaximum Number of Solutions = ";
  text::AppendInteger(text, h.maxSolutions, 5);
  text += '\n';
  text += ColumnHeader(h.family);
  text += '\n';
  return text;
}

std::string CountLine(int nSolutionsFound) {
  std::string line = "The number of solutions found was: ";
  text::AppendInteger(line, nSolutionsFound, 0);
  line += '\n';
  return line;
}

std::string ResultsFileText(const ResultsHeader& header, std::span<const std::string> rows,
                            int nSolutionsFound, bool bNoSolution) {
  std::string text = FormatResultsHeader(header);
  for (const std::string& row : rows) {
    text += row;
    text += '\n';
  }
  text += CountLine(nSolutionsFound);
  if (bNoSolution) text += kNoSolutionLine;
  if (nSolutionsFound >= header.maxSolutions) text += kMaximumLine;
  return text;
}

ResultsFileWriter::~ResultsFileWriter() {
  if (file_) std::fclose(file_);
}

FileStatus ResultsFileWriter::Open(const std::string& path) {
  if (file_) Close();
  path_ = path;
  status_ = FileStatus::Ok();
  if (path.empty()) {
    status_ = FileStatus::Error(path, "no file name given");
    return status_;
  }
  file_ = std::fopen(path.c_str(), "wb");  // "\n" stays "\n" on every platform
  if (!file_) Fail(errno);
  return status_;
}

void ResultsFileWriter::Fail(int error) {
  if (status_.ok()) status_ = FileStatus::Error(path_, std::strerror(error ? error : EIO));
}

void ResultsFileWriter::Write(std::string_view text) {
  if (!file_ || !status_.ok()) return;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) Fail(errno);
}

void ResultsFileWriter::WriteHeader(const ResultsHeader& header) {
  Write(FormatResultsHeader(header));
}

void ResultsFileWriter::WriteRow(std::string_view row) {
  Write(row);
  Write("\n");
}

void ResultsFileWriter::WriteText(std::string_view text) { Write(text); }

void ResultsFileWriter::WriteCountLine(int nSolutionsFound) { Write(CountLine(nSolutionsFound)); }

void ResultsFileWriter::WriteNoSolutionLine() { Write(kNoSolutionLine); }

void ResultsFileWriter::WriteMaximumLine() { Write(kMaximumLine); }

FileStatus ResultsFileWriter::Close() {
  if (file_) {
    errno = 0;
    if (std::fflush(file_) != 0) Fail(errno);
    errno = 0;
    if (std::fclose(file_) != 0) Fail(errno);
    file_ = nullptr;
  }
  return status_;
}

}  // namespace quenmar
