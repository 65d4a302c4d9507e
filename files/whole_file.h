#pragma once
// Whole files, read and written safely. Reading takes only ordinary files (a pipe with no writer
// would block forever, a device such as /dev/zero never ends) and reports a read error or a
// shortage of memory instead of handing back part of a file. Writing goes to a temporary file in
// the target's folder, renamed over the target only once complete and flushed, so an interrupted
// or failed write leaves the old file as it was and no temporary behind.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace squish::files {

// Files larger than this are refused unread.
inline constexpr std::uint64_t largestFileBytes = std::uint64_t{1} << 30;

struct WholeFile {
  std::string bytes;
  std::string error;  // why the file could not be read whole; empty when it was
  bool ok() const { return error.empty(); }
  // The bytes as unsigned values, for binary formats.
  std::span<const std::uint8_t> data() const {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
  }
};

WholeFile readWholeFile(const std::string& path, std::uint64_t largest = largestFileBytes);

// Asked before each part of a file is written; false abandons the write.
using KeepWriting = std::function<bool()>;

struct WriteResult {
  std::string error;         // why the file was not written; empty when it was
  bool interrupted = false;  // abandoned because keepWriting said so
  bool ok() const { return error.empty(); }
};

// Writes `bytes` as the whole of the file at `path`, through a FileWriter.
WriteResult writeWholeFile(const std::string& path, std::string_view bytes,
                           const KeepWriting& keepWriting = {});

// A file written part by part into a temporary beside its target, which finish() flushes to disk
// and renames over the target; a writer destroyed unfinished, or one whose writing failed,
// removes its temporary and leaves the target as it was. A target that exists but is no
// ordinary file (a device, a pipe) is written directly: there is no old file to keep. A symbolic
// link keeps leading to the file it names.
class FileWriter {
 public:
  explicit FileWriter(const std::string& path);
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // False once anything has failed; later writes then do nothing.
  bool write(std::string_view bytes);
  // Puts the file in place; false, with the old file kept, when it could not be.
  bool finish();
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  void fail(std::string why);

  std::string target_;
  std::string temporary_;  // empty when writing the target directly, or once renamed
  int fd_ = -1;
  unsigned mode_ = 0;
  std::string error_;
};

}  // namespace squish::files
