#include "label/command/LabelCommand.h"

#include <memory>

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/holders.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "host/dbents.h"
#include "host/dbsymtb.h"
#include "label/command/label_state.h"
#include "label/command/pick_step.h"
#include "label/command/sibling_calls.h"
#include "label/dialogs/LabelDialog.h"
#include "label/kinds/builders.h"

namespace qd::label {
namespace {

using qd::support::Opened;

AcDbDatabase* drawing() { return acdbHostApplicationServices()->workingDatabase(); }

// The current layer is made usable for the command and given back as it was.
class CurrentLayerScope {
 public:
  bool open() {
    AcDbDatabase* db = drawing();
    if (!db) return false;
    m_id = db->clayer();
    Opened<AcDbLayerTableRecord> layer(m_id, AcDb::kForRead);
    if (!layer) return false;
    m_frozen = layer->isFrozen();
    m_off = layer->isOff();
    m_locked = layer->isLocked();
    layer.close();
    if (m_frozen || m_off || m_locked) apply(false, false, false);
    return true;
  }
  void restore() {
    if (m_frozen || m_off || m_locked) apply(m_frozen, m_off, m_locked);
  }

 private:
  void apply(bool frozen, bool off, bool locked) {
    Opened<AcDbLayerTableRecord> layer(m_id, AcDb::kForWrite);
    if (!layer) return;
    layer->setIsFrozen(frozen);
    layer->setIsOff(off);
    layer->setIsLocked(locked);
  }
  AcDbObjectId m_id;
  bool m_frozen = false, m_off = false, m_locked = false;
};

// A host variable saved at the start and set back at the end.
class SavedVariable {
 public:
  explicit SavedVariable(const char16_t* name) : m_name(name) { m_known = acedGetVar(name, &m_value) == RTNORM; }
  ~SavedVariable() {
    if (m_known && m_value.restype == RTSTR) acutDelString(m_value.resval.rstring);
  }
  SavedVariable(const SavedVariable&) = delete;
  SavedVariable& operator=(const SavedVariable&) = delete;
  void restore() const {
    if (m_known) acedSetVar(m_name, &m_value);
  }

 private:
  const char16_t* m_name;
  resbuf m_value{};
  bool m_known = false;
};

void setShort(const char16_t* name, short value) {
  resbuf rb{};
  rb.restype = RTSHORT;
  rb.resval.rint = value;
  acedSetVar(name, &rb);
}

AcDbObjectId appendToModelSpace(AcDbEntity* entity) {
  AcDbObjectId id;
  Opened<AcDbBlockTableRecord> model(drawing()->modelSpaceId(), AcDb::kForWrite);
  if (!model || model->appendAcDbEntity(id, entity) != Acad::eOk) {
    delete entity;
    return AcDbObjectId();
  }
  entity->close();
  return id;
}

void erase(AcDbObjectId id) {
  Opened<AcDbEntity> entity(id, AcDb::kForWrite);
  if (entity) entity->erase();
}

// The settings of the drawing's DESC_PAR, when "TVHK_DEF_BE" begins with one.
bool loadFromDrawing(label_state& state) {
  AcDbBlockTable* table = nullptr;
  if (drawing()->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return false;
  Opened<AcDbBlockTable> ownedTable(table);
  AcDbObjectId defId;
  if (table->getAt(u"TVHK_DEF_BE", defId) != Acad::eOk) return false;
  ownedTable.close();
  Opened<AcDbBlockTableRecord> def(defId, AcDb::kForRead);
  if (!def) return false;
  const auto ids = def->entityIds();
  def.close();
  if (ids.empty()) return false;
  Opened<AcDbEntity> first(ids.front(), AcDb::kForRead);
  auto* stored = first ? DESC_PAR::cast(first.get()) : nullptr;
  if (!stored) return false;
  state.settings = stored->settings();
  for (int v = 0; v < kVariants; ++v)
    for (int k = 0; k < kKinds; ++k) {
      state.rows[v][k] = stored->rows(v, k);
      ensureHead(state.rows[v][k]);
    }
  return true;
}

// What a short settings file lacks then keeps the built-in defaults.
void loadSettings(label_state& state) {
  if (loadFromDrawing(state)) return;
  state.settings.set_defaults();
  state.settings.open();
}

void runDialogLoop(label_state& state) {
  while (state.dcl_id >= 0 && state.step <= kDrawLabel) {
    switch (state.step) {
      case kShowDialog: showLabelDialog(state); break;
      case kTextStyleStep:
        textStyleStep(state);
        showLabelDialog(state);
        break;
      case kLinetypeStep:
        linetypeStep(state);
        showLabelDialog(state);
        break;
      case kPickStep:
        runPickStep(state);
        showLabelDialog(state);
        break;
      case kDrawLabel:
        drawLabel(state);
        showLabelDialog(state);
        break;
      default:
        // A step no callback sets ends the loop rather than spinning in it.
        state.step = kEnd;
        break;
    }
  }
}

}  // namespace

bool storeSettings(label_state& state) {
  AcDbDatabase* db = drawing();
  AcDbBlockTable* table = nullptr;
  if (!db || db->getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return false;
  Opened<AcDbBlockTable> blocks(table);
  AcDbObjectId old;
  if (table->getAt(u"TVHK_DEF_BE", old) == Acad::eOk) {
    Opened<AcDbObject> def(old, AcDb::kForWrite);
    if (def) def->erase();
  }
  auto* def = new AcDbBlockTableRecord();
  def->setName(u"TVHK_DEF_BE");
  AcDbObjectId defId;
  if (table->add(defId, def) != Acad::eOk) {
    delete def;
    return false;
  }
  auto* entity = new DESC_PAR();
  entity->settings() = state.settings;
  for (int v = 0; v < kVariants; ++v)
    for (int k = 0; k < kKinds; ++k) entity->rows(v, k) = state.rows[v][k];
  Opened<AcDbBlockTableRecord> ownedDef(def);
  if (def->appendAcDbEntity(entity) != Acad::eOk) {
    delete entity;
    return false;
  }
  entity->close();
  return true;
}

void drawLabel(label_state& state) {
  if (!state.skip_store) storeSettings(state);
  const RowList before = state.currentList();
  buildLabel(state);
  // A label may change the rows (bubble counters count on): the drawing keeps them as
  // they are now, for the next run of the command.
  if (!state.skip_store && state.currentList() != before) storeSettings(state);
}

int labelCommand() {
  AcDbDatabase* db = drawing();
  if (!db) return RTNORM;
  CurrentLayerScope layer;
  if (!layer.open()) return RTNORM;
  const AcDbObjectId marker = appendToModelSpace(new AcDbPoint(AcGePoint3d(0, 0, 0)));

  SavedVariable textStyle(u"TEXTSTYLE"), limCheck(u"LIMCHECK"), cmdEcho(u"CMDECHO");
  setShort(u"LIMCHECK", 0);
  setShort(u"CMDECHO", 0);
  invoke(acutBuildList(RTSTR, u"QD101M", RTSTR, qd::support::dictText(1, 2, 1119), RTSTR, u"", RTSHORT, 1, 0));
  acutPrintf(u"\n");

  auto state = std::make_unique<label_state>();
  label_state::setLive(state.get());
  // Without the base blocks (current_kind 255) nothing of the command runs.
  if (state->settings.current_kind != 255) {
    loadSettings(*state);
    runDialogLoop(*state);
  }
  state.reset();
  label_state::setLive(nullptr);
  limCheck.restore();
  cmdEcho.restore();
  textStyle.restore();
  erase(marker);
  layer.restore();
  acedRetVoid();
  return RTNORM;
}

}  // namespace qd::label
