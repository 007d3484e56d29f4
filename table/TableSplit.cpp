#include "table/TableSplit.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/holders.h"
#include "Library/Inc/parts.h"
#include "Library/Inc/prompts.h"
#include "host/acedads.h"
#include "host/adslib.h"

namespace qd::table {
namespace {

using qd::support::ResbufList;
using qd::support::SelectionSet;

constexpr double kTiny = 0.0001;

// What an entity of a drawn table is, by the name in its "QD_DRAW_TABLE" data.
struct TablePiece {
  ads_name name{};
  std::u16string tag;
  char kind = 0;     // 'L' 'H' 'S' 'T' for the rows, 'V' vertical, 'X' header, 0 other
  int number = -1;   // the row or boundary number of L H S T and V
  bool line = false;
  AcGePoint3d start, end;  // a line's ends, a text's point
};

std::u16string message(short number) {
  ACHAR text[512];
  qd::support::qdads02Text(number, text, 512);
  return text;
}

bool parseNumber(const std::u16string& s, size_t from, int& out) {
  if (from >= s.size()) return false;
  int n = 0;
  for (size_t i = from; i < s.size(); ++i) {
    if (s[i] < u'0' || s[i] > u'9' || n > 100000) return false;
    n = n * 10 + (s[i] - u'0');
  }
  out = n;
  return true;
}

void classify(TablePiece& p) {
  if (p.tag == u"HEADER") {
    p.kind = 'X';
    return;
  }
  if (p.tag.empty()) return;
  const char16_t first = p.tag[0];
  if ((first == u'L' || first == u'H' || first == u'S' || first == u'T' || first == u'V') && parseNumber(p.tag, 1, p.number))
    p.kind = static_cast<char>(first);
}

// Every entity carrying the table's id, with its name and place.
std::vector<TablePiece> tablePieces(const std::u16string& id, SelectionSet& set) {
  std::vector<TablePiece> pieces;
  ResbufList filter(acutBuildList(-3, 1001, id.c_str(), 0));
  if (acedSSGet(u"_X", nullptr, nullptr, filter.get(), set.name()) != RTNORM) return pieces;
  ResbufList apps(acutBuildList(RTSTR, u"QD_DRAW_TABLE", 0));
  for (int32_t i = 0; i < set.length(); ++i) {
    TablePiece p;
    if (acedSSName(set.name(), i, p.name) != RTNORM) continue;
    ResbufList list(acdbEntGetX(p.name, apps.get()));
    bool inside = false;
    for (const resbuf* rb = list.get(); rb; rb = rb->rbnext) {
      if (rb->restype == 0 && rb->resval.rstring) p.line = std::u16string(rb->resval.rstring) == u"LINE";
      if (rb->restype == 10) p.start = AcGePoint3d(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]);
      if (rb->restype == 11) p.end = AcGePoint3d(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]);
      if (rb->restype == 1001) inside = rb->resval.rstring && std::u16string(rb->resval.rstring) == u"QD_DRAW_TABLE";
      if (inside && rb->restype == 1000 && rb->resval.rstring) p.tag = rb->resval.rstring;
    }
    classify(p);
    pieces.push_back(p);
  }
  return pieces;
}

bool isRowLine(const TablePiece& p) { return p.line && (p.kind == 'L' || p.kind == 'H'); }

// The height of the boundary numbered n, from its lines.
bool boundaryY(const std::vector<TablePiece>& pieces, int n, double& y) {
  for (const auto& p : pieces)
    if (isRowLine(p) && p.number == n) {
      y = p.start.y;
      return true;
    }
  return false;
}

void highlight(const std::vector<TablePiece>& pieces, int n, int mode) {
  for (const auto& p : pieces)
    if (isRowLine(p) && p.number == n) acedRedraw(p.name, mode);
}

// Steps through the boundaries inside the body until one is accepted: RTNORM with it.
int chooseBoundary(const std::vector<TablePiece>& pieces, int first, int last, const ads_point given, int& chosen) {
  const std::u16string next = message(436), previous = message(437), done = message(438);
  const std::u16string keywords = next + u" " + previous + u" " + done;
  int n = first;
  for (;;) {
    double y = 0;
    boundaryY(pieces, n, y);
    highlight(pieces, n, 3);
    char distance[64];
    std::snprintf(distance, sizeof distance, "%.2f", std::fabs(given[Y] - y));
    acutPrintf(u"%ls%ls", message(439).c_str(), std::u16string(distance, distance + std::strlen(distance)).c_str());
    std::u16string answer;
    const int rc = qd::support::getKeyword(next.c_str(), keywords.c_str(), message(435).c_str(), answer);
    highlight(pieces, n, 4);
    if (rc != RTNORM) return rc;
    if (answer == done) {
      chosen = n;
      return RTNORM;
    }
    if (answer == previous) n = n == first ? last : n - 1;
    else n = n == last ? first : n + 1;
  }
}

