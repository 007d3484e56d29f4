#include "label/kinds/label_context.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Library/Inc/J_SUPP.h"
#include "Library/Inc/PFLUSH.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "host/dbents.h"
#include "host/dbsymtb.h"
#include "host/winlib.h"
#include "label/command/label_state.h"
#include "label/command/sibling_calls.h"
#include "label/kinds/element_picker.h"
#include "label/kinds/label_geometry.h"
#include "platform/codepage.h"

namespace qd::label {
namespace {

using qd::support::Opened;
using qd::support::ResbufList;

AcGePoint3d g_dragBase;  // where the preview was built, for the drag callback

double number(const char16_t* text) { return std::atof(qd::text::toUtf8(text).c_str()); }

short shortVariable(const char16_t* name) {
  resbuf rb{};
  return acedGetVar(name, &rb) == RTNORM && rb.restype == RTSHORT ? rb.resval.rint : 0;
}

double realVariable(const char16_t* name) {
  resbuf rb{};
  return acedGetVar(name, &rb) == RTNORM && rb.restype == RTREAL ? rb.resval.rreal : 0;
}

// The current layer's name as the family's library gives it; empty without it.
std::u16string currentLayerName() {
  HMODULE library = LoadLibraryW(u"QDMATUCS.ARX");
  if (!library) return u"";
  ACHAR buffer[256] = {0};
  if (auto fn = reinterpret_cast<void (*)(ACHAR*)>(GetProcAddress(library, "MTABHLAD_qd_getvar_clayer"))) fn(buffer);
  FreeLibrary(library);
  return buffer;
}

bool isTrueTypeStyle(const std::u16string& style) {
  ResbufList record(acdbTblSearch(u"STYLE", style.c_str(), 0));
  for (const resbuf* rb = record.get(); rb; rb = rb->rbnext)
    if (rb->restype == 3 && rb->resval.rstring) {
      const std::u16string font = qd::text::toUpper(rb->resval.rstring);
      return font.size() > 4 && font.compare(font.size() - 3, 3, u"TTF") == 0;
    }
  return false;
}

void takeStyle(label_context& ctx) {
  resbuf rb{};
  rb.restype = RTSTR;
  rb.resval.rstring = const_cast<ACHAR*>(ctx.style_name.c_str());
  acedSetVar(u"TEXTSTYLE", &rb);
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbTextStyleTable* table = nullptr;
  if (!db || db->getTextStyleTable(table, AcDb::kForRead) != Acad::eOk) return;
  Opened<AcDbTextStyleTable> owned(table);
  AcDbTextStyleTableRecord* style = nullptr;
  if (table->getAt(ctx.style_name.c_str(), style, AcDb::kForRead) != Acad::eOk) return;
  Opened<AcDbTextStyleTableRecord> ownedStyle(style);
  if (ctx.width_factor == 0) ctx.width_factor = style->xScale();
  ctx.oblique = style->obliquingAngle();
}

void takeFloorSystem(label_context& ctx) {
  const std::u16string floor = ctx.settings.floor;
  if (floor.empty()) return;
  acedCommand(RTSTR, u"._UCS", RTSTR, u"_R", RTSTR, floor.c_str(), RTNONE);
  ctx.elevation = floorParameter(3, floor).value_or(0);
  ctx.ucs_angle = floorParameter(7, floor).value_or(0) * kDegree;
  ctx.rotation += ctx.ucs_angle;
}

AcDbObjectId spaceId(const label_context& ctx) {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  return ctx.space_name == u"*Paper_Space" ? db->paperSpaceId() : db->modelSpaceId();
}

// The extended data of a label text, in the order the label's readers expect.
ResbufList textXdata(const label_context& ctx, const std::u16string& identity, bool first) {
  ResbufList list = identityXdata(identity);
  if (first) appendXdata(list, acutBuildList(1001, u"TV_TEXT_REF", 1070, 11, 0));
  appendXdata(list, acutBuildList(1001, u"TV_TEXT_SCL", 1070, -1, 0));
  appendXdata(list, kindXdata(ctx));
  appendXdata(list, acutBuildList(1001, u"BE_TEXT_JUST", 1000, ctx.justification.c_str(), 0));
  return list;
}

AcDbObjectId styleId(const std::u16string& name) {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbTextStyleTable* table = nullptr;
  if (!db || db->getTextStyleTable(table, AcDb::kForRead) != Acad::eOk) return {};
  Opened<AcDbTextStyleTable> owned(table);
  AcDbObjectId id;
  if (table->getAt(name.c_str(), id) != Acad::eOk) return {};
  return id;
}

bool hasRecord(const char16_t* table, const char16_t* name) {
  ResbufList record(acdbTblSearch(table, name, 0));
  return record.get() != nullptr;
}

// Why the drawing refused an entity of the label, in the user's words.
std::u16string refusal(const AcDbEntity* e, Acad::ErrorStatus es) {
  std::u16string what;
  const std::u16string linetype = qd::text::toUpper(e->linetype());
  if (const auto* text = AcDbText::cast(e); text && !hasRecord(u"STYLE", text->textStyleName()))
    what = u"text style \"" + std::u16string(text->textStyleName()) + u"\"";
  else if (!hasRecord(u"LAYER", e->layer()))
    what = u"layer \"" + std::u16string(e->layer()) + u"\"";
  else if (linetype != u"BYLAYER" && linetype != u"BYBLOCK" && !hasRecord(u"LTYPE", e->linetype()))
    what = u"linetype \"" + std::u16string(e->linetype()) + u"\"";
  else
    what = u"an entity";
  return what + u" (" + acadErrorStatusText(es) + u")";
}

// Where row i goes: relative rows one step from the row before (the first at the
// start), absolute rows at the start plus their own offset.
AcGePoint3d rowPosition(const label_context& ctx, const AcGePoint3d& start, const AcGePoint3d& before, size_t i,
                        bool relative) {
  const text_row& row = ctx.rows[i];
  if (!relative) return start + AcGeVector3d(row.step_x, row.step_y, 0);
  return i == 0 ? start : before - AcGeVector3d(row.step_x, row.step_y, 0);
}

}  // namespace

plane_vector polar(double angle, double length) { return {std::cos(angle) * length, std::sin(angle) * length}; }

void prepareLayer(const std::u16string& layer, short purpose) {
  invoke(acutBuildList(RTSTR, u"QD008e", RTSTR, layer.c_str(), RTSHORT, 0, RTSTR, u"", RTSHORT, purpose, 0));
}

double drawingSize(const label_context& ctx, std::u16string_view sheetSize) {
  char16_t size[32] = {0};
  std::copy_n(sheetSize.begin(), std::min<size_t>(sheetSize.size(), 31), size);
  return number(ctx.settings.settings.scale_to_drawing(size, 32));
}

AcGePoint3d toWorld(const ads_point p, double elevation) {
  ads_point world;
  qd::support::toUcsOrWcs(p, 0, world);
  return AcGePoint3d(world[0], world[1], elevation);
}

void toUser(const AcGePoint3d& p, ads_point out) {
  const ads_point world = {p.x, p.y, p.z};
  qd::support::toUcsOrWcs(world, 1, out);
}

bool pickLabelElement(label_context& ctx) {
  const std::u16string code = ctx.layer_name.size() >= 7 ? ctx.layer_name.substr(5, 2) : u"";
  for (;;) {
    const element_choice choice = elementPicker(std::nullopt, code, ctx.dialog_file);
    if (choice.status == PickStatus::OwnIdentity) return true;
    if (choice.status != PickStatus::Picked) return false;
    if (choice.name) {
      ctx.link_name = choice.name;
      return true;
    }
  }
}

bool askRowText(label_context& ctx) {
  if (!ctx.ask_text || ctx.rows.size() != 1) return true;
  const std::u16string prompt = u"\nText <" + ctx.rows[0].text + u">:";
  ACHAR answer[256] = {0};
  if (acedGetString(1, prompt.c_str(), answer, 256) != RTNORM) return false;
  std::u16string text = answer;
  // A row on a text line is marked; the mark is not part of its text.
  if (ctx.rows[0].marked && text.rfind(u"&-", 0) == 0) text.erase(0, 2);
  if (!text.empty()) ctx.rows[0].text = text;
  return true;
}

ResbufList identityXdata(const std::u16string& identity) {
  return ResbufList(acutBuildList(-3, 1001, identity.c_str(), 1000, u"BE", 0));
}

resbuf* kindXdata(const label_context& ctx) {
  const std::u16string kindApp = u"TV_TEXT_" + qd::text::fromUtf8(std::to_string(ctx.kind));
  return acutBuildList(1001, kindApp.c_str(), 1070, 0, 0);
}

resbuf* tagXdata(const app_tag& tag) { return acutBuildList(1001, tag.app.c_str(), 1000, tag.value.c_str(), 0); }

void appendXdata(ResbufList& list, resbuf* more) {
  if (!list.get()) return list.reset(more);
  resbuf* tail = list.get();
  while (tail->rbnext) tail = tail->rbnext;
  tail->rbnext = more;
}

// ---- the entities of one label ----

label_builder::label_builder(label_context& ctx) : m_ctx(ctx) {
  if (acdbEntLast(m_last) != RTNORM) ads_name_clear(m_last);
}

label_builder::~label_builder() {
  if (!m_finished) eraseMade();
}

void label_builder::eraseMade() { deleteMembers(m_set); }

bool label_builder::append(AcDbEntity* entity, const xdata_maker& xdata, Acad::ErrorStatus& es) {
  if (const auto* text = AcDbText::cast(entity); text && !hasRecord(u"STYLE", text->textStyleName())) {
    es = Acad::eKeyNotFound;
    return false;
  }
  Opened<AcDbBlockTableRecord> space(spaceId(m_ctx), AcDb::kForWrite);
  AcDbObjectId id;
  es = space ? space->appendAcDbEntity(id, entity) : Acad::eNotOpenForWrite;
  if (es != Acad::eOk) return false;
  if (m_own.empty()) {
    // The first entity's handle names the label; the name is registered before use.
    ACHAR handle[17] = {0};
    entity->objectId().handle().getIntoAsciiBuffer(handle);
    m_own = u"$" + qd::text::toUpper(handle);
    acdbRegApp(m_own.c_str());
  }
  ResbufList list = xdata(m_own);
  if (list.get()) entity->setXData(list.get()->rbnext);
  entity->close();
  ads_name name;
  acdbGetAdsName(name, id);
  acedSSAdd(name, m_set.empty() ? nullptr : m_set.name(), m_set.name());
  return true;
}

bool label_builder::add(AcDbEntity* entity, const xdata_maker& xdata) {
  if (m_failed) {
    delete entity;
    return false;
  }
  Acad::ErrorStatus es = Acad::eOk;
  if (append(entity, xdata, es)) return true;
  acutPrintf(u"\nThe label is not drawn: %ls.\n", refusal(entity, es).c_str());
  delete entity;
  m_failed = true;
  eraseMade();
  return false;
}

bool label_builder::finish() {
  const std::u16string identity = m_ctx.link_name.value_or(m_own);
  m_ctx.link_name.reset();
  if (m_failed || m_set.empty()) return false;
  m_finished = true;
  qd::support::recordNewPart(identity.c_str(), m_last);
  acedCommand(RTSTR, u"._-GROUP", RTSTR, u"_create", RTSTR, u"*", RTSTR, u"", RTPICKS, m_set.name(), RTSTR, u"",
              RTNONE);
  return true;
}

AcDbText* newLabelText(const label_context& ctx, const text_row& row, const AcGePoint3d& at) {
  auto* text = new AcDbText(at, row.text.c_str(), AcDbObjectId::kNull, ctx.height, ctx.rotation);
  if (const AcDbObjectId style = styleId(ctx.style_name); !style.isNull()) text->setTextStyle(style);
  else text->setTextStyleName(ctx.style_name.c_str());
  text->setHorizontalMode(static_cast<AcDb::TextHorzMode>(row.horizontal_mode));
  text->setVerticalMode(static_cast<AcDb::TextVertMode>(row.vertical_mode));
  text->setAlignmentPoint(at);
  text->setWidthFactor(ctx.width_factor);
  text->setOblique(ctx.oblique);
  return text;
}

bool appendToSet(const label_context& ctx, AcDbEntity* entity, qd::support::SelectionSet& set) {
  const AcDbObjectId id = appendToSpace(ctx, entity);
  ads_name name;
  if (id.isNull() || acdbGetAdsName(name, id) != Acad::eOk) return false;
  return acedSSAdd(name, set.empty() ? nullptr : set.name(), set.name()) == RTNORM;
}

void deleteMembers(qd::support::SelectionSet& set) {
  for (int32_t i = set.length() - 1; i >= 0; --i) {
    ads_name member;
    if (acedSSName(set.name(), i, member) != RTNORM) continue;
    acedSSDel(member, set.name());
    acdbEntDel(member);
  }
}

AcDbObjectId appendToSpace(const label_context& ctx, AcDbEntity* entity) {
  Opened<AcDbBlockTableRecord> space(spaceId(ctx), AcDb::kForWrite);
  AcDbObjectId id;
  if (!space || space->appendAcDbEntity(id, entity) != Acad::eOk) {
    delete entity;
    return AcDbObjectId();
  }
  entity->close();
  return id;
}

temporary_point::temporary_point(const label_context& ctx, const AcGePoint3d& at) {
  ads_name_clear(m_point);
  const AcDbObjectId id = appendToSpace(ctx, new AcDbPoint(at));
  if (!id.isNull() && acdbGetAdsName(m_point, id) == Acad::eOk) acedSSAdd(m_point, nullptr, m_set.name());
}

temporary_point::~temporary_point() {
  m_set.free();
  if (!ads_name_nil(m_point)) acdbEntDel(m_point);
}

void setDragBase(const AcGePoint3d& base) { g_dragBase = base; }

int dragTranslate(ads_point cursor, ads_matrix m) {
  ads_point world;
  qd::support::toUcsOrWcs(cursor, 0, world);
  setIdentity(m);
  m[0][3] = world[0] - g_dragBase.x;
  m[1][3] = world[1] - g_dragBase.y;
  m[2][3] = world[2] - g_dragBase.z;
  return RTNORM;
}

void setIdentity(ads_matrix m) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m[r][c] = r == c ? 1.0 : 0.0;
}

