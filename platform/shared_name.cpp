#include "platform/shared_name.h"

#include <unordered_map>

namespace qd::text {

struct SharedName::Node {
  std::u16string text;
  size_t holders = 0;
};

namespace {

// The spellings held, by their text. Made once and never destroyed, so that names held
// by objects that outlive other statics still find it at exit. The host and its modules
// run on one thread, so it takes no lock.
struct Pool {
  std::unordered_map<std::u16string_view, SharedName::Node*> nodes;
};
Pool& pool() {
  static Pool* p = new Pool;
  return *p;
}

SharedName::Node* take(std::u16string_view s) {
  Pool& p = pool();
  auto it = p.nodes.find(s);
  if (it == p.nodes.end()) {
    auto* node = new SharedName::Node{std::u16string(s), 0};
    it = p.nodes.emplace(node->text, node).first;
  }
  ++it->second->holders;
  return it->second;
}

void release(SharedName::Node* node) {
  if (--node->holders > 0) return;
  pool().nodes.erase(node->text);
  delete node;
}

void hold(SharedName::Node* node) { ++node->holders; }

}  // namespace

SharedName::SharedName(std::u16string_view s) : m_node(take(s)) {}
SharedName::SharedName(const SharedName& other) : m_node(other.m_node) { hold(m_node); }
SharedName& SharedName::operator=(const SharedName& other) {
  if (m_node != other.m_node) {
    hold(other.m_node);
    release(m_node);
    m_node = other.m_node;
  }
  return *this;
}
SharedName& SharedName::operator=(std::u16string_view s) {
  if (s == view()) return *this;
  Node* next = take(s);
  release(m_node);
  m_node = next;
  return *this;
}
SharedName::~SharedName() { release(m_node); }

size_t SharedName::spellingsHeld() { return pool().nodes.size(); }

const char16_t* SharedName::c_str() const { return m_node->text.c_str(); }
std::u16string_view SharedName::view() const { return m_node->text; }

}  // namespace qd::text
