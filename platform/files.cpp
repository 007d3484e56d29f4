#include "platform/files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/pages.h"

namespace qd::files {
namespace {

testing::Fault g_fault = testing::Fault::None;

std::string reason(int err) { return std::strerror(err); }

// Closes a descriptor on every path; `release` hands it back for a checked close.
class Descriptor {
 public:
  explicit Descriptor(int fd) : m_fd(fd) {}
  ~Descriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  void reset(int fd) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = fd;
  }
  int get() const { return m_fd; }
  int release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }

 private:
  int m_fd;
};

bool writeAll(int fd, std::string_view bytes, int& err) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Starts putting bytes just written on the disk without waiting for them, so that the
// flush at the end waits for the last of them only. Only a hint: where the system has no
// such call, or it fails, the flush does it all.
void startWriteBack(int fd, off_t offset, size_t size) {
#if defined(__linux__)
  ::sync_file_range(fd, offset, static_cast<off_t>(size), SYNC_FILE_RANGE_WRITE);
#else
  (void)fd, (void)offset, (void)size;
#endif
}

std::string folderOf(const std::string& path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  return parent.empty() ? "." : parent.string();
}

// Opens a file to be read whole. `size` is its size when it is a regular file, else it
// stays unknown (a device or pipe, read to its end).
bool openToRead(const std::string& path, Descriptor& fd, std::optional<size_t>& size, std::string& error,
                size_t limit) {
  fd.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    error = "cannot open \"" + path + "\": " + reason(errno);
    return false;
  }
  struct stat st {};
  const bool known = ::fstat(fd.get(), &st) == 0;
  if (known && S_ISDIR(st.st_mode)) {
    error = "\"" + path + "\" is a folder, not a file";
    return false;
  }
  if (known && S_ISREG(st.st_mode)) {
    if (static_cast<unsigned long long>(st.st_size) > limit) {
      error = "\"" + path + "\" is larger than " + std::to_string(limit) + " bytes";
      return false;
    }
    size = static_cast<size_t>(st.st_size);
  }
  return true;
}

// The failure to read `path` with `err`, told in `error`: false.
bool readFailed(const std::string& path, int err, std::string& error) {
  error = "cannot read \"" + path + "\": " + reason(err);
  return false;
}

// Up to `size` bytes from `offset` on into `to`, fewer at the file's end: how many, or -1
// with errno.
ssize_t preadAll(int fd, char* to, size_t size, off_t offset) {
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::pread(fd, to + got, size - got, offset + static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(got);
}

// Reads up to `size` bytes from the file's start into `to`; `got` says how many came
// (fewer when the file became shorter). The descriptor is left where they end, for what
// follows to be read from there.
bool readInto(int fd, char* to, size_t size, size_t& got, const std::string& path, std::string& error) {
  const ssize_t n = preadAll(fd, to, size, 0);
  if (n < 0 || ::lseek(fd, static_cast<off_t>(n), SEEK_SET) < 0) return readFailed(path, errno, error);
  got = static_cast<size_t>(n);
  return true;
}

// From this size on, a file is read in two halves at once.
constexpr size_t kReadInTwoFrom = size_t{8} << 20;

// As readInto, for a large file: the second half is read on another core while this one
// reads the first, each making its own pages present, which is most of the cost. The
// descriptor is left where the bytes read end.
bool readInTwo(int fd, char* to, size_t size, size_t& got, const std::string& path, std::string& error) {
  const size_t half = size / 2;
  ssize_t second = 0;
  int secondErr = 0;
  std::thread other;
  try {
    other = std::thread([&] {
      qd::pages::makePresent(to + half, size - half);
      second = preadAll(fd, to + half, size - half, static_cast<off_t>(half));
      if (second < 0) secondErr = errno;
    });
  } catch (const std::system_error&) {
    qd::pages::makePresent(to, size);
    return readInto(fd, to, size, got, path, error);  // no thread to be had
  }
  qd::pages::makePresent(to, half);
  const ssize_t first = preadAll(fd, to, half, 0);
  const int firstErr = first < 0 ? errno : 0;
  other.join();
  if (first < 0 || second < 0) return readFailed(path, first < 0 ? firstErr : secondErr, error);
  // A file cut short while it was read ends where its first half does.
  got = static_cast<size_t>(first) < half ? static_cast<size_t>(first) : half + static_cast<size_t>(second);
  if (::lseek(fd, static_cast<off_t>(got), SEEK_SET) < 0) return readFailed(path, errno, error);
  return true;
}

// Reads what remains in chunks up to one byte past the limit, so that a device or pipe
// without end is refused instead of filling the memory (and a file that grows, to its end).
bool readRest(int fd, std::string& bytes, const std::string& path, std::string& error, size_t limit) {
  std::vector<char> chunk(1 << 16);
  for (;;) {
    const ssize_t n = ::read(fd, chunk.data(), chunk.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return readFailed(path, errno, error);
    }
    if (n == 0) return true;
    if (bytes.size() + static_cast<size_t>(n) > limit) {
      error = "\"" + path + "\" is larger than " + std::to_string(limit) + " bytes";
      return false;
    }
    bytes.append(chunk.data(), static_cast<size_t>(n));
  }
}

// The whole of an opened file, `size` long when that is known.
bool readAll(int fd, std::optional<size_t> size, std::string& bytes, const std::string& path, std::string& error,
             size_t limit) {
  bytes.clear();
  if (size) {
    // A file of known size is read straight into its place, not through a chunk.
    bytes.resize(*size);
    size_t got = 0;
    const bool read = readInto(fd, bytes.data(), *size, got, path, error);
    bytes.resize(read ? got : 0);
    if (!read) return false;
  }
  if (!readRest(fd, bytes, path, error, limit)) {
    bytes.clear();
    return false;
  }
  return true;
}

}  // namespace

