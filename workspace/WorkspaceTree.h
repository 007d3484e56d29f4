// The tree of layer workspaces: groups (tied to a floor or not), workspaces, the pieces
// of their descriptions and their layer actions, one node record for all; the
// definition file "QDSTRAT.QDL" it is stored in, with the settings string as its last
// record; and the action strings the layer commands are made of.
//
// The node is a plain record with owning links, because the host reads and hands over
// whole trees of it through the library's exports.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qd::workspace {

constexpr size_t kNameLength = 52;      // characters of a name, without its terminator
constexpr size_t kSettingsLength = 49;  // characters of the settings string
constexpr size_t kPieceLength = 50;     // characters of one description piece
constexpr size_t kMaxPieces = 10;
constexpr int8_t kSettingsLevel = static_cast<int8_t>(0xAD);

enum Level : int8_t { kGroup = 0, kWorkspace = 1, kDescription = 2, kAction = 3 };

// A group's state: tied to a floor, and the floor among the host's current floors.
enum GroupState : uint8_t { kFree = 0, kFloorTied = 1, kFloorPresent = 2 };

struct WorkspaceNode {
  int8_t level;
  uint8_t state;
  char16_t name[kNameLength + 1];
  WorkspaceNode* firstChild;  // owned
  WorkspaceNode* next;        // owned
  WorkspaceNode* prev;        // the previous sibling; for a first child its parent
};

std::u16string_view nameOf(const WorkspaceNode* node);
void setName(WorkspaceNode* node, std::u16string_view text);

WorkspaceNode* create(std::u16string_view text = {});
WorkspaceNode* appendSibling(WorkspaceNode* node, std::u16string_view text);
WorkspaceNode* appendSiblingNode(WorkspaceNode* node, WorkspaceNode* other);
WorkspaceNode* appendChild(WorkspaceNode* node, std::u16string_view text);
// Frees a node with its children and its whole next chain.
void freeTree(WorkspaceNode* node);
// Frees the node's children and next chain, and leaves the node.
void freeSubtrees(WorkspaceNode* node);
// Takes the node out of its chain and frees it with its children.
void unlink(WorkspaceNode* node);
// Swaps a node with its next sibling (the Down button; Up is the swap of its previous
// sibling). `root` follows when the first top-level node moves. False when there is no
// next sibling.
bool swapWithNext(WorkspaceNode*& root, WorkspaceNode* node);
// Copies `source`'s children (and with `withSiblings` its next chain) into the node in
// `slot`, made from `source` when the slot is empty.
void copyInto(WorkspaceNode*& slot, const WorkspaceNode* source, bool clearFirst, bool withSiblings);
// The top-level group a node belongs to.
WorkspaceNode* groupOf(WorkspaceNode* node);
bool hasPrefix(const WorkspaceNode* list, std::u16string_view text);
// Floor-tied groups whose code is a floor of the list take that floor's entry.
void markFloors(WorkspaceNode* tree, const WorkspaceNode* floors);
// The number of nodes of a tree, its next chain included.
size_t countNodes(const WorkspaceNode* tree);

struct Action {
  std::u16string option, prefix, mask;
};
// An action string: option, blanks, an optional reference prefix ("XREF|" or "$0$"), a
// mask with a leading '~' moved onto the option. None when it is not an action.
std::optional<Action> parseAction(std::u16string_view text);
// Whether a mask reads as a layer-name pattern: not empty, every bracket closed and no
// character that no layer name holds (< > / \ " : ; = | and control characters). An
// action whose mask does not read is left out of the layer commands and the menu.
bool maskReadable(std::u16string_view mask);

// A workspace's description, stored in pieces of 50 characters under it; the actions
// hang under the first piece.
std::u16string descriptionOf(const WorkspaceNode* workspace);
void setDescription(WorkspaceNode* workspace, std::u16string_view text);
WorkspaceNode* firstAction(const WorkspaceNode* workspace);

// The process-wide settings string; its initial value, and padded as the options show it.
std::u16string& settings();
std::u16string initialSettings();

// The definition file: 68-byte records in pre-order, the settings record last.
struct DefinitionRecord {
  int8_t level;
  uint8_t state;
  char name[kNameLength];
  uint16_t unused;
  uint32_t hasChild, hasNext, hasPrev;
};
static_assert(sizeof(DefinitionRecord) == 68);
static_assert(offsetof(DefinitionRecord, name) == 2 && offsetof(DefinitionRecord, unused) == 54 &&
              offsetof(DefinitionRecord, hasChild) == 56 && offsetof(DefinitionRecord, hasNext) == 60 &&
              offsetof(DefinitionRecord, hasPrev) == 64);

// What a load found: the tree, the records left out (a level no node can take there),
// the bytes at the end that did not make a whole record, and whether the settings
// record was there.
struct Loaded {
  WorkspaceNode* tree = nullptr;
  size_t placed = 0;  // records that made a node; none: no definition file at all
  size_t skipped = 0;
  size_t trailingBytes = 0;
  bool settingsFound = false;
};
Loaded loadBytes(std::string_view bytes);
// A definition file of the most workspaces a person keeps is far smaller.
constexpr size_t kDefinitionLimit = size_t{64} << 20;
// False when the path is empty or the file cannot be read; `tree` is then untouched.
bool load(const std::string& path, WorkspaceNode*& tree);
std::string saveBytes(WorkspaceNode* tree);
// Written whole or not at all: the previous file stays when writing fails.
bool save(const std::string& path, WorkspaceNode* tree);

// The tree a first start begins with when there is no definition file.
WorkspaceNode* defaultTree();

}  // namespace qd::workspace
