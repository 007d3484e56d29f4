// The host's growable array, in the shape of AcArray.
#pragma once
#include <algorithm>
#include <vector>

template <class T>
class AcArray {
 public:
  AcArray() = default;
  explicit AcArray(int reserve) { m_items.reserve(reserve > 0 ? reserve : 0); }
  int length() const { return static_cast<int>(m_items.size()); }
  int logicalLength() const { return length(); }
  bool isEmpty() const { return m_items.empty(); }
  int append(const T& v) {
    m_items.push_back(v);
    return length() - 1;
  }
  AcArray& removeAt(int i) {
    m_items.erase(m_items.begin() + i);
    return *this;
  }
  AcArray& removeAll() {
    m_items.clear();
    return *this;
  }
  AcArray& setLogicalLength(int n) {
    m_items.resize(n);
    return *this;
  }
  bool contains(const T& v) const { return std::find(m_items.begin(), m_items.end(), v) != m_items.end(); }
  bool find(const T& v, int& index) const {
    auto it = std::find(m_items.begin(), m_items.end(), v);
    if (it == m_items.end()) return false;
    index = static_cast<int>(it - m_items.begin());
    return true;
  }
  T& operator[](int i) { return m_items[i]; }
  const T& operator[](int i) const { return m_items[i]; }
  T& at(int i) { return m_items.at(i); }
  const T& at(int i) const { return m_items.at(i); }
  const T* asArrayPtr() const { return m_items.data(); }
  auto begin() { return m_items.begin(); }
  auto end() { return m_items.end(); }
  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

 private:
  std::vector<T> m_items;
};
