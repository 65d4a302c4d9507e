// Whole-file reading and writing on POSIX file descriptors: fstat tells what a path is once it
// is open (no race between the check and the read), and a temporary made by mkstemp in the
// target's folder can be renamed over the target atomically.
#include "files/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

namespace squish::files {
namespace {

constexpr std::size_t partBytes = std::size_t{1} << 20;

std::string systemError(int number) {
  return std::strerror(number);
}

// Closes a descriptor when it goes out of scope (for reading).
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { close(); }
  int get() const { return fd_; }
  bool isOpen() const { return fd_ >= 0; }
  // Closes now; false when closing reported an error (a write that did not reach the disk).
  bool close() {
    if (fd_ < 0) return true;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed;
  }

 private:
  int fd_;
};

// Reads until the end of the file; the reason in `error` when it cannot.
void readAll(int fd, std::uint64_t largest, std::string& bytes, std::string& error) {
  // One byte past the largest file accepted is enough to tell that a file is larger.
  std::vector<char> part(largest < partBytes ? static_cast<std::size_t>(largest) + 1 : partBytes);
  for (;;) {
    const ssize_t got = ::read(fd, part.data(), part.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error = systemError(errno);
      return;
    }
    if (got == 0) return;
    if (bytes.size() + static_cast<std::size_t>(got) > largest) {
      error = "larger than " + std::to_string(largest) + " bytes";
      return;
    }
    bytes.append(part.data(), static_cast<std::size_t>(got));
  }
}

// The file a write replaces: the target itself, or where the target's symbolic link leads, so
// the rename replaces the file and keeps the link.
std::string replacedFile(const std::string& path) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A new file keeps the old one's permissions, or takes the usual ones less the umask.
mode_t permissionsFor(const struct stat* old) {
  if (old != nullptr) return old->st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

WholeFile readWholeFile(const std::string& path, std::uint64_t largest) {
  WholeFile whole;
  // Opened without blocking, so a pipe with no writer is refused below instead of waiting.
  Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat status {};
  if (!file.isOpen() || ::fstat(file.get(), &status) != 0) {
    whole.error = systemError(errno);
    return whole;
  }
  if (!S_ISREG(status.st_mode)) {
    whole.error = "not an ordinary file";
    return whole;
  }
  const auto size = static_cast<std::uint64_t>(std::max<off_t>(status.st_size, 0));
  if (size > largest) {
    whole.error = "larger than " + std::to_string(largest) + " bytes";
    return whole;
  }
  try {
    whole.bytes.reserve(static_cast<std::size_t>(size));
    readAll(file.get(), largest, whole.bytes, whole.error);
  } catch (const std::bad_alloc&) {
    whole.error = "out of memory";
  } catch (const std::length_error&) {
    whole.error = "out of memory";
  }
  if (!whole.ok()) std::string().swap(whole.bytes);
  return whole;
}

FileWriter::FileWriter(const std::string& path) : target_(replacedFile(path)) {
  struct stat old {};
  const bool exists = ::stat(target_.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) {
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
  } else {
    temporary_ = folderOf(target_) + "/." + nameOf(target_) + ".XXXXXX";
    mode_ = permissionsFor(exists ? &old : nullptr);
    fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) temporary_.clear();
  }
  if (fd_ < 0) error_ = systemError(errno);
}

FileWriter::~FileWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void FileWriter::fail(std::string why) {
  if (error_.empty()) error_ = std::move(why);
}

bool FileWriter::write(std::string_view bytes) {
  while (ok() && !bytes.empty()) {
    const ssize_t put = ::write(fd_, bytes.data(), std::min(bytes.size(), partBytes));
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) {
      fail(systemError(errno));
    } else {
      bytes.remove_prefix(static_cast<std::size_t>(put));
    }
  }
  return ok();
}

bool FileWriter::finish() {
  if (ok() && !temporary_.empty()) {
    if (::fchmod(fd_, mode_) != 0 || ::fsync(fd_) != 0) fail(systemError(errno));
  }
  if (fd_ >= 0 && ::close(fd_) != 0) fail(systemError(errno));
  fd_ = -1;
  if (ok() && !temporary_.empty()) {
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
      fail(systemError(errno));
    } else {
      temporary_.clear();
    }
  }
  return ok();
}

WriteResult writeWholeFile(const std::string& path, std::string_view bytes,
                           const KeepWriting& keepWriting) {
  FileWriter file(path);
  while (file.ok()) {
    if (keepWriting && !keepWriting()) return {"interrupted", true};
    if (bytes.empty()) break;
    const std::string_view part = bytes.substr(0, partBytes);
    file.write(part);
    bytes.remove_prefix(part.size());
  }
  file.finish();
  return {file.error()};
}

}  // namespace squish::files
