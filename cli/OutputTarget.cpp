#include "OutputTarget.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace quenmar::cli {

DescriptorBuffer::DescriptorBuffer(int fd) : fd_(fd) { setp(buffer_, buffer_ + sizeof buffer_); }

DescriptorBuffer::~DescriptorBuffer() { Drain(); }

DescriptorBuffer::int_type DescriptorBuffer::overflow(int_type ch) {
  if (!Drain()) return traits_type::eof();
  if (!traits_type::eq_int_type(ch, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(ch);
    pbump(1);
  }
  return traits_type::not_eof(ch);
}

int DescriptorBuffer::sync() { return Drain() ? 0 : -1; }

bool DescriptorBuffer::Drain() {
  const char* next = pbase();
  std::size_t left = static_cast<std::size_t>(pptr() - pbase());
  while (left > 0 && error_ == 0) {
    const ssize_t written = ::write(fd_, next, left);
    if (written < 0) {
      if (errno != EINTR) error_ = errno;  // a stop signal during a write is not a failure
      continue;
    }
    next += written;
    left -= static_cast<std::size_t>(written);
  }
  setp(buffer_, buffer_ + sizeof buffer_);
  return error_ == 0;
}

namespace {
int HoldClosedStandardStreams() {
  for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // Opened read-only, the lowest free number is this one: writes fail with EBADF.
    const int held = ::open("/dev/null", O_RDONLY);
    if (held >= 0 && held != fd) ::close(held);
  }
  return STDOUT_FILENO;
}
}  // namespace

StandardOutput::StandardOutput() : buffer_(HoldClosedStandardStreams()), stream_(&buffer_) {}

bool StandardOutput::Finish(std::ostream& err) {
  stream_.flush();
  if (buffer_.error() == 0) return true;
  err << "quenmar-solve: cannot write standard output: " << std::strerror(buffer_.error()) << '\n';
  return false;
}

namespace {
char g_temporaryName[PATH_MAX + 64];  // a resolved path and the temporary file's suffix
std::atomic<const char*> g_temporaryFile{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);
}  // namespace

void KeepTemporaryFileName(const char* path) {
  g_temporaryFile.store(nullptr);  // a signal meanwhile finds no name, never half of one
  if (!path || std::strlen(path) >= sizeof g_temporaryName) return;
  std::memcpy(g_temporaryName, path, std::strlen(path) + 1);
  g_temporaryFile.store(g_temporaryName);
}

void RemoveTemporaryFile() {
  if (const char* path = g_temporaryFile.exchange(nullptr)) ::unlink(path);
}

}  // namespace quenmar::cli