void testing::failNextReplacement(Fault step) { g_fault = step; }

bool readFile(const std::string& path, std::string& bytes, std::string& error, size_t limit) {
  bytes.clear();
  Descriptor fd(-1);
  std::optional<size_t> size;
  return openToRead(path, fd, size, error, limit) && readAll(fd.get(), size, bytes, path, error, limit);
}

FileBytes::~FileBytes() { unmap(); }

FileBytes::FileBytes(FileBytes&& other) noexcept
    : m_small(std::move(other.m_small)),
      m_mapped(other.m_mapped),
      m_capacity(other.m_capacity),
      m_size(other.m_size),
      m_detached(std::move(other.m_detached)) {
  other.m_mapped = nullptr;
  other.m_capacity = other.m_size = 0;
  other.m_detached.clear();
}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept {
  if (this != &other) {
    unmap();
    m_small = std::move(other.m_small);
    std::swap(m_mapped, other.m_mapped);
    std::swap(m_capacity, other.m_capacity);
    std::swap(m_size, other.m_size);
    std::swap(m_detached, other.m_detached);
  }
  return *this;
}

std::string_view FileBytes::view() const {
  return m_mapped ? std::string_view(m_mapped, m_size) : std::string_view(m_small);
}

std::pair<char*, char*> FileBytes::pagesWithin(const char* from, const char* to) const {
  if (!m_mapped) return {nullptr, nullptr};
  const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<uintptr_t>(m_mapped);
  const uintptr_t first = (std::max(reinterpret_cast<uintptr_t>(from), start) + page - 1) / page * page;
  const uintptr_t last = std::min(reinterpret_cast<uintptr_t>(to), start + m_size) / page * page;
  if (last <= first) return {nullptr, nullptr};
  return {reinterpret_cast<char*>(first), reinterpret_cast<char*>(last)};
}

void FileBytes::release(const char* from, const char* to) {
  // The mapping is private and anonymous: its pages given back come again as zeros.
  const auto [first, last] = pagesWithin(from, to);
  if (first) ::madvise(first, static_cast<size_t>(last - first), MADV_DONTNEED);
}

std::pair<char*, char*> FileBytes::detach(const char* from, const char* to) {
  const auto pages = pagesWithin(from, to);
  if (pages.first) m_detached.push_back(pages);
  return pages;
}

void FileBytes::unmap() {
  if (m_mapped) {
    // The pages between those detached, whichever ranges were detached (twice or
    // overlapping as well).
    std::sort(m_detached.begin(), m_detached.end());
    char* from = m_mapped;
    for (const auto& [first, last] : m_detached) {
      if (first > from) ::munmap(from, static_cast<size_t>(first - from));
      from = std::max(from, last);
    }
    char* const end = m_mapped + m_capacity;
    if (end > from) ::munmap(from, static_cast<size_t>(end - from));
  }
  m_mapped = nullptr;
  m_capacity = m_size = 0;
  m_detached.clear();
}