void eraseTemporaries(label_context& ctx) {
  for (const auto& id : ctx.temporary_ids) {
    Opened<AcDbEntity> e(id, AcDb::kForWrite);
    if (e) e->erase();
  }
  ctx.temporary_ids.clear();
}

bool textBox(const label_context& ctx, const char16_t* text, ads_point lo, ads_point hi) {
  ResbufList list(acutBuildList(RTDXF0, u"TEXT", 1, text, 40, ctx.height, 7, ctx.style_name.c_str(), 41,
                                ctx.width_factor, 0));
  return acedTextBox(list.get(), lo, hi) == RTNORM;
}

AcGePoint3d previewStart(const label_context& ctx) {
  ads_point centre = {0, 0, 0};
  resbuf rb{};
  if (acedGetVar(u"VIEWCTR", &rb) == RTNORM && rb.restype == RTPOINT) ads_point_set(rb.resval.rpoint, centre);
  centre[1] += 1.5 * realVariable(u"VIEWSIZE");
  ads_point world;
  qd::support::toUcsOrWcs(centre, 0, world);
  return AcGePoint3d(world[0], world[1], ctx.elevation);
}

void buildContext(label_context& ctx) {
  label_state& s = ctx.settings;
  const kind_settings& k = s.currentBlock();
  ctx.space_name = shortVariable(u"TILEMODE") == 0 && shortVariable(u"CVPORT") == 1 ? u"*Paper_Space" : u"*Model_Space";
  ctx.variant = s.variant();
  ctx.kind = s.kindIndex();
  ctx.justification = k.text_pos;
  ads_real angle = 0;
  if (acdbAngToF(s.settings.angle_edit[0] ? s.settings.angle_edit : u"0", -1, &angle) != RTNORM) angle = 0;
  if (angle > kFoldFrom && angle < kFoldTo) angle -= kHalfTurn;
  ctx.rotation = angle;
  ctx.height = drawingSize(ctx, k.heighttext_sc);
  ctx.width_factor = number(k.widthtext);
  ctx.style_name = k.text_style;
  ctx.ask_text = std::u16string(s.settings.confirm_txt) == u"1";
  ctx.link_to_element = std::u16string(s.settings.bind) == u"1";
  ctx.repeat = std::u16string(s.settings.x_insert) == u"1";
  ctx.dialog_file = s.dcl_id;
  const bool byLayer = std::u16string(s.settings.color) == u"1";
  ctx.layer_name = currentLayerName() + u"2" + (byLayer ? (std::u16string(k.bold_line) == u"1" ? u"Z" : u"Y") : u"W");
  ctx.colour = static_cast<int16_t>(byLayer ? 256 : k.color_text);
  prepareLayer(ctx.layer_name, 55);
  takeStyle(ctx);
  takeFloorSystem(ctx);
  if (ctx.justification.rfind(u"B", 0) == 0 && isTrueTypeStyle(ctx.style_name)) {
    ads_point lo, hi;
    if (textBox(ctx, u"Agjp", lo, hi)) {
      const plane_vector d = polar(ctx.rotation - kQuarterTurn, -lo[1]);
      ctx.descent_offset = AcGeVector3d(d.x, d.y, 0);
    }
  }
}

