// Bytes an object keeps for groups it does not model. Most objects keep none, so an
// empty value takes one pointer and no allocation.
#pragma once
#include <memory>
#include <string>

namespace qd {

class KeptBytes {
 public:
  KeptBytes() = default;
  KeptBytes(const KeptBytes& other) : m_bytes(other.empty() ? nullptr : std::make_unique<std::string>(*other.m_bytes)) {}
  KeptBytes& operator=(const KeptBytes& other) {
    if (this != &other) m_bytes = other.empty() ? nullptr : std::make_unique<std::string>(*other.m_bytes);
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
    if (!m_bytes) m_bytes = std::make_unique<std::string>();
    return *m_bytes;
  }

 private:
  std::unique_ptr<std::string> m_bytes;
};

}  // namespace qd