void erase(const TablePiece& p) { acdbEntDel(p.name); }

// Brings a line's end on the far side of the cut back to the cut; a line wholly beyond
// it goes.
void clip(const TablePiece& p, double cut, bool keepAbove) {
  const auto beyond = [&](double y) { return keepAbove ? y < cut - kTiny : y > cut + kTiny; };
  if (beyond(p.start.y) && beyond(p.end.y)) return erase(p);
  if (!beyond(p.start.y) && !beyond(p.end.y)) return;
  ResbufList list(acdbEntGet(p.name));
  for (resbuf* rb = list.get(); rb; rb = rb->rbnext)
    if ((rb->restype == 10 || rb->restype == 11) && beyond(rb->resval.rpoint[Y])) rb->resval.rpoint[Y] = cut;
  acdbEntMod(list.get());
}

// Whether a row entity stays with the rows above the cut at boundary n (texts and strike
// lines of the body rows above it, boundaries down to it), or with those below.
bool above(const TablePiece& p, int n) { return p.kind == 'T' || p.kind == 'S' ? p.number < n : p.number <= n; }
bool below(const TablePiece& p, int n) { return p.number >= n; }
bool isRowPiece(const TablePiece& p) { return p.kind && p.kind != 'X' && p.kind != 'V'; }

// Changes an entity's extended data by the applications the chain names (one named with
// nothing under it loses its data); the chain is taken over.
void modifyXdata(const ads_name entity, resbuf* xdata) {
  ResbufList list(acdbEntGet(entity));
  if (!list.get()) {
    acutRelRb(xdata);
    return;
  }
  resbuf* tail = list.get();
  while (tail->rbnext) tail = tail->rbnext;
  tail->rbnext = xdata;
  acdbEntMod(list.get());
}

// The lower part takes an id of its own, the handle of its first entity.
std::u16string renameCopy(const std::vector<TablePiece>& copies, const std::u16string& oldId) {
  if (copies.empty()) return u"";
  ResbufList first(acdbEntGet(copies.front().name));
  std::u16string id;
  for (const resbuf* rb = first.get(); rb; rb = rb->rbnext)
    if (rb->restype == 5 && rb->resval.rstring) id = u"$" + std::u16string(rb->resval.rstring);
  if (id.size() < 2) return oldId;
  acdbRegApp(id.c_str());
  for (const auto& p : copies) modifyXdata(p.name, acutBuildList(-3, 1001, oldId.c_str(), 1001, id.c_str(), 1000, u"1000", 0));
  return id;
}

std::u16string firstTableId(const ads_name entity) {
  ResbufList apps(acutBuildList(RTSTR, u"$*", 0));
  ResbufList list(acdbEntGetX(entity, apps.get()));
  for (const resbuf* rb = list.get(); rb; rb = rb->rbnext)
    if (rb->restype == 1001 && rb->resval.rstring && rb->resval.rstring[0] == u'$') return rb->resval.rstring;
  return u"";
}

// The user moves the lower part; a move that does not end well is asked again.
bool moveLowerPart(const ads_name set, const ads_point base) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    ResbufList command(acutBuildList(RTSTR, u"._move", RTPICKS, set, RTSTR, u"", RT3DPOINT, base, RTSTR, u"\\", 0));
    if (acedCmd(command.get()) == RTNORM) return true;
    acutPrintf(u"%ls", message(441).c_str());
  }
  return false;
}

struct Split {
  std::u16string id;
  ads_point last{};
};

// The upper part ends at the cut: its lines there are its bottom line, named as the
// bottom of a table is.
void nameBottom(const std::vector<TablePiece>& pieces, int n) {
  std::u16string name = u"H";
  for (char ch : std::to_string(n)) name += static_cast<char16_t>(ch);
  for (const auto& p : pieces)
    if (isRowLine(p) && p.number == n && p.kind != 'H')
      modifyXdata(p.name, acutBuildList(-3, 1001, u"QD_DRAW_TABLE", 1000, name.c_str(), 0));
}

// Copies of the table's entities in place, paired with the pieces they copy.
bool copyPieces(const ads_name tableSet, const std::vector<TablePiece>& pieces, std::vector<TablePiece>& copies) {
  const ads_point still = {0, 0, 0};
  ResbufList call(acutBuildList(RTSTR, u"qdcopy_ss", RTPICKS, tableSet, RT3DPOINT, still, 0));
  ResbufList copied;
  if (acedInvoke(call.get(), copied.out()) != RTNORM || !copied.get() || copied.get()->restype != RTPICKS) return false;
  SelectionSet copySet;
  ads_name_set(copied.get()->resval.rlname, copySet.name());
  if (copySet.length() != static_cast<int32_t>(pieces.size())) return false;
  copies = pieces;
  for (int32_t i = 0; i < copySet.length(); ++i) acedSSName(copySet.name(), i, copies[static_cast<size_t>(i)].name);
  return true;
}

