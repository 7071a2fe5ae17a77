#include "ResultsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

#include "TextFormat.h"

namespace quenmar {

const std::string_view kNoSolutionLine = "No solutions were found\n";
const std::string_view kMaximumLine =
    "Maximum number of solutions was found.  Other solutions may exist.\n";
const std::string_view kStoppedLine = "The search was stopped before it finished\n";

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
  // A field may hold -0 (typed so); the header records it as the 0 it is.
  text::AppendFixed(text, h.targetReduction + 0.0, 10, 3);
  text += "\nConvergence Range = +/- ";
  text::AppendFixed(text, h.convergenceRange + 0.0, 10, 5);
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
                            int nSolutionsFound, bool bNoSolution, bool stopped) {
  std::string text = FormatResultsHeader(header);
  for (const std::string& row : rows) {
    text += row;
    text += '\n';
  }
  text += CountLine(nSolutionsFound);
  if (bNoSolution) text += kNoSolutionLine;
  if (nSolutionsFound >= header.maxSolutions) text += kMaximumLine;
  if (stopped) text += kStoppedLine;
  return text;
}

namespace {

// Creates a new, empty file beside `target` under a name no other file has, with the
// permission bits a new file gets from the process's umask. Returns its descriptor, or -1
// with errno set.
int CreateTemporaryBeside(const std::string& target, std::string& name) {
  static std::atomic<unsigned> counter{0};
  thread_local std::minstd_rand random{std::random_device{}()};
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = folder + "." + base + "." + std::to_string(getpid()) + "-" +
           std::to_string(counter++) + "-" + std::to_string(random() % 1000000) + ".tmp";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

ResultsFileWriter::~ResultsFileWriter() { Discard(); }

void ResultsFileWriter::Discard() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

FileStatus ResultsFileWriter::Open(const std::string& path) {
  if (file_) Close();
  path_ = path;
  temporary_.clear();
  replaced_.clear();
  status_ = FileStatus::Ok();
  if (path.empty()) {
    status_ = FileStatus::Error(path, "no file name given");
    return status_;
  }

  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;  // through a link, to its target
  bool direct = exists && !S_ISREG(existing.st_mode);
  struct stat link {};
  if (!exists && ::lstat(path.c_str(), &link) == 0) direct = true;  // a link to nowhere
  if (!direct && exists) {
    // A file that may not be written stays refused, as opening it directly would be,
    // although the folder would let a new file take its place.
    const int probe = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (probe < 0) {
      Fail(errno);
      return status_;
    }
    ::close(probe);
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) replaced_ = resolved;
    else direct = true;
  } else if (!direct) {
    replaced_ = path;
  }

  if (!direct) {
    std::string name;
    const int fd = CreateTemporaryBeside(replaced_, name);
    if (fd >= 0) {
      if (exists) {
        // The results file keeps its owner and permissions across runs. Taking over
        // another user's ownership is refused unless we are allowed to; that is harmless.
        [[maybe_unused]] const int owned = ::fchown(fd, existing.st_uid, existing.st_gid);
        [[maybe_unused]] const int moded = ::fchmod(fd, existing.st_mode & 07777);
      }
      file_ = ::fdopen(fd, "wb");
      if (!file_) {
        Fail(errno);
        ::close(fd);
        ::unlink(name.c_str());
        return status_;
      }
      temporary_ = name;
      return status_;
    }
    // A missing file in a folder that refuses new files cannot be written at all; an
    // existing one that may be written is written in place.
    if (!exists) {
      Fail(errno);
      return status_;
    }
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

void ResultsFileWriter::WriteStoppedLine() { Write(kStoppedLine); }

FileStatus ResultsFileWriter::Close() {
  if (file_) {
    errno = 0;
    if (std::fflush(file_) != 0) Fail(errno);
    // The new contents reach the disk before they replace the old ones.
    if (!temporary_.empty() && status_.ok() && ::fsync(fileno(file_)) != 0 && errno != EINVAL)
      Fail(errno);
    errno = 0;
    if (std::fclose(file_) != 0) Fail(errno);
    file_ = nullptr;
  }
  if (!temporary_.empty()) {
    if (status_.ok() && ::rename(temporary_.c_str(), replaced_.c_str()) != 0) Fail(errno);
    if (!status_.ok()) ::unlink(temporary_.c_str());
    temporary_.clear();
  }
  return status_;
}

}  // namespace quenmar
