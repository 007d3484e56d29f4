// -INSERT: a block of the drawing, or a drawing file brought in as a block together
// with the records and block definitions it uses.
#include <cmath>
#include <filesystem>

#include "headless/commands/host_commands.h"
#include "headless/db/database_impl.h"
#include "headless/db/tags.h"
#include "headless/dxf/dxf.h"
#include "headless/ui/console.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "platform/codepage.h"

namespace qd::commands {
namespace {

// Copies an object's data from one drawing into a new object of another: references
// to records travel by name, so they find the target's records.
template <class T>
T* copyInto(AcDbDatabase* target, AcDbDatabase* source, const AcDbObject* from) {
  auto* to = T::cast(from->isA()->create());
  if (!to) return nullptr;
  db::TagFiler out(source, AcDb::kCopyFiler, true);
  from->dxfOutFields(&out);
  // Ids of the source drawing mean nothing in the target.
  db::Tags tags;
  for (auto& t : out.tags())
    if (t.kind != db::TagKind::Id) tags.push_back(std::move(t));
  db::TagFiler in(target, std::move(tags), AcDb::kCopyFiler);
  to->dxfInFields(&in);
  to->setXData(AcDbObjectAccess::xdata(const_cast<AcDbObject*>(from)));
  return to;
}

void copyRecords(AcDbDatabase* target, AcDbDatabase* source, AcDbObjectId AcDbDatabase::Impl::*table) {
  auto* s = source->impl();
  auto* t = target->impl();
  auto* srcTable = AcDbSymbolTable::cast(s->peek(s->*table));
  auto* dstTable = AcDbSymbolTable::cast(t->peek(t->*table));
  if (!srcTable || !dstTable) return;
  for (const auto& id : AcDbSymbolTableAccess::records(srcTable)) {
    auto* rec = AcDbSymbolTableRecord::cast(s->peek(id));
    if (!rec || rec->isErased() || !t->recordId(t->*table, rec->nameConst()).isNull()) continue;
    AcDbSymbolTableRecord* copy = copyInto<AcDbSymbolTableRecord>(target, source, rec);
    if (!copy) continue;
    AcDbObjectAccess::writer(dstTable) = true;
    if (dstTable->add(copy) != Acad::eOk) delete copy;
    else AcDbObjectAccess::writer(copy) = false;
    AcDbObjectAccess::writer(dstTable) = false;
  }
}

void copyEntities(AcDbDatabase* target, AcDbDatabase* source, const AcDbBlockTableRecord* from,
                  AcDbBlockTableRecord* to) {
  auto* s = source->impl();
  for (const auto& id : from->entityIds()) {
    auto* e = AcDbEntity::cast(s->peek(id));
    if (!e || e->isErased()) continue;
    AcDbEntity* copy = copyInto<AcDbEntity>(target, source, e);
    if (!copy) continue;
    if (auto* complex = AcDbComplexEntity::cast(e)) {
      for (const auto& subId : complex->ownedIds()) {
        auto* sub = AcDbEntity::cast(s->peek(subId));
        if (!sub || AcDbSequenceEnd::cast(sub)) continue;
        if (auto* attr = AcDbAttribute::cast(sub); attr && AcDbBlockReference::cast(copy))
          AcDbBlockReference::cast(copy)->appendAttribute(copyInto<AcDbAttribute>(target, source, attr));  // not in a drawing yet
        else if (auto* vertex = AcDb2dVertex::cast(sub); vertex && AcDb2dPolyline::cast(copy))
          AcDb2dPolyline::cast(copy)->appendVertex(copyInto<AcDb2dVertex>(target, source, vertex));
      }
    }
    AcDbObjectId made;
    if (to->appendAcDbEntity(made, copy) != Acad::eOk) delete copy;
    else copy->close();
  }
}

// Defines a block of the target from a block of the source, after the blocks it inserts.
void copyBlock(AcDbDatabase* target, AcDbDatabase* source, const AcDbBlockTableRecord* from,
               const std::u16string& name, int depth = 0) {
  auto* t = target->impl();
  auto* s = source->impl();
  if (depth > 32 || !t->recordId(t->blockTable, name).isNull()) return;
  for (const auto& id : from->entityIds())
    if (auto* ref = AcDbBlockReference::cast(s->peek(id)))
      if (auto* inner = AcDbBlockTableRecord::cast(s->peek(ref->blockTableRecord())))
        copyBlock(target, source, inner, inner->nameConst(), depth + 1);
  AcDbBlockTable* table = nullptr;
  if (target->getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return;
  auto* btr = new AcDbBlockTableRecord();
  btr->setName(name.c_str());
  btr->setOrigin(from->origin());
  AcDbObjectId btrId;
  if (table->add(btrId, btr) != Acad::eOk) {
    delete btr;
    table->close();
    return;
  }
  table->close();
  copyEntities(target, source, from, btr);
  btr->close();
}

// The drawing file for a name: as given, with ".dxf" for ".dwg" (drawings are kept as
// DXF here), with ".dxf" added, each also through the search path.
std::string drawingFile(const std::u16string& name) {
  namespace fs = std::filesystem;
  std::vector<std::u16string> tries{name};
  const std::u16string lower = qd::text::toUpper(name);
  if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, u".DWG") == 0)
    tries.push_back(name.substr(0, name.size() - 4) + u".dxf");
  else if (lower.size() < 4 || lower.compare(lower.size() - 4, 4, u".DXF") != 0)
    tries.push_back(name + u".dxf");
  for (const auto& n : tries) {
    ACHAR found[1024];
    if (acedFindFile(n.c_str(), found, 1024) == RTNORM) return qd::text::toUtf8(found);
  }
  return {};
}

}  // namespace

