#include "label/command/pick_step.h"

#include <cmath>
#include <cstdlib>

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/M_SUPP.h"
#include "Library/Inc/holders.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbdict.h"
#include "host/dbents.h"
#include "host/dbsymtb.h"
#include "label/command/label_state.h"
#include "label/command/sibling_calls.h"
#include "label/dialogs/LabelDialog.h"
#include "platform/codepage.h"

namespace qd::label {
namespace {

using qd::support::dictText;
using qd::support::Opened;
using qd::support::ResbufList;

constexpr double kDegree = 0.017453292519943334;


// The first string (1000) of an application's extended data on the object; nothing
// when the object carries none of it.
std::optional<std::u16string> xdataText(const AcDbObject* obj, const char16_t* app) {
  ResbufList data(obj->xData(app));
  if (!data.get()) return std::nullopt;
  for (const resbuf* rb = data.get()->rbnext; rb; rb = rb->rbnext) {
    if (rb->restype == 1001) break;
    if (rb->restype == 1000 && rb->resval.rstring) return std::u16string(rb->resval.rstring);
  }
  return std::u16string();
}

bool hasXdata(const AcDbObject* obj, const char16_t* app) {
  ResbufList data(obj->xData(app));
  return data.get() != nullptr;
}

// The first application of the object's extended data whose name begins with "$".
std::u16string dollarApplication(const AcDbObject* obj) {
  ResbufList data(obj->xData());
  for (const resbuf* rb = data.get(); rb; rb = rb->rbnext)
    if (rb->restype == 1001 && rb->resval.rstring && rb->resval.rstring[0] == u'$') return rb->resval.rstring;
  return u"";
}

std::u16string kindApplication(int kind) { return u"TV_TEXT_" + std::u16string(1, static_cast<char16_t>(u'0' + kind)); }

std::u16string sheetSize(const label_state& s, double drawingSize) {
  double factor = s.settings.scale_number();
  if (factor <= 0) factor = 1.0;
  ACHAR text[64];
  acdbRToS(drawingSize / factor * s.settings.unit_factor, -1, 2, text, 64);
  return text;
}

std::u16string angleText(double radians) {
  ACHAR text[64];
  acdbAngToS(radians, 0, 4, text, 64);
  return text;
}

std::u16string number(double v) {
  ACHAR text[64];
  acdbRToS(v, -1, 2, text, 64);
  return text;
}

AcDbObjectId idOf(const ads_name name) {
  AcDbObjectId id;
  acdbGetObjectId(id, name);
  return id;
}

// The group the entity belongs to, when one of its reactors is a group.
AcDbObjectIdArray groupMembers(const AcDbObject* entity) {
  AcDbObjectIdArray members;
  for (const auto& reactor : entity->persistentReactors()) {
    Opened<AcDbGroup> group(reactor, AcDb::kForRead);
    if (!group) continue;
    group->allEntityIds(members);
    break;
  }
  return members;
}

// A turning bar shows that the drawing is being searched.
class Progress {
 public:
  Progress() { acutPrintf(u"%ls", dictText(1, 2, 1120)); }
  ~Progress() { acutPrintf(u"\n"); }
  void step() {
    static const char16_t kBar[] = u"/-\\|";
    acutPrintf(u"\b%lc", static_cast<wint_t>(kBar[m_turn++ % 4]));
  }

