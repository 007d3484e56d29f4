// Owners of what the host hands out, so that every path gives it back: opened objects,
// result-buffer lists, selection sets and loaded dialog files.
#pragma once
#include <utility>

#include "host/adsdlg.h"
#include "host/adslib.h"
#include "host/dbmain.h"

namespace qd::support {

// An object opened with acdbOpenObject, closed when the holder goes.
template <class T>
class Opened {
 public:
  Opened() = default;
  Opened(AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false) { open(id, mode, openErased); }
  explicit Opened(T* alreadyOpen) : m_obj(alreadyOpen) {}
  ~Opened() { close(); }
  Opened(const Opened&) = delete;
  Opened& operator=(const Opened&) = delete;
  Opened(Opened&& o) noexcept : m_obj(std::exchange(o.m_obj, nullptr)), m_status(o.m_status) {}

  Acad::ErrorStatus open(AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false) {
    close();
    m_status = acdbOpenObject(m_obj, id, mode, openErased);
    if (m_status != Acad::eOk) m_obj = nullptr;
    return m_status;
  }
  void close() {
    if (m_obj) m_obj->close();
    m_obj = nullptr;
  }
  T* get() const { return m_obj; }
  T* operator->() const { return m_obj; }
  explicit operator bool() const { return m_obj != nullptr; }
  Acad::ErrorStatus status() const { return m_status; }

 private:
  T* m_obj = nullptr;
  Acad::ErrorStatus m_status = Acad::eNullObjectPointer;
};

// A result-buffer list released with acutRelRb.
class ResbufList {
 public:
  ResbufList() = default;
  explicit ResbufList(resbuf* rb) : m_rb(rb) {}
  ~ResbufList() { acutRelRb(m_rb); }
  ResbufList(const ResbufList&) = delete;
  ResbufList& operator=(const ResbufList&) = delete;
  ResbufList(ResbufList&& o) noexcept : m_rb(std::exchange(o.m_rb, nullptr)) {}
  resbuf* get() const { return m_rb; }
  resbuf** out() {
    reset();
    return &m_rb;
  }
  resbuf* release() { return std::exchange(m_rb, nullptr); }
  void reset(resbuf* rb = nullptr) {
    acutRelRb(m_rb);
    m_rb = rb;
  }

 private:
  resbuf* m_rb = nullptr;
};

// A selection set freed with acedSSFree unless released to a caller.
class SelectionSet {
 public:
  SelectionSet() { ads_name_clear(m_name); }
  ~SelectionSet() { free(); }
  SelectionSet(const SelectionSet&) = delete;
  SelectionSet& operator=(const SelectionSet&) = delete;
  int64_t* name() { return m_name; }
  bool empty() const { return ads_name_nil(m_name); }
  int32_t length() const {
    int32_t n = 0;
    if (!empty()) acedSSLength(m_name, &n);
    return n;
  }
  void free() {
    if (!empty()) acedSSFree(m_name);
    ads_name_clear(m_name);
  }
  // Hands the set to a caller (a LISP result) that frees it.
  void release(ads_name out) {
    ads_name_set(m_name, out);
    ads_name_clear(m_name);
  }

 private:
  ads_name m_name;
};

// A loaded DCL file, unloaded when the holder goes.
class DialogFile {
 public:
  explicit DialogFile(const ACHAR* file) {
    if (ads_load_dialog(file, &m_id) != RTNORM) m_id = -1;
  }
  ~DialogFile() {
    if (m_id >= 0) ads_unload_dialog(m_id);
  }
  DialogFile(const DialogFile&) = delete;
  DialogFile& operator=(const DialogFile&) = delete;
  int id() const { return m_id; }
  bool loaded() const { return m_id >= 0; }

 private:
  int m_id = -1;
};

}  // namespace qd::support