// Brings a drawing file in as the block `name`; false with a message when it cannot.
bool importDrawing(AcDbDatabase* db, const std::string& path, const std::u16string& name) {
  AcDbDatabase source(false);
  std::u16string error;
  if (qd::dxf::readFile(&source, path, error) != Acad::eOk) {
    say(error);
    return false;
  }
  copyRecords(db, &source, &AcDbDatabase::Impl::layerTable);
  copyRecords(db, &source, &AcDbDatabase::Impl::linetypeTable);
  copyRecords(db, &source, &AcDbDatabase::Impl::textStyleTable);
  copyRecords(db, &source, &AcDbDatabase::Impl::regAppTable);
  auto* s = source.impl();
  auto* ms = AcDbBlockTableRecord::cast(s->peek(s->modelSpace));
  if (!ms) return false;
  // A drawing that inserts a block of its own name would become a block inserting itself.
  if (const AcDbObjectId same = s->recordId(s->blockTable, name); !same.isNull())
    for (const auto& id : ms->entityIds())
      if (auto* ref = AcDbBlockReference::cast(s->peek(id));
          ref && !ref->isErased() && qd::db::insertsItself(s, same, ref->blockTableRecord())) {
        say(u"Block " + name + u" references itself.");
        return false;
      }
  // Every named block definition of the file comes along, used or not; definitions the
  // drawing has already are kept as they are.
  auto* blocks = AcDbSymbolTable::cast(s->peek(s->blockTable));
  for (const auto& id : AcDbSymbolTableAccess::records(blocks))
    if (auto* btr = AcDbBlockTableRecord::cast(s->peek(id)); btr && !btr->isErased() && !btr->isLayout() &&
                                                               btr->nameConst()[0] != u'*')
      copyBlock(db, &source, btr, btr->nameConst());
  copyBlock(db, &source, ms, name);
  return true;
}

int insert(AcDbDatabase* db, Args& args) {
  std::u16string name;
  if (!args.text(u"Enter block name or [?]: ", name)) return RTCAN;
  if (name.empty()) return RTNORM;
  auto* d = db->impl();
  // "name=file" defines the block from the file; a bare path names the file's block.
  std::u16string blockName = name, file;
  if (size_t eq = name.find(u'='); eq != std::u16string::npos) blockName = name.substr(0, eq), file = name.substr(eq + 1);
  else if (d->recordId(d->blockTable, name).isNull()) file = name;
  if (!file.empty()) {
    blockName = qd::text::fromUtf8(std::filesystem::path(qd::text::toUtf8(blockName)).stem().string());
    if (d->recordId(d->blockTable, blockName).isNull()) {
      const std::string path = drawingFile(file);
      if (path.empty()) {
        say(u"\"" + file + u"\": Can't find file in search path.");
        return RTERROR;
      }
      if (!importDrawing(db, path, blockName)) return RTERROR;
    }
  }
  const AcDbObjectId block = d->recordId(d->blockTable, blockName);
  if (block.isNull()) {
    say(u"Unknown block name \"" + blockName + u"\".");
    return RTERROR;
  }
  AcGePoint3d at;
  if (!args.point(u"Specify insertion point or [Basepoint/Scale/X/Y/Z/Rotate]: ", at)) return RTCAN;
  std::u16string xs, ys, rot;
  if (!args.text(u"Enter X scale factor, specify opposite corner, or [Corner/XYZ] <1>: ", xs) ||
      !args.text(u"Enter Y scale factor <use X scale factor>: ", ys) || !args.text(u"Specify rotation angle <0>: ", rot))
    return RTCAN;
  const double sx = xs.empty() ? 1.0 : std::atof(qd::text::toUtf8(xs).c_str());
  const double sy = ys.empty() ? sx : std::atof(qd::text::toUtf8(ys).c_str());
  double angle = 0;
  if (!rot.empty() && acdbAngToF(rot.c_str(), -1, &angle) != RTNORM) angle = 0;
  auto* ref = new AcDbBlockReference(at, block);
  ref->setScaleFactors(AcGeVector3d(sx, sy, sx));
  ref->setRotation(angle);
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, db->currentSpaceId(), AcDb::kForWrite) != Acad::eOk) {
    delete ref;
    return RTERROR;
  }
  if (space->appendAcDbEntity(ref) != Acad::eOk) delete ref;
  else ref->close();
  space->close();
  return RTNORM;
}

}  // namespace qd::commands