bool readFile(const std::string& path, FileBytes& bytes, std::string& error, size_t limit) {
  bytes = FileBytes();
  Descriptor fd(-1);
  std::optional<size_t> size;
  if (!openToRead(path, fd, size, error, limit)) return false;
  if (!size || *size < FileBytes::kMapFrom) return readAll(fd.get(), size, bytes.m_small, path, error, limit);
  // Pages made present all at once cost half of those the copy would fault in one by one.
  const bool inTwo = *size >= kReadInTwoFrom;
  void* room = ::mmap(nullptr, *size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | (inTwo ? 0 : MAP_POPULATE),
                      -1, 0);
  if (room == MAP_FAILED) return readAll(fd.get(), size, bytes.m_small, path, error, limit);
  bytes.m_mapped = static_cast<char*>(room);
  bytes.m_capacity = *size;
  if (!(inTwo ? readInTwo(fd.get(), bytes.m_mapped, *size, bytes.m_size, path, error)
              : readInto(fd.get(), bytes.m_mapped, *size, bytes.m_size, path, error))) {
    bytes = FileBytes();
    return false;
  }
  std::string more;
  if (!readRest(fd.get(), more, path, error, limit - bytes.m_size)) {
    bytes = FileBytes();
    return false;
  }
  if (!more.empty()) {  // it grew while it was read: its bytes go together
    std::string all(bytes.view());
    all += more;
    bytes = FileBytes();
    bytes.m_small = std::move(all);
  }
  return true;
}

bool replaceFile(const std::string& path, std::string_view bytes, std::string& error) {
  return replaceFile(path, [&](const ByteSink& write) { write(bytes); }, error);
}

bool replaceFile(const std::string& path, const std::function<void(const ByteSink&)>& produce, std::string& error) {
  // An injected fault is used up by the replacement it hits.
  const testing::Fault fault = g_fault;
  g_fault = testing::Fault::None;
  auto failed = [&](const std::string& what, int err) {
    error = "cannot write \"" + path + "\": " + what + (err ? ": " + reason(err) : "");
    return false;
  };
  // The file's permission bits are kept; a file nobody may write is not replaced.
  mode_t mode = 0666;
  bool existed = false;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return failed("it is a folder", 0);
    if ((st.st_mode & 0222) == 0) return failed("the file is read-only", 0);
    mode = st.st_mode & 07777;
    existed = true;
  }
  std::string tmp = path + ".XXXXXX";
  Descriptor fd(fault == testing::Fault::Create ? (errno = EACCES, -1) : ::mkstemp(tmp.data()));
  if (fd.get() < 0) return failed("cannot create a temporary file beside it", errno);
  auto discard = [&](const std::string& what, int err) {
    ::unlink(tmp.c_str());
    return failed(what, err);
  };
  if (!existed) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  if (::fchmod(fd.get(), mode) != 0) return discard("cannot set its permissions", errno);
  int err = 0;
  if (fault == testing::Fault::Write) err = ENOSPC;
  // After a failed write the rest is not written; the failure is told at the end.
  off_t written = 0;
  produce([&](std::string_view piece) {
    if (err || !writeAll(fd.get(), piece, err)) return;
    startWriteBack(fd.get(), written, piece.size());
    written += static_cast<off_t>(piece.size());
  });
  if (err) return discard("the write failed", err);
  if (fault == testing::Fault::Sync || ::fsync(fd.get()) != 0)
    return discard("the data could not be flushed to disk", fault == testing::Fault::Sync ? EIO : errno);
  const int raw = fd.release();
  if (::close(raw) != 0 || fault == testing::Fault::Close)
    return discard("closing the file failed", fault == testing::Fault::Close ? EIO : errno);
  if (fault == testing::Fault::Rename || ::rename(tmp.c_str(), path.c_str()) != 0)
    return discard("the new file could not be moved into place", fault == testing::Fault::Rename ? EACCES : errno);
  // The rename itself is durable only once the folder is flushed.
  Descriptor dir(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0 || ::fsync(dir.get()) != 0)
    return failed("the file was replaced, but its folder could not be flushed to disk", errno);
  return true;
}

}  // namespace qd::files