plane_vector lineStep(const label_context& ctx) {
  ads_point lo = {0, 0, 0}, hi = {0, 0, 0};
  textBox(ctx, u"Agjp", lo, hi);
  const plane_vector p = polar(ctx.rotation, hi[1] - 2 * lo[1]);
  return {-p.y, p.x};
}

void addLabelTexts(label_context& ctx, label_builder& builder, const AcGePoint3d& at, bool relative,
                   const app_tag* marked) {
  AcGePoint3d p = at;
  for (size_t i = 0; i < ctx.rows.size() && !ctx.rows[i].text.empty(); ++i) {
    p = rowPosition(ctx, at, p, i, relative);
    AcDbText* text = newLabelText(ctx, ctx.rows[i], p);
    text->setColorIndex(ctx.colour);
    text->setLayer(ctx.layer_name.c_str());
    const bool onLine = ctx.rows[i].marked && marked;
    auto xdata = [&ctx, i, onLine, marked](const std::u16string& own) {
      ResbufList list = textXdata(ctx, ctx.link_name.value_or(own), i == 0);
      // The line's own tag tells a reader which row sits on the label's line.
      if (onLine) appendXdata(list, tagXdata(*marked));
      return list;
    };
    if (!builder.add(text, xdata)) return;
  }
}