// The upper part keeps the rows above the cut and its column lines down to it.
void trimUpper(const std::vector<TablePiece>& pieces, int n, double cut) {
  for (const auto& p : pieces) {
    if (p.kind == 'V') clip(p, cut, true);
    else if (isRowPiece(p) && !above(p, n)) erase(p);
  }
  nameBottom(pieces, n);
}

// The lower part keeps the header and the rows below the cut; `body` gathers what is not
// header, `lower` everything kept.
std::vector<TablePiece> trimLower(const std::vector<TablePiece>& copies, int n, double cut, SelectionSet& lower,
                                  SelectionSet& body) {
  std::vector<TablePiece> kept;
  for (const auto& p : copies) {
    if (p.kind == 'V') {
      clip(p, cut, false);
      if (p.start.y > cut + kTiny && p.end.y > cut + kTiny) continue;  // wholly above: erased
    } else if (isRowPiece(p) && !below(p, n)) {
      erase(p);
      continue;
    }
    kept.push_back(p);
    acedSSAdd(p.name, lower.empty() ? nullptr : lower.name(), lower.name());
    if (p.kind != 'X') acedSSAdd(p.name, body.empty() ? nullptr : body.name(), body.name());
  }
  return kept;
}

bool splitAt(const std::u16string& id, const ads_name tableSet, const std::vector<TablePiece>& pieces, int headerLine,
             int n, const ads_point given, Split& result) {
  double cut = 0, headerY = 0;
  std::vector<TablePiece> copies;
  if (!boundaryY(pieces, n, cut) || !boundaryY(pieces, headerLine, headerY) || !copyPieces(tableSet, pieces, copies))
    return false;
  trimUpper(pieces, n, cut);
  SelectionSet lower, body;
  const std::vector<TablePiece> kept = trimLower(copies, n, cut, lower, body);
  if (kept.empty()) return false;
  // The lower rows close up under their copy of the header.
  if (!body.empty()) {
    ads_matrix up = {{1, 0, 0, 0}, {0, 1, 0, headerY - cut}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    acedXformSS(body.name(), up);
  }
  const std::u16string lowerId = renameCopy(kept, id);
  AcDbObjectIdArray ids;
  for (const auto& p : kept) {
    AcDbObjectId oid;
    if (acdbGetObjectId(oid, p.name) == Acad::eOk) ids.append(oid);
  }
  qd::support::createPart(lowerId.c_str(), ids);
  moveLowerPart(lower.name(), given);
  result.id = firstTableId(kept.front().name);
  resbuf last{};
  if (acedGetVar(u"LASTPOINT", &last) == RTNORM) std::copy(last.resval.rpoint, last.resval.rpoint + 3, result.last);
  return true;
}

}  // namespace

int editTable() {
  const resbuf* args = acedGetArgs();
  if (!args || args->restype != RTSTR || !args->resval.rstring || !args->rbnext ||
      (args->rbnext->restype != RT3DPOINT && args->rbnext->restype != RTPOINT))
    return acedRetNil();
  const std::u16string id = args->resval.rstring;
  ads_point given = {args->rbnext->resval.rpoint[X], args->rbnext->resval.rpoint[Y],
                     args->rbnext->restype == RT3DPOINT ? args->rbnext->resval.rpoint[Z] : 0.0};
  SelectionSet set;
  std::vector<TablePiece> pieces = tablePieces(id, set);
  int bottom = -1, header = -1;
  for (const auto& p : pieces) {
    if (p.line && p.kind == 'H') bottom = std::max(bottom, p.number);
    if (isRowLine(p)) header = header < 0 ? p.number : std::min(header, p.number);
  }
  if (bottom < 0) return acedRetNil();
  // The cut may fall on any boundary between two body rows: below the header line (the
  // first boundary of the body) and above the bottom.
  if (bottom - header < 2) {
    acutPrintf(u"%ls", message(440).c_str());
    return acedRetNil();
  }
  int chosen = 0;
  if (chooseBoundary(pieces, header + 1, bottom - 1, given, chosen) != RTNORM) return acedRetNil();
  Split split;
  if (!splitAt(id, set.name(), pieces, header, chosen, given, split)) {
    acutPrintf(u"%ls", message(440).c_str());
    return acedRetNil();
  }
  resbuf* result = acutBuildList(RTSTR, split.id.c_str(), RT3DPOINT, split.last, 0);
  acedRetList(result);
  acutRelRb(result);
  return RTNORM;
}

}  // namespace qd::table
