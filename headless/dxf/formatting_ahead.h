// The formatting of a drawing's entities on a thread of their own: a Recorder notes the
// groups as the walk over the entities files them, and the formatting thread writes
// them, in order, into the drawing's Out.
#pragma once
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "headless/db/tags.h"
#include "headless/dxf/dxf_out.h"
#include "host/dbmain.h"

namespace qd::dxf {

class FormattingAhead;

// Takes the groups of objects as Out does, but only notes them, in a few bytes each, for
// a thread that formats them: the objects are walked on one core while their numbers are
// formatted on another. Pointers are noted as the handles they name, so that the
// formatting needs nothing of the drawing.
class Recorder {
 public:
  enum class Op : uint8_t { Put, Hex, Integer, Real, Binary };
  explicit Recorder(FormattingAhead& ahead);
  db::TagFiler filer{nullptr};
  ClassInfos classes;

  void put(int c, std::string_view value) {
    op(Op::Put, c);
    bytes(value);
  }
  // Texts are put as the file will have them: the formatting has the numbers to do, and
  // the two threads take about as long so.
  void str(int c, std::u16string_view s) {
    op(Op::Put, c);
    const size_t at = m_ops.size();
    raw(uint32_t{0});  // the length, filled in after
    appendText(m_ops, s);
    const auto n = static_cast<uint32_t>(m_ops.size() - at - sizeof(uint32_t));
    std::memcpy(m_ops.data() + at, &n, sizeof n);
  }
  void handle(int c, AcDbHandle h) { hexValue(c, h.value()); }
  void id(int c, AcDbObjectId id) {
    if (id.isNull() || !id.isValid()) put(c, "0");
    else hexValue(c, id.handle().value());
  }
  void hexValue(int c, uint64_t v) {
    op(Op::Hex, c);
    raw(v);
  }
  void integer(int c, int64_t v) {
    op(Op::Integer, c);
    raw(v);
  }
  void realValue(int c, double v) {
    op(Op::Real, c);
    raw(v);
  }
  void point(int c, const AcGePoint3d& p, int dims = 3) {
    realValue(c, p.x);
    realValue(c + 10, p.y);
    if (dims == 3) realValue(c + 20, p.z);
  }
  void binary(int c, std::string_view value) {
    op(Op::Binary, c);
    bytes(value);
  }
  void tag(const Tag& t) { putTag(*this, t); }
  // Hands what is noted to the formatting thread once it is worth a hand-over.
  void flushSome();
  void flush();

  // Formats noted groups into `out`.
  static void replay(std::string_view ops, Out& out);

 private:
  template <class V>
  void raw(V v) {
    m_ops.append(reinterpret_cast<const char*>(&v), sizeof v);
  }
  void op(Op o, int c) {
    raw(o);
    raw(static_cast<int32_t>(c));
  }
  void bytes(std::string_view v) {
    raw(static_cast<uint32_t>(v.size()));
    m_ops.append(v);
  }

  FormattingAhead& m_ahead;
  std::string m_ops;
};

// The thread that formats what a Recorder notes, in order, into the drawing's Out. The
// Out is the thread's until finish() returns. A few buffers go round between the two.
class FormattingAhead {
 public:
  static constexpr size_t kBatch = size_t{256} << 10;
  static constexpr int kBatches = 3;

