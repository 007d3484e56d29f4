// Whole-file reading with a size limit, and durable replacement of a file: the two ways
// the system touches files it reads in full or rewrites (drawings, settings, lists,
// dialogs, pictures, transcripts).
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qd::files {

// Larger than any drawing, list or dialog file the system reads whole.
constexpr size_t kDefaultReadLimit = size_t{1} << 30;

// Reads the whole file into `bytes`. Fails with a message in `error` when it cannot be
// opened or read, or when it holds more than `limit` bytes (an endless device as well).
bool readFile(const std::string& path, std::string& bytes, std::string& error, size_t limit = kDefaultReadLimit);

// A whole file's bytes, for files too large to be copied again (drawings). A large file's
// bytes are kept in pages of their own, given back when the object goes.
class FileBytes {
 public:
  // From this size on, the bytes are read into pages mapped for them.
  static constexpr size_t kMapFrom = size_t{1} << 20;

  FileBytes() = default;
  ~FileBytes();
  FileBytes(FileBytes&& other) noexcept;
  FileBytes& operator=(FileBytes&& other) noexcept;
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  std::string_view view() const;
  // Gives back the pages that lie wholly within [from, to), bytes of `view()` the reader
  // is done with: they read as zeros afterwards. Only mapped bytes have pages of their
  // own; for the others, and for a range outside them, nothing happens.
  void release(const char* from, const char* to);
  // Hands the pages that lie wholly within [from, to) to a new owner, who keeps them for
  // as long as it likes: they are not unmapped with the others. Gives where they start
  // and end; nothing (two nulls) where no page of its own lies within the range.
  std::pair<char*, char*> detach(const char* from, const char* to);

 private:
  friend bool readFile(const std::string& path, FileBytes& bytes, std::string& error, size_t limit);
  void unmap();
  std::pair<char*, char*> pagesWithin(const char* from, const char* to) const;

  std::string m_small;
  char* m_mapped = nullptr;
  size_t m_capacity = 0;
  size_t m_size = 0;
  std::vector<std::pair<char*, char*>> m_detached;  // pages of other owners now
};

// The same reading into `bytes`, with the same failures.
bool readFile(const std::string& path, FileBytes& bytes, std::string& error, size_t limit = kDefaultReadLimit);

// Replaces the file at `path` with `bytes` so that the old content survives any failure:
// a temporary file in the same folder is written, flushed to disk and closed, each step
// checked, then renamed over the old file and the folder flushed. A replaced file keeps
// its permission bits; a read-only file is not replaced. On failure the temporary file
// is removed, `error` says what failed, and the old file is as it was.
bool replaceFile(const std::string& path, std::string_view bytes, std::string& error);

// The same replacement for content made piece by piece, so that a large file is never
// held whole: `produce` hands each piece to the function it is given, in order. A failed
// write is told once the content is produced.
using ByteSink = std::function<void(std::string_view piece)>;
bool replaceFile(const std::string& path, const std::function<void(const ByteSink&)>& produce, std::string& error);

// For tests: makes the next replacement fail at one step as a full disk or a refusing
// folder would.
namespace testing {
enum class Fault { None, Create, Write, Sync, Close, Rename };
void failNextReplacement(Fault step);
}  // namespace testing

}  // namespace qd::files
