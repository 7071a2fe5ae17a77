#pragma once
// Where quenmar-solve's output goes, so that nothing is lost or left behind: standard output
// keeps its first failed write (a full disk, a closed or broken output) for Finish to
// report, and the temporary file of an --output run is known to the signal handler.

#include <ostream>
#include <streambuf>

namespace quenmar::cli {

// A buffered stream over a file descriptor that remembers the first failed write.
class DescriptorBuffer : public std::streambuf {
 public:
  explicit DescriptorBuffer(int fd);
  ~DescriptorBuffer() override;
  DescriptorBuffer(const DescriptorBuffer&) = delete;
  DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;

  int error() const { return error_; }  // errno of the first failed write, 0 when none

 protected:
  int_type overflow(int_type ch) override;
  int sync() override;

 private:
  bool Drain();
  int fd_;
  int error_ = 0;
  char buffer_[1 << 16];
};

// quenmar-solve's standard output. A closed standard output (or error) is held by a
// descriptor that refuses writes, so that writes fail there instead of landing in a file
// the run opens later under the same number.
class StandardOutput {
 public:
  StandardOutput();
  std::ostream& stream() { return stream_; }
  // Flushes; on a failure writes one line naming it to `err` and returns false.
  bool Finish(std::ostream& err);

 private:
  DescriptorBuffer buffer_;
  std::ostream stream_;
};

// The temporary file an --output run writes (nullptr: none), kept in a buffer of its own so
// that a signal handler can remove it: RemoveTemporaryFile only calls unlink.
void KeepTemporaryFileName(const char* path);
void RemoveTemporaryFile();

}  // namespace quenmar::cli
