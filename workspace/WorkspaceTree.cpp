#include "workspace/WorkspaceTree.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/codepage.h"
#include "platform/files.h"

namespace qd::workspace {
namespace {

WorkspaceNode* lastOf(WorkspaceNode* node) {
  while (node && node->next) node = node->next;
  return node;
}

}  // namespace

std::u16string_view nameOf(const WorkspaceNode* node) {
  if (!node) return {};
  size_t n = 0;
  while (n < kNameLength && node->name[n]) ++n;
  return {node->name, n};
}

void setName(WorkspaceNode* node, std::u16string_view text) {
  const size_t n = std::min(text.size(), kNameLength);
  std::copy_n(text.data(), n, node->name);
  std::fill(node->name + n, node->name + kNameLength + 1, u'\0');
}

WorkspaceNode* create(std::u16string_view text) {
  auto* node = new WorkspaceNode{};
  setName(node, text);
  return node;
}

WorkspaceNode* appendSiblingNode(WorkspaceNode* node, WorkspaceNode* other) {
  if (!node || !other) return other;
  WorkspaceNode* last = lastOf(node);
  other->level = node->level;
  other->prev = last;
  last->next = other;
  return other;
}

WorkspaceNode* appendSibling(WorkspaceNode* node, std::u16string_view text) { return appendSiblingNode(node, create(text)); }

WorkspaceNode* appendChild(WorkspaceNode* node, std::u16string_view text) {
  if (!node) return nullptr;
  if (node->firstChild) return appendSibling(node->firstChild, text);
  WorkspaceNode* child = create(text);
  child->level = static_cast<int8_t>(node->level + 1);
  child->prev = node;
  node->firstChild = child;
  return child;
}

// Along the next chain by iteration and into the children by recursion, so that a long
// chain of siblings never deepens the stack.
void freeTree(WorkspaceNode* node) {
  while (node) {
    freeTree(node->firstChild);
    WorkspaceNode* next = node->next;
    delete node;
    node = next;
  }
}

void freeSubtrees(WorkspaceNode* node) {
  if (!node) return;
  freeTree(node->firstChild);
  freeTree(node->next);
  node->firstChild = node->next = nullptr;
}

void unlink(WorkspaceNode* node) {
  if (!node) return;
  freeTree(node->firstChild);
  if (node->next) node->next->prev = node->prev;
  if (node->prev) {
    if (node->prev->next == node) node->prev->next = node->next;
    else if (node->prev->firstChild == node) node->prev->firstChild = node->next;
  }
  delete node;
}

bool swapWithNext(WorkspaceNode*& root, WorkspaceNode* a) {
  WorkspaceNode* b = a ? a->next : nullptr;
  if (!b) return false;
  WorkspaceNode* before = a->prev;  // a previous sibling, a parent, or none
  if (before && before->next == a) before->next = b;
  else if (before && before->firstChild == a) before->firstChild = b;
  if (root == a) root = b;
  b->prev = before;
  a->next = b->next;
  if (a->next) a->next->prev = a;
  b->next = a;
  a->prev = b;
  return true;
}

namespace {
// Copies a chain (each node with its children) as the children of `parent`.
void copyChildren(WorkspaceNode* parent, const WorkspaceNode* chain) {
  for (const WorkspaceNode* s = chain; s; s = s->next) {
    WorkspaceNode* made = appendChild(parent, nameOf(s));
    made->state = s->state;
    copyChildren(made, s->firstChild);
  }
}
}  // namespace

void copyInto(WorkspaceNode*& slot, const WorkspaceNode* source, bool clearFirst, bool withSiblings) {
  if (!source) return;
  if (!slot) {
    slot = create(nameOf(source));
    slot->state = source->state;
    slot->level = source->level;
  }
  if (clearFirst) freeSubtrees(slot);
  copyChildren(slot, source->firstChild);
  if (!withSiblings) return;
  for (const WorkspaceNode* s = source->next; s; s = s->next) {
    WorkspaceNode* made = appendSibling(slot, nameOf(s));
    made->state = s->state;
    copyChildren(made, s->firstChild);
  }
}

WorkspaceNode* groupOf(WorkspaceNode* node) {
  while (node && node->level > 0 && node->prev) node = node->prev;
  return node;
}

bool hasPrefix(const WorkspaceNode* list, std::u16string_view text) {
  for (const WorkspaceNode* n = list; n; n = n->next)
    if (nameOf(n).substr(0, text.size()) == text) return true;
  return false;
}

void markFloors(WorkspaceNode* tree, const WorkspaceNode* floors) {
  for (WorkspaceNode* g = tree; g; g = g->next) {
    if (g->state != kFloorTied || nameOf(g).size() < 2) continue;
    for (const WorkspaceNode* f = floors; f; f = f->next)
      if (nameOf(f).size() >= 2 && nameOf(f).substr(0, 2) == nameOf(g).substr(0, 2)) {
        g->state = kFloorPresent;
        setName(g, nameOf(f));
        break;
      }
  }
}

size_t countNodes(const WorkspaceNode* tree) {
  size_t n = 0;
  for (const WorkspaceNode* s = tree; s; s = s->next) n += 1 + countNodes(s->firstChild);
  return n;
}

std::optional<Action> parseAction(std::u16string_view text) {
  std::u16string t(text);
  while (!t.empty() && t.back() == u' ') t.pop_back();
  // Leading control characters and blanks go, up to and with the first blank.
  size_t at = 0;
  while (at < t.size() && t[at] < u' ') ++at;
  if (at < t.size() && t[at] == u' ') ++at;
  const size_t blank = t.find(u' ', at);
  if (blank == std::u16string::npos) return std::nullopt;
  Action a;
  a.option = t.substr(at, blank - at);
  size_t rest = t.find_first_not_of(u' ', blank);
  std::u16string r = rest == std::u16string::npos ? u"" : t.substr(rest);
  if (const size_t bar = r.find(u'|'); bar != std::u16string::npos) {
    a.prefix = r.substr(0, bar + 1);
    r = r.substr(bar + 1);
  } else if (const size_t dollar = r.find(u'$'); dollar != std::u16string::npos && dollar + 2 < r.size() &&
                                                   r[dollar + 2] == u'$') {
    a.prefix = r.substr(0, dollar + 3);
    r = r.substr(dollar + 3);
  }
  if (!r.empty() && r[0] == u'~') {
    a.option += u'~';
    r.erase(0, 1);
  }
  a.mask = r;
  return a;
}

bool maskReadable(std::u16string_view mask) {
  if (mask.empty()) return false;
  for (size_t i = 0; i < mask.size(); ++i) {
    const char16_t c = mask[i];
    if (c == u'`') {
      if (++i == mask.size()) return false;  // nothing to take literally
    } else if (c == u'[') {
      size_t j = i + 1;
      if (j < mask.size() && mask[j] == u'~') ++j;
      // The first character of a class may be ']' itself.
      for (bool first = true; j < mask.size() && (mask[j] != u']' || first); ++j, first = false)
        if (mask[j] == u'`') ++j;
      if (j >= mask.size()) return false;
      i = j;
    } else if (c < u' ' || std::u16string_view(u"<>/\\\":;=|").find(c) != std::u16string_view::npos) {
      return false;
    }
  }
  return true;
}

std::u16string descriptionOf(const WorkspaceNode* workspace) {
  std::u16string text;
  if (!workspace) return text;
  for (const WorkspaceNode* p = workspace->firstChild; p; p = p->next) text += nameOf(p);
  return text;
}

void setDescription(WorkspaceNode* workspace, std::u16string_view text) {
  if (!workspace) return;
  WorkspaceNode* first = workspace->firstChild;
  if (text.empty()) {
    if (!first) return;
    setName(first, u"");
    freeTree(first->next);
    first->next = nullptr;
    return;
  }
  if (!first) first = appendChild(workspace, u"");
  // The actions are set aside while the pieces are rewritten.
  WorkspaceNode* actions = first->firstChild;
  first->firstChild = nullptr;
  freeTree(first->next);
  first->next = nullptr;
  text = text.substr(0, kPieceLength * kMaxPieces);
  setName(first, text.substr(0, kPieceLength));
  for (size_t from = kPieceLength; from < text.size(); from += kPieceLength) appendSibling(first, text.substr(from, kPieceLength));
  first->firstChild = actions;
  if (actions) actions->prev = first;
}

WorkspaceNode* firstAction(const WorkspaceNode* workspace) {
  return workspace && workspace->firstChild ? workspace->firstChild->firstChild : nullptr;
}

std::u16string initialSettings() { return std::u16string(12, u'1') + u"SK0" + std::u16string(31, u'.'); }

std::u16string& settings() {
  static std::u16string s = initialSettings();
  return s;
}

namespace {

DefinitionRecord recordOf(int8_t level, uint8_t state, std::u16string_view name) {
  DefinitionRecord r{};
  r.level = level;
  r.state = state;
  const std::string bytes = qd::text::toAnsi(name);
  std::memcpy(r.name, bytes.data(), std::min(bytes.size(), kNameLength));
  return r;
}

void writeChain(WorkspaceNode* node, std::string& out) {
  for (; node; node = node->next) {
    if (node->level == kGroup && node->state > 0 && nameOf(node).size() > 2) setName(node, nameOf(node).substr(0, 2));
    DefinitionRecord r = recordOf(node->level, node->state, nameOf(node));
    r.hasChild = node->firstChild ? 1 : 0;
    r.hasNext = node->next ? 1 : 0;
    r.hasPrev = node->prev ? 1 : 0;
    out.append(reinterpret_cast<const char*>(&r), sizeof r);
    writeChain(node->firstChild, out);
  }
}

std::u16string nameFrom(const DefinitionRecord& r) {
  size_t n = 0;
  while (n < kNameLength && r.name[n]) ++n;
  std::u16string name = qd::text::fromAnsi(std::string_view(r.name, n));
  if (name.size() > kNameLength) name.resize(kNameLength);
  return name;
}

bool isSettings(const DefinitionRecord& r) { return r.level == kSettingsLevel || r.level == -1; }

}  // namespace

std::string saveBytes(WorkspaceNode* tree) {
  std::string out;
  writeChain(tree, out);
  const DefinitionRecord s = recordOf(kSettingsLevel, 0, settings());
  out.append(reinterpret_cast<const char*>(&s), sizeof s);
  return out;
}

bool save(const std::string& path, WorkspaceNode* tree) {
  if (path.empty()) return false;
  std::string error;
  return qd::files::replaceFile(path, saveBytes(tree), error);
}

Loaded loadBytes(std::string_view bytes) {
  Loaded result;
  const size_t records = bytes.size() / sizeof(DefinitionRecord);
  result.trailingBytes = bytes.size() % sizeof(DefinitionRecord);
  auto recordAt = [&](size_t i) {
    DefinitionRecord r;
    std::memcpy(&r, bytes.data() + i * sizeof r, sizeof r);
    return r;
  };
  WorkspaceNode* root = create();
  result.tree = root;
  WorkspaceNode* last = root;
  for (size_t i = 0; i < records; ++i) {
    const DefinitionRecord r = recordAt(i);
    if (isSettings(r)) {
      settings() = nameFrom(r);
      result.settingsFound = true;
      break;
    }
    if (r.level < kGroup || r.level > kAction) {
      ++result.skipped;
      continue;
    }
    if (i == 0) {
      root->level = r.level;
      root->state = r.state;
      setName(root, nameFrom(r));
      ++result.placed;
      continue;
    }
    // Back along the links to the node the new one follows or hangs under.
    WorkspaceNode* p = last;
    while (p->level > r.level && p->level > 0 && p->prev) p = p->prev;
    if (p->level < r.level - 1 || p->level > r.level) {
      ++result.skipped;  // no node for it to follow or hang under
      continue;
    }
    WorkspaceNode* node = create(nameFrom(r));
    node->level = r.level;
    node->state = r.state;
    node->prev = p;
    if (p->level == r.level) {
      node->next = nullptr;
      p->next = node;
    } else {
      p->firstChild = node;
    }
    last = node;
    ++result.placed;
  }
  return result;
}

bool load(const std::string& path, WorkspaceNode*& tree) {
  if (path.empty()) return false;
  std::string bytes, error;
  if (!qd::files::readFile(path, bytes, error, kDefinitionLimit)) return false;
  tree = loadBytes(bytes).tree;
  return tree != nullptr;
}

WorkspaceNode* defaultTree() {
  WorkspaceNode* floor = create(u"_1");
  floor->state = kFloorTied;
  appendChild(floor, u"Stavební půdorys");
  WorkspaceNode* model = appendSibling(floor, u"3D model");
  appendChild(model, u"celý objekt");
  return floor;
}

}  // namespace qd::workspace