bool makeLabelTexts(label_context& ctx, const AcGePoint3d& at, bool relative) {
  if (ctx.link_to_element && !ctx.link_name && !pickLabelElement(ctx)) return false;
  prepareLayer(ctx.layer_name, 32);
  label_builder builder(ctx);
  addLabelTexts(ctx, builder, at, relative);
  return builder.finish();
}

int dragLabelPreview(label_context& ctx, bool relative, AcGePoint3d& chosen) {
  const AcGePoint3d start = previewStart(ctx);
  qd::support::SelectionSet set;
  AcGePoint3d p = start;
  for (size_t i = 0; i < ctx.rows.size() && !ctx.rows[i].text.empty(); ++i) {
    p = rowPosition(ctx, start, p, i, relative);
    appendToSet(ctx, newLabelText(ctx, ctx.rows[i], p), set);
  }
  setDragBase(start);
  ads_point picked = {0, 0, 0};
  const int rc = set.empty() ? RTERROR : acedDragGen(set.name(), qd::support::moduleText(39), 0, dragTranslate, picked);
  deleteMembers(set);
  if (rc != RTNORM) return rc;
  ads_point pickedWorld;
  qd::support::toUcsOrWcs(picked, 0, pickedWorld);
  chosen = AcGePoint3d(pickedWorld[0], pickedWorld[1], ctx.elevation);
  return RTNORM;
}

void sourceTextQuestion(label_state& state) {
  if (!state.edit_ids) return;
  const AcDbObjectIdArray ids = *state.edit_ids;
  state.edit_ids.reset();
  const std::u16string yes = qd::support::moduleText(62), no = qd::support::moduleText(63);
  for (;;) {
    const std::u16string prompt = std::u16string(qd::support::moduleText(61)) + u" [" + yes + u"/" + no + u"] <" + no + u">: ";
    ACHAR answer[64] = {0};
    if (acedGetString(0, prompt.c_str(), answer, 64) != RTNORM) return;
    const std::u16string a = qd::text::toUpper(answer);
    auto matches = [&a](const std::u16string& word) {
      const std::u16string w = qd::text::toUpper(word);
      return a == w || (a.size() == 1 && !w.empty() && a[0] == w[0]);
    };
    if (a.empty() || matches(no)) return;
    if (matches(yes)) break;
  }
  for (const auto& id : ids) {
    Opened<AcDbEntity> e(id, AcDb::kForWrite);
    if (e) e->erase();
  }
}

}  // namespace qd::label
