#include "purge/PurgeCommand.h"

#include <memory>
#include <string>

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/holders.h"
#include "host/acedads.h"
#include "host/adsdlg.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "host/dbsymtb.h"
#include "host/winhelp.h"
#include "purge/PurgeItemList.h"
#include "purge/PurgeList.h"
#include "platform/codepage.h"

namespace qd::purge {
namespace {

using qd::support::moduleText;
using qd::support::Opened;

// No upper-cased mask equals it, so the first event of a review applies the mask.
constexpr const char16_t* kSentinel = u"Qwmtrv8151";

// The state of one run of the command (the command is not re-entrant).
struct Run {
  std::unique_ptr<PurgeList> list;
  int dcl = -1;
  int kind = 0;
  PurgeItemList eraseList, keepList;
  std::u16string maskBuffer = kSentinel;
  int maskKind = 1;
  std::optional<std::u16string> pendingMask;
};
Run& run() {
  static Run r;
  return r;
}

std::u16string keyOf(ads_callback_packet* p) {
  ACHAR key[64] = {0};
  ads_get_attr_string(p->tile, u"key", key, 64);
  return key;
}

std::u16string tileText(ads_hdlg dlg, const char16_t* key, int size) {
  std::u16string buffer(static_cast<size_t>(size) + 1, u'\0');
  ads_get_tile(dlg, key, buffer.data(), size + 1);
  buffer.resize(std::char_traits<char16_t>::length(buffer.c_str()));
  return buffer;
}

void help(unsigned context) {
  ACHAR dir[1024];
  if (acedGetEnv(u"TORVEL_DIR", dir, 1024) != RTNORM) return;
  const std::u16string file = std::u16string(dir) + u"\\TORVEL.HLP";
  WinHelpW(nullptr, file.c_str(), HELP_CONTEXT, context);
}

void progress(ads_hdlg dlg, int percent) {
  const std::u16string text = std::u16string(moduleText(64)) + qd::text::fromUtf8(std::to_string(percent)) + u"%";
  ads_set_tile(dlg, u"error", text.c_str());
}

void fillList(ads_hdlg dlg, const char16_t* key, const PurgeItemList& items) {
  ads_start_list(dlg, key, LIST_NEW, 0);
  if (items.empty()) ads_add_list(u"  ");
  for (const auto& item : items.items()) ads_add_list(item.name ? item.name->c_str() : u"");
  ads_end_list();
}

void fillMasks(ads_hdlg dlg, int kind) {
  ads_start_list(dlg, u"list", LIST_NEW, 0);
  ads_add_list(u"");
  ads_end_list();
  const auto& masks = run().list->masks(kind);
  if (masks.empty()) return;
  ads_start_list(dlg, u"list", LIST_NEW, 0);
  for (const auto& m : masks) ads_add_list(m.text.c_str());
  ads_end_list();
}

// ---- the kinds ----

AcDbObjectId tableOf(AcDbDatabase* db, int kind) {
  switch (kind) {
    case kBlocks: return db->blockTableId();
    case kLayers: return db->layerTableId();
    case kLinetypes: return db->linetypeTableId();
    case kDimStyles: return db->dimStyleTableId();
    default: return db->textStyleTableId();
  }
}

AcRxClass* recordClassOf(int kind) {
  switch (kind) {
    case kBlocks: return AcDbBlockTableRecord::desc();
    case kLayers: return AcDbLayerTableRecord::desc();
    case kLinetypes: return AcDbLinetypeTableRecord::desc();
    case kDimStyles: return AcDbDimStyleTableRecord::desc();
    default: return AcDbTextStyleTableRecord::desc();
  }
}

AcDbObjectIdArray recordsOf(AcDbDatabase* db, int kind) {
  AcDbObjectIdArray ids;
  Opened<AcDbSymbolTable> table(tableOf(db, kind), AcDb::kForRead);
  if (!table) return ids;
  for (const auto& id : table->recordIds())
    if (!id.isErased()) ids.append(id);
  return ids;
}

// The name of a record of the kind's class, or nothing.
std::optional<std::u16string> recordName(AcDbObjectId id, int kind) {
  Opened<AcDbSymbolTableRecord> rec(id, AcDb::kForRead);
  if (!rec || !rec->isKindOf(recordClassOf(kind))) return std::nullopt;
  const ACHAR* name = nullptr;
  if (rec->getName(name) != Acad::eOk || !name) return std::nullopt;
  return std::u16string(name);
}

void collect(ads_hdlg dlg) {
  Run& r = run();
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  progress(dlg, 0);
  AcDbObjectIdArray ids = recordsOf(db, r.kind);
  progress(dlg, 10);
  db->purge(ids);
  progress(dlg, 90);
  std::vector<PurgeItem> found;
  for (const auto& id : ids) {
    std::optional<std::u16string> name = recordName(id, r.kind);
    if (name && !r.list->isProtected(r.kind, *name)) found.push_back(PurgeItem{name, id, 0});
  }
  r.eraseList.insertAll(std::move(found));
  progress(dlg, 100);
}

void eraseRecord(AcDbObjectId id) {
  Opened<AcDbObject> rec(id, AcDb::kForWrite);
  if (rec) rec->erase();
}

void purgeAll(ads_hdlg dlg) {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  progress(dlg, 0);
  AcDbObjectIdArray ids;
  const int steps[5] = {5, 10, 15, 20, 25};
  for (int kind = 1; kind <= 5; ++kind) {
    for (const auto& id : recordsOf(db, kind)) {
      const std::optional<std::u16string> name = recordName(id, kind);
      if (name && !run().list->isProtected(kind, *name)) ids.append(id);
    }
    progress(dlg, steps[kind - 1]);
  }
  // One pass: what becomes unused only through this erasure stays until the next run.
  db->purge(ids);
  progress(dlg, 80);
  for (const auto& id : ids) eraseRecord(id);
  progress(dlg, 100);
}

// ---- the review dialog "purge1" ----

bool matchesMask(const PurgeItem& item, const std::u16string& mask) { return matchMask(item.sortName(), mask); }

// Applies a new typed mask: the records it moved before go back, those it matches now move.
void applyMask(ads_hdlg dlg, const std::u16string& mask) {
  Run& r = run();
  r.keepList.moveTo(r.eraseList, [](const PurgeItem& item) { return item.flag == 1; }, 0);
  r.eraseList.moveTo(r.keepList, [&mask](const PurgeItem& item) { return matchesMask(item, mask); }, 1);
  r.maskBuffer = mask;
  fillList(dlg, u"list", r.eraseList);
  fillList(dlg, u"list1", r.keepList);
  r.list->setLastMask(mask, r.kind);
}

// Moves the item selected in one list tile to the other list.
void moveSelected(ads_hdlg dlg, PurgeItemList& from, PurgeItemList& to, const char16_t* key) {
  Run& r = run();
  if (from.empty()) return;
  const std::u16string value = tileText(dlg, key, 31);
  size_t index = static_cast<size_t>(std::max(0, std::atoi(qd::text::toUtf8(value).c_str())));
  if (index >= from.count()) index = from.count() - 1;
  PurgeItem item = from.take(index);
  item.flag = 0;
  to.insert(std::move(item));
  fillList(dlg, u"list", r.eraseList);
  fillList(dlg, u"list1", r.keepList);
  if (index == from.count() && index > 0) --index;
  ads_set_tile(dlg, key, qd::text::fromUtf8(std::to_string(index)).c_str());
}

void reviewHandler(ads_callback_packet* p) {
  Run& r = run();
  const std::u16string key = keyOf(p);
  if (key == u"cancel") {
    r.eraseList.clear();
    r.keepList.clear();
    r.maskBuffer = kSentinel;
    ads_done_dialog(p->dialog, 1);
    return;
  }
  const std::u16string mask = qd::text::toUpper(tileText(p->dialog, u"mask_edit", 31));
  ads_set_tile(p->dialog, u"mask_edit", mask.c_str());
  if (mask != r.maskBuffer) applyMask(p->dialog, mask);
  if (key == u"add_mask") {
    if (!mask.empty() && r.kind) r.list->addMask(mask, 0, r.kind);
  } else if (key == u"add") {
    moveSelected(p->dialog, r.eraseList, r.keepList, u"list");
  } else if (key == u"rem") {
    moveSelected(p->dialog, r.keepList, r.eraseList, u"list1");
  } else if (key == u"purge") {
    for (const auto& item : r.eraseList.items()) eraseRecord(item.id);
    r.eraseList.clear();
    r.keepList.clear();
    collect(p->dialog);
    fillList(p->dialog, u"list", r.eraseList);
    fillList(p->dialog, u"list1", r.keepList);
    applyMask(p->dialog, mask);
  } else if (key == u"help") {
    help(2210);
  }
}

void review(ads_hdlg mainDialog, int kind) {
  Run& r = run();
  r.kind = kind;
  r.eraseList.clear();
  collect(mainDialog);
  ads_hdlg dlg = nullptr;
  if (ads_new_dialog(u"purge1", r.dcl, reviewHandler, &dlg) != RTNORM || !dlg) {
    r.kind = 0;
    return;
  }
  if (const auto& last = r.list->lastMask(kind)) {
    ads_set_tile(dlg, u"mask_edit", last->c_str());
    r.eraseList.moveTo(r.keepList, [&last](const PurgeItem& item) { return matchesMask(item, *last); }, 1);
  }
  fillList(dlg, u"list", r.eraseList);
  fillList(dlg, u"list1", r.keepList);
  int status = 0;
  ads_start_dialog(dlg, &status);
  r.eraseList.clear();
  r.kind = 0;
}

// ---- the confirmation, the masks and the mask input ----

void confirmHandler(ads_callback_packet* p) {
  const std::u16string key = keyOf(p);
  if (key == u"cancel") ads_done_dialog(p->dialog, 1);
  else if (key == u"purge") ads_done_dialog(p->dialog, 2);
}

void maskInputHandler(ads_callback_packet* p) {
  if (keyOf(p) != u"ok") return;
  run().pendingMask = qd::text::toUpper(tileText(p->dialog, u"edit", 31));
  ads_done_dialog(p->dialog, 1);
}

void masksHandler(ads_callback_packet* p) {
  Run& r = run();
  ads_set_tile(p->dialog, u"error", u"");
  const std::u16string type = tileText(p->dialog, u"type", 1);
  if (!type.empty() && type[0] >= u'1' && type[0] <= u'5') r.maskKind = type[0] - u'0';
  const std::u16string key = keyOf(p);
  if (!key.empty() && key[0] >= u'1' && key[0] <= u'5') {
    fillMasks(p->dialog, r.maskKind);
  } else if (key == u"add") {
    ads_hdlg input = nullptr;
    if (ads_new_dialog(u"input_msk", r.dcl, maskInputHandler, &input) != RTNORM || !input) return;
    int status = 0;
    ads_start_dialog(input, &status);
    if (r.pendingMask) {
      r.list->addMask(*r.pendingMask, 0, r.maskKind);
      r.pendingMask.reset();
      fillMasks(p->dialog, r.maskKind);
    }
  } else if (key == u"delete") {
    const std::u16string value = tileText(p->dialog, u"list", 31);
    if (value.empty()) return;
    const int index = std::atoi(qd::text::toUtf8(value).c_str());
    if (index < 0 || !r.list->removeMaskAt(static_cast<size_t>(index), r.maskKind)) ads_set_tile(p->dialog, u"error", moduleText(66));
    else fillMasks(p->dialog, r.maskKind);
  } else if (key == u"cancel") {
    ads_done_dialog(p->dialog, 1);
  } else if (key == u"help") {
    help(2220);
  }
}

void masks() {
  Run& r = run();
  ads_hdlg dlg = nullptr;
  if (ads_new_dialog(u"nopurgeable", r.dcl, masksHandler, &dlg) != RTNORM || !dlg) return;
  r.maskKind = 1;
  fillMasks(dlg, 1);
  int status = 0;
  ads_start_dialog(dlg, &status);
}

// ---- the main dialog "purge" ----

void mainHandler(ads_callback_packet* p) {
  const std::u16string key = keyOf(p);
  static const std::pair<const char16_t*, int> kinds[] = {
      {u"block", kBlocks}, {u"layer", kLayers}, {u"line", kLinetypes}, {u"dim", kDimStyles}, {u"style", kTextStyles}};
  for (const auto& [name, kind] : kinds)
    if (key == name) return review(p->dialog, kind);
  if (key == u"cancel") {
    ads_done_dialog(p->dialog, 1);
  } else if (key == u"all") {
    ads_hdlg confirm = nullptr;
    if (ads_new_dialog(u"anone", run().dcl, confirmHandler, &confirm) != RTNORM || !confirm) return;
    int status = 0;
    ads_start_dialog(confirm, &status);
    if (status == 2) purgeAll(p->dialog);
  } else if (key == u"nopurgeable") {
    masks();
  } else if (key == u"help") {
    help(2230);
  }
}

}  // namespace

int purgeCommand() {
  Run& r = run();
  {
    qd::support::ResbufList args(acutBuildList(RTSTR, u"QD101M", RTSTR, moduleText(67), RTSTR, u"", RTSHORT, 1, 0));
    qd::support::ResbufList result;
    acedInvoke(args.get(), result.out());
  }
  acutPrintf(u"\n");
  ACHAR folder[1024];
  if (acedGetEnv(u"TVDAT", folder, 1024) != RTNORM || !*folder) {
    acedAlert(u"Not set environment \"TVDAT\" ");
    return RTNORM;
  }
  const std::u16string dir = folder;
  r.list = std::make_unique<PurgeList>(qd::text::toUtf8(dir + u"/QDPURGE.DAT"), qd::text::toUtf8(dir + u"/QDPURGE_U.DAT"));
  if (ads_load_dialog(u"QDPURGE.DCL", &r.dcl) != RTNORM || r.dcl < 0) {
    acedAlert(u"Cannot find file \"QDPURGE.DCL\"");
    // The purge list is not saved in this case.
    r.list->forgetUserFile();
    r.list.reset();
    return RTNORM;
  }
  ads_hdlg dlg = nullptr;
  if (ads_new_dialog(u"purge", r.dcl, mainHandler, &dlg) == RTNORM && dlg) {
    int status = 0;
    ads_start_dialog(dlg, &status);
  }
  ads_unload_dialog(r.dcl);
  r.dcl = -1;
  r.keepList.clear();
  // Saved here rather than by the list's destruction, so that a failure is told: the
  // masks of this run would otherwise be lost without a word.
  std::string error;
  if (!r.list->save(error))
    acedAlert((u"The purge list was not saved: " + qd::text::fromUtf8(error)).c_str());
  r.list->forgetUserFile();
  r.list.reset();
  return RTNORM;
}

}  // namespace qd::purge
