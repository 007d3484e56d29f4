// The record's own spelling of each name a file gives (a layer's, a linetype's, a text
// style's), found by the file's text: a reader that gives every entity of a large drawing
// its names looks each one up here, in a table of its own, with a hash made as the text
// is walked for its end.
#pragma once
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shared_name.h"

namespace qd::dxf {

class RecordSpellings {
 public:
  // The text up to its first NUL (a result buffer's string would end there), and its
  // hash.
  struct Key {
    std::u16string_view text;
    uint64_t hash;
  };
  static Key keyOf(const std::u16string& s) {
    // Four characters at a time while none of them is a NUL, then one at a time.
    constexpr uint64_t kOnes = 0x0001000100010001u, kHighs = 0x8000800080008000u, kMix = 0x9E3779B97F4A7C15u;
    uint64_t h = 0xcbf29ce484222325u;
    size_t n = 0;
    for (; n + 4 <= s.size(); n += 4) {
      uint64_t w;
      std::memcpy(&w, s.data() + n, 8);
      if (((w - kOnes) & ~w & kHighs) != 0) break;
      h = (h ^ w) * kMix;
      h ^= h >> 32;
    }
    for (; n < s.size() && s[n] != 0; ++n) h = (h ^ s[n]) * kMix;
    return {std::u16string_view(s.data(), n), h ^ (h >> 29)};
  }

  // The spelling kept for the key; null for none.
  const qd::text::SharedName* find(const Key& k) const {
    if (m_slots.empty()) return nullptr;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = k.hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = m_slots[i];
      if (!slot.entry) return nullptr;
      if (slot.hash == k.hash && slot.entry->text.size() == k.text.size() &&
          std::memcmp(slot.entry->text.data(), k.text.data(), k.text.size() * sizeof(char16_t)) == 0)
        return &slot.entry->record;
    }
  }
  // Keeps `record` for the key, which has none yet; gives where it is kept, which stays.
  const qd::text::SharedName* keep(const Key& k, const qd::text::SharedName& record) {
    if (2 * (m_entries.size() + 1) > m_slots.size()) grow();
    m_entries.push_back({std::u16string(k.text), record});
    place({k.hash, &m_entries.back()});
    return &m_entries.back().record;
  }

 private:
  struct Entry {
    std::u16string text;
    qd::text::SharedName record;
  };
  struct Slot {
    uint64_t hash = 0;
    const Entry* entry = nullptr;  // none when null
  };
  void place(const Slot& s) {
    const size_t mask = m_slots.size() - 1;
    size_t i = s.hash & mask;
    while (m_slots[i].entry) i = (i + 1) & mask;
    m_slots[i] = s;
  }
  void grow() {
    std::vector<Slot> old(m_slots.empty() ? 64 : 2 * m_slots.size());
    old.swap(m_slots);
    for (const Slot& s : old)
      if (s.entry) place(s);
  }

  std::deque<Entry> m_entries;  // where the spellings stay
  std::vector<Slot> m_slots;  // at most half of them used
};

}  // namespace qd::dxf