 private:
  unsigned m_turn = 0;
};

AcDbObjectIdArray labelInSpace(const label_mark& mark) {
  AcDbObjectIdArray found;
  Opened<AcDbBlockTableRecord> space(qd::support::currentSpace(), AcDb::kForRead);
  if (!space) return found;
  const auto ids = space->entityIds();
  space.close();
  const std::u16string kindApp = kindApplication(mark.kind);
  Progress progress;
  size_t walked = 0;
  for (const auto& id : ids) {
    if (++walked % 64 == 0) progress.step();
    Opened<AcDbEntity> e(id, AcDb::kForRead);
    if (e && hasXdata(e.get(), mark.identity.c_str()) && hasXdata(e.get(), kindApp.c_str())) found.append(id);
  }
  return found;
}

// ---- reading the entities of a label ----

double lineLength(const AcDbLine* line) { return line->startPoint().distanceTo(line->endPoint()); }

void readText(const AcDbText* text, picked_label& out) {
  std::u16string row = text->textStringConst();
  if (hasXdata(text, u"BE_TEXT_ATTC") || hasXdata(text, u"BE_TEXT_TXLN")) row = u"&-" + row;
  out.rows.emplace_back(std::move(row));
  if (out.hasText) return;
  // The first text gives the label's text parameters.
  out.hasText = true;
  out.rotation = text->rotation();
  out.height = text->height();
  out.widthFactor = text->widthFactor();
  out.color = text->colorIndex();
  out.style = text->textStyleName();
  out.justification = xdataText(text, u"BE_TEXT_JUST").value_or(u"");
  out.layer = text->layer();
}

void readLine(const AcDbLine* line, picked_label& out) {
  auto take = [&](picked_label::Line& l, const char16_t* app) {
    l.present = true;
    l.color = line->colorIndex();
    l.flags = xdataText(line, app).value_or(u"");
    l.linetype = line->linetype() ? line->linetype() : u"";
    l.length = lineLength(line);
  };
  if (hasXdata(line, u"BE_TEXT_REFL") && !out.reference.present) take(out.reference, u"BE_TEXT_REFL");
  if (hasXdata(line, u"BE_TEXT_ATTC") && !out.attachment.present) take(out.attachment, u"BE_TEXT_ATTC");
  if (hasXdata(line, u"BE_TEXT_TXLN") && !out.textLine.present) take(out.textLine, u"BE_TEXT_TXLN");
}

void readEntity(const AcDbEntity* e, picked_label& out) {
  if (const auto* text = AcDbText::cast(e)) return readText(text, out);
  // A frame of four lines: its width runs along the text, its height across.
  if (const auto* line = AcDbLine::cast(e); line && hasXdata(line, u"BE_TEXT_MAIT")) {
    out.frame.present = true;
    out.frame.color = line->colorIndex();
    out.frame.edges.push_back(line->endPoint() - line->startPoint());
    return;
  }
  if (const auto* line = AcDbLine::cast(e)) return readLine(line, out);
  if (const auto* circle = AcDbCircle::cast(e); circle && !out.circle.present) {
    out.circle = {true, circle->colorIndex(), circle->radius()};
    return;
  }
  if (const auto* ref = AcDbBlockReference::cast(e); ref && hasXdata(ref, u"BE_TEXT_FRMA") && !out.marks.present) {
    out.marks = {true, xdataText(ref, u"BE_TEXT_FRMA").value_or(u""), ref->colorIndex(), ref->scaleFactors().x};
    return;
  }
  if (hasXdata(e, u"BE_TEXT_MAIT") && !out.frame.present) {
    AcDbExtents box;
    if (e->getGeomExtents(box) == Acad::eOk)
      out.frame = {true, e->colorIndex(), box.maxPoint().x - box.minPoint().x, box.maxPoint().y - box.minPoint().y, {}};
  }
  if (auto rotate = xdataText(e, u"BE_TEXT_ROTA"); rotate && !out.rotateWithLine) out.rotateWithLine = rotate;
}

// ---- the sub-modes ----

void pickAngle(label_state& s) {
  const std::u16string prompt = u"\n" + std::u16string(dictText(1, 2, 1091)) + u" <" + s.settings.angle_edit + u">: ";
  ads_real angle = 0;
  if (acedGetAngle(nullptr, prompt.c_str(), &angle) != RTNORM) return;
  setText(s.settings.angle_edit, angleText(angle));
  s.angle_taken = true;
}

// The label under an entity picked with acedEntSel, and the entity.
std::optional<label_mark> pickLabel(AcDbObjectId& picked) {
  ads_name name;
  ads_point where;
  if (acedEntSel(dictText(1, 2, 1118), name, where) != RTNORM) return std::nullopt;
  picked = idOf(name);
  return recogniseLabel(picked);
}

// A text of a label: it carries the label's own or its scale application.
bool isLabelText(const AcDbText* text) { return hasXdata(text, u"TV_TEXT") || hasXdata(text, u"TV_TEXT_SCL"); }

void pickParameters(label_state& s) {
  ads_name name;
  ads_point where;
  if (acedEntSel(dictText(1, 2, 1118), name, where) != RTNORM) return;
  Opened<AcDbText> text(idOf(name), AcDb::kForRead);
  if (!text || !isLabelText(text.get())) return;
  auto record = std::make_unique<picked_label>();
  readText(text.get(), *record);
  // The label's rotation holds the floor's angle, which the settings do not.
  record->rotation -= floorParameter(7, s.floor).value_or(0) * kDegree;
  s.picked = std::move(record);
}

void pickTexts(label_state& s) {
  acutPrintf(u"\n%ls", dictText(1, 2, 1118));
  qd::support::SelectionSet set;
  if (acedSSGet(nullptr, nullptr, nullptr, nullptr, set.name()) != RTNORM) return;
  ads_name first;
  if (acedSSName(set.name(), 0, first) != RTNORM) return;
  if (const auto mark = recogniseLabel(idOf(first))) {
    auto record = std::make_unique<picked_label>();
    record->kind = mark->kind;
    for (const auto& id : gatherLabel(idOf(first), *mark)) {
      Opened<AcDbText> text(id, AcDb::kForRead);
      if (text) readText(text.get(), *record);
    }
    if (!record->rows.empty()) s.picked = std::move(record);
    return;
  }
  auto texts = std::make_unique<RowList>();
  for (int32_t i = 0, n = set.length(); i < n; ++i) {
    ads_name member;
    if (acedSSName(set.name(), i, member) != RTNORM) continue;
    Opened<AcDbText> text(idOf(member), AcDb::kForRead);
    if (text && text->isA() == AcDbText::desc()) texts->emplace_back(std::u16string(text->textStringConst()));
  }
  if (!texts->empty()) s.source_texts = std::move(texts);
}

void pickForEditing(label_state& s) {
  AcDbObjectId picked;
  const auto mark = pickLabel(picked);
  s.skip_store = true;
  if (!mark) return;
  const AcDbObjectIdArray ids = gatherLabel(picked, *mark);
  auto record = std::make_unique<picked_label>();
  record->kind = mark->kind;
  readLabel(ids, *record);
  record->rotation -= floorParameter(7, s.floor).value_or(0) * kDegree;
  s.picked = std::move(record);
  s.edit_ids = std::make_unique<AcDbObjectIdArray>(ids);
}

// ---- taking over ----

void takeTextParameters(label_state& s, ads_hdlg dlg, const picked_label& p, kind_settings& block) {
  setText(s.settings.angle_edit, angleText(p.rotation));
  ads_set_tile(dlg, u"angle_edit", s.settings.angle_edit);
  setText(block.heighttext_sc, sheetSize(s, p.height));
  setText(block.widthtext, number(p.widthFactor));
  if (!p.style.empty()) setText(block.text_style, p.style);
  block.color_text = p.color;
  if (!p.justification.empty()) setText(block.text_pos, p.justification);
}

void takeLines(label_state& s, const picked_label& p, kind_settings& block) {
  if (p.reference.present) {
    block.color_ref_line = p.reference.color;
    const std::u16string f = p.reference.flags;
    if (!f.empty()) setText(block.x_ref, f.substr(0, 1));
    if (f.size() > 1) setText(block.r_line, f[1] == u'1' ? u"simple" : u"break");
    if (!p.reference.linetype.empty()) setText(block.ltype, p.reference.linetype);
  }
  if (p.attachment.present) {
    setText(block.attachline, u"1");
    setText(block.perpen_text, p.attachment.flags == u"1" ? u"1" : u"0");
    setText(block.ed_attch_ln_sc, sheetSize(s, p.attachment.length));
  } else if (p.textLine.present) {
    setText(block.attachline, u"0");
    block.color_text_line = p.textLine.color;
    setText(block.edit_lenght_sc, sheetSize(s, p.textLine.length));
    const std::u16string mode = p.textLine.flags;
    setText(block.lenght_along, mode == u"0" ? u"0" : u"1");
    static const char16_t* const kLengths[] = {u"lenght_user", u"lenght_text", u"lenght_long_text"};
    if (mode.size() == 1 && mode[0] >= u'0' && mode[0] <= u'2') setText(block.lenght_text_line, kLengths[mode[0] - u'0']);
  }
}

void takeMarks(label_state& s, const picked_label& p, kind_settings& block) {
  if (p.marks.present) {
    const std::u16string f = p.marks.flags;
    if (!f.empty()) setText(block.along_pos, f.substr(0, 1));
    if (f.size() >= 4) {
      block.mark_snapped = f[1];
      block.mark_free = f[2];
      block.mark_plain = f[3];
    }
    block.colr_fr = p.marks.color;
    setText(block.edit_fr_sc, sheetSize(s, p.marks.size));
  }
  if (p.circle.present) {
    block.color_crcl = p.circle.color;
    setText(block.input_dia_cir_sc, sheetSize(s, 2 * p.circle.radius));
    setText(block.number_row, p.rows.size() > 1 ? u"row2" : u"row1");
  }
  if (p.frame.present) {
    double width = p.frame.width, height = p.frame.height;
    const AcGeVector3d along(std::cos(p.rotation), std::sin(p.rotation), 0);
    for (const AcGeVector3d& edge : p.frame.edges) {
      width = std::max(width, std::abs(edge.dotProduct(along)));
      height = std::max(height, std::abs(edge.x * along.y - edge.y * along.x));
    }
    setText(block.edt_wdth_mk_sc, sheetSize(s, width));
    setText(block.edt_hght_mk_sc, sheetSize(s, height));
    block.color_mark = p.frame.color;
  }
}

void replaceRows(RowList& target, const RowList& rows) {
  target.clear();
  for (const auto& row : rows) target.emplace_back(row.value_or(u""));
  ensureHead(target);
}

void takeEditedLabel(label_state& s, ads_hdlg dlg, const picked_label& p) {
  s.settings.current_kind = p.kind;
  replaceRows(s.currentList(), p.rows);
  kind_settings& block = s.currentBlock();
  if (p.hasText) takeTextParameters(s, dlg, p, block);
  takeLines(s, p, block);
  takeMarks(s, p, block);
  if (p.kind == 8 && p.rotateWithLine) setText(block.text_rotat, *p.rotateWithLine == u"1" ? u"1" : u"0");
  setText(block.height_bubble, u"dmt_crc");
  setText(block.width_mark, u"0");
  setText(block.height_mark, u"0");
  const bool ownColour = !p.layer.empty() && (p.layer.back() == u'W' || p.layer.back() == u'w');
  setText(s.settings.color, ownColour ? u"0" : u"1");
  ads_set_tile(dlg, u"color", s.settings.color);
}

}  // namespace

std::optional<label_mark> recogniseLabel(AcDbObjectId entity) {
  Opened<AcDbEntity> e(entity, AcDb::kForRead);
  if (!e) return std::nullopt;
  const auto own = xdataText(e.get(), u"TV_TEXT");
  if (!own && !hasXdata(e.get(), u"TV_TEXT_SCL")) return std::nullopt;
  label_mark mark;
  for (int k = 0; k <= 9 && mark.kind < 0; ++k)
    if (hasXdata(e.get(), kindApplication(k).c_str())) mark.kind = k;
  if (mark.kind < 0 || mark.kind >= kKinds) return std::nullopt;
  mark.identity = own ? *own : dollarApplication(e.get());
  if (mark.identity.empty()) return std::nullopt;
  return mark;
}

AcDbObjectIdArray gatherLabel(AcDbObjectId entity, const label_mark& mark) {
  if (mark.kind == 0 || mark.kind == 4 || mark.kind == 7) {
    Opened<AcDbEntity> e(entity, AcDb::kForRead);
    if (e) {
      AcDbObjectIdArray members = groupMembers(e.get());
      if (!members.isEmpty()) return members;
    }
  }
  return labelInSpace(mark);
}

void readLabel(const AcDbObjectIdArray& ids, picked_label& out) {
  for (const auto& id : ids) {
    Opened<AcDbEntity> e(id, AcDb::kForRead);
    if (e) readEntity(e.get(), out);
  }
}

void runPickStep(label_state& s) {
  s.picked.reset();
  s.angle_taken = false;
  switch (s.pick_mode) {
    case 1: pickAngle(s); break;
    case 2: invoke(acutBuildList(RTSTR, u"QD_DO_KON", 0)); break;
    case 3: invoke(acutBuildList(RTSTR, u"QD_DO_UCS_ALL", 0)); break;
    case 4: pickParameters(s); break;
    case 5: pickTexts(s); break;
    case 6: pickForEditing(s); break;
    default: break;
  }
}

void takeOverPick(label_state& s, ads_hdlg dlg) {
  const int mode = s.pick_mode;
  s.pick_mode = 0;
  std::unique_ptr<picked_label> p = std::move(s.picked);
  switch (mode) {
    case 1:
      if (s.angle_taken) ads_set_tile(dlg, u"angle_edit", s.settings.angle_edit);
      break;
    case 2:
    case 3: showConstructionAndFloor(s, dlg); break;
    case 4:
      if (!p) {
        ads_set_tile(dlg, u"error", dictText(1, 2, 1113));
        break;
      }
      takeTextParameters(s, dlg, *p, s.currentBlock());
      ads_set_tile(dlg, u"error", u"");
      break;
    case 5:
      if (p) {
        replaceRows(s.currentList(), p->rows);
      } else if (s.source_texts && !s.source_texts->empty()) {
        replaceRows(s.currentList(), *s.source_texts);
        s.source_texts.reset();
      } else {
        ads_set_tile(dlg, u"error", dictText(1, 2, 1113));
        break;
      }
      ads_set_tile(dlg, u"error", u"");
      break;
    case 6:
      if (!p) {
        ads_set_tile(dlg, u"error", dictText(1, 2, 1113));
        break;
      }
      takeEditedLabel(s, dlg, *p);
      showConstructionAndFloor(s, dlg);
      ads_set_tile(dlg, u"error", u"");
      break;
    default: break;
  }
}

}  // namespace qd::label