  explicit FormattingAhead(Out& out) : m_out(out) {
    try {
      m_thread = std::thread([this] { run(); });
    } catch (const std::system_error&) {
      // No thread to be had: what is handed over is formatted at once, by the caller.
    }
  }
  FormattingAhead(const FormattingAhead&) = delete;
  FormattingAhead& operator=(const FormattingAhead&) = delete;
  ~FormattingAhead() {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
  }
  // Formats `ops` after those handed over before; gives an empty buffer back to fill.
  std::string hand(std::string ops) {
    if (!m_thread.joinable()) {
      Recorder::replay(ops, m_out);
      ops.clear();
      return ops;
    }
    std::unique_lock lock(m_mutex);
    if (m_fault) {
      // Nothing more is formatted: what is noted now goes, and finish() tells why.
      ops.clear();
      return ops;
    }
    m_ready.push_back(std::move(ops));
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return !m_free.empty() || m_made < kBatches || m_fault; });
    if (m_free.empty()) {
      ++m_made;
      std::string fresh;
      fresh.reserve(kBatch + 4096);
      return fresh;
    }
    std::string b = std::move(m_free.back());
    m_free.pop_back();
    return b;
  }
  // Waits until everything handed over is formatted; the Out is the caller's again.
  void finish() {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
    if (m_fault) std::rethrow_exception(m_fault);
  }

 private:
  void run() {
    try {
      formatAll();
    } catch (...) {
      // No memory to go on: told at finish(); the recorder is never left waiting.
      std::lock_guard lock(m_mutex);
      m_fault = std::current_exception();
    }
    m_changed.notify_all();
  }
  void formatAll() {
    for (;;) {
      std::string ops;
      {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_stop || !m_ready.empty(); });
        if (m_ready.empty()) return;
        ops = std::move(m_ready.front());
        m_ready.erase(m_ready.begin());
      }
      Recorder::replay(ops, m_out);
      ops.clear();
      {
        std::lock_guard lock(m_mutex);
        m_free.push_back(std::move(ops));
      }
      m_changed.notify_all();
    }
  }

  Out& m_out;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<std::string> m_ready, m_free;
  int m_made = 1;  // the recorder's first buffer
  bool m_stop = false;
  std::exception_ptr m_fault;
  std::thread m_thread;  // started once everything above is made
};

// Files an object of the host's own classes straight into a recorder, group by group,
// as writeObject would put the groups it collects: angles (groups 50 to 58) in degrees
// for the classes that model them.
class RecordingFiler : public db::TagFiler {
 public:
  RecordingFiler(Recorder& out, AcDbDatabase* db, bool degrees) : TagFiler(db), m_out(out), m_degrees(degrees) {}

  void append(const Tag& t) override {
    if (t.kind == TagKind::Real) real(t.code, t.real);
    else putTag(m_out, t);
  }
  Acad::ErrorStatus writeItem(const resbuf& item) override {
    Tag t;
    if (!db::resbufToTag(item, t)) {
      setFilerStatus(Acad::eInvalidResBuf);
      return Acad::eInvalidResBuf;
    }
    append(t);
    return Acad::eOk;
  }
  Acad::ErrorStatus writeString(int code, const ACHAR* value) override {
    m_out.str(code, value ? std::u16string_view(value) : std::u16string_view());
    return Acad::eOk;
  }
  Acad::ErrorStatus writeBool(int code, bool value) override { return integer(code, value ? 1 : 0); }
  Acad::ErrorStatus writeInt8(int code, int8_t value) override { return integer(code, value); }
  Acad::ErrorStatus writeInt16(int code, int16_t value) override { return integer(code, value); }
  Acad::ErrorStatus writeInt32(int code, int32_t value) override { return integer(code, value); }
  Acad::ErrorStatus writeDouble(int code, double value, int) override {
    real(code, value);
    return Acad::eOk;
  }
  Acad::ErrorStatus writePoint2d(int code, const AcGePoint2d& v, int) override {
    m_out.point(code, AcGePoint3d(v.x, v.y, 0), 2);
    return Acad::eOk;
  }
  Acad::ErrorStatus writePoint3d(int code, const AcGePoint3d& v, int) override {
    m_out.point(code, v);
    return Acad::eOk;
  }
  Acad::ErrorStatus writeVector3d(int code, const AcGeVector3d& v, int) override {
    m_out.point(code, AcGePoint3d(v.x, v.y, v.z));
    return Acad::eOk;
  }
  Acad::ErrorStatus writeObjectId(int code, const AcDbObjectId& id) override {
    m_out.id(code, id);
    return Acad::eOk;
  }
  Acad::ErrorStatus writeBinaryChunk(int code, const ads_binary& value) override {
    m_out.binary(code, std::string_view(value.buf ? value.buf : "", value.clen > 0 ? static_cast<size_t>(value.clen) : 0));
    return Acad::eOk;
  }

 private:
  Acad::ErrorStatus integer(int code, int64_t v) {
    m_out.integer(code, v);
    return Acad::eOk;
  }
  void real(int code, double v) {
    if (m_degrees && code >= 50 && code <= 58) v = std::round(v * 180.0 / M_PI * 1e12) / 1e12;
    m_out.realValue(code, v);
  }

  Recorder& m_out;
  bool m_degrees;
};

}  // namespace qd::dxf
