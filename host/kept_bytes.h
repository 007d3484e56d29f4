// Bytes an object keeps for groups it does not model. Most objects keep none, so an
// empty value takes one pointer and no allocation; the text that holds them lives in the
// object heap beside the objects.
#pragma once
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "host/object_heap.h"

namespace qd {

class KeptBytes {
 public:
  KeptBytes() = default;
  KeptBytes(const KeptBytes& other) : m_bytes(other.empty() ? nullptr : make(*other.m_bytes)) {}
  KeptBytes& operator=(const KeptBytes& other) {
    if (this != &other) m_bytes = other.empty() ? nullptr : make(*other.m_bytes);
    return *this;
  }
  KeptBytes(KeptBytes&&) noexcept = default;
  KeptBytes& operator=(KeptBytes&&) noexcept = default;

  bool empty() const { return !m_bytes || m_bytes->empty(); }
  void clear() { m_bytes.reset(); }
  const std::string& str() const {
    static const std::string none;
    return m_bytes ? *m_bytes : none;
  }
  operator const std::string&() const { return str(); }
  // The bytes to add to, made when first needed.
  std::string& edit() {
    if (!m_bytes) m_bytes = make();
    return *m_bytes;
  }

 private:
  struct Release {
    void operator()(std::string* s) const noexcept {
      s->~basic_string();
      freeObject(s, sizeof(std::string));
    }
  };
  using Text = std::unique_ptr<std::string, Release>;
  template <class... Args>
  static Text make(Args&&... args) {
    void* room = allocateObject(sizeof(std::string));
    try {
      return Text(new (room) std::string(std::forward<Args>(args)...));
    } catch (...) {
      freeObject(room, sizeof(std::string));
      throw;
    }
  }

  Text m_bytes;
};

}  // namespace qd
