// Helpers shared by the built-in classes' filing and drawing.
#pragma once
#include <functional>

#include "headless/db/tags.h"
#include "host/acgi.h"
#include "host/dbmain.h"

namespace qd::db {

// Reads every remaining group, skipping subclass markers, and hands it to `apply` (made
// inline: it is called for every group of every object read).
template <class Apply>
void readGroups(AcDbDxfFiler* f, Apply&& apply) {
  resbuf rb;
  while (f->readItem(&rb) == Acad::eOk) {
    if (rb.restype == 100) continue;
    apply(static_cast<const resbuf&>(rb));
  }
  f->resetFilerStatus();
}
// The same with the subclass each group stands in ("" before the first marker, as in
// files without markers), so that a code two subclasses use is read for the right one.
void readGroupsBySubclass(AcDbDxfFiler* f, const std::function<void(std::u16string_view, const resbuf&)>& apply);

// Groups a class does not model, kept as bytes in the object and filed back after its
// own: `keepGroup` adds one while reading, `writeKeptGroups` puts them out again.
void keepGroup(std::string& kept, AcDbDxfFiler* f, const resbuf& rb);
// Whether a group is one of the common entity groups (layer, colour, true colour,
// transparency ...), which the entity base reads and keeps, never a subclass.
bool isCommonEntityCode(int code);
// A class of the host itself, not of a module.
bool isBuiltinClass(const AcRxClass* cls);
// Whether the group at `i`, of a code the entity base also uses, is the entity's own: 92
// and 160 are the size of proxy graphics only when the graphics (310) follow, otherwise
// (a hatch's boundary path type, in a list without subclass markers) the subclass's.
bool isOwnCodeAmongCommon(const Tags& tags, size_t i);
// Keeps a group of an entity's own subclass that its class does not model.
inline void keepOwnGroup(qd::KeptBytes& kept, AcDbDxfFiler* f, const resbuf& rb) {
  if (!isCommonEntityCode(rb.restype)) keepGroup(kept.edit(), f, rb);
}
void writeKeptGroups(AcDbDxfFiler* f, const std::string& kept);
// The same kept bytes as groups, and groups added to them; groups written to a filer.
Tags keptGroups(AcDbDatabase* db, const std::string& kept);
void keepTags(std::string& kept, AcDbDatabase* db, const Tags& tags);
void writeTags(AcDbDxfFiler* f, const Tags& tags);

// Binary filing of a built-in through its DXF groups (with default values).
Acad::ErrorStatus dwgOutViaDxf(const AcDbObject* obj, AcDbDwgFiler* f,
                               const std::function<Acad::ErrorStatus(AcDbDxfFiler*)>& out);
Acad::ErrorStatus dwgInViaDxf(AcDbObject* obj, AcDbDwgFiler* f,
                              const std::function<Acad::ErrorStatus(AcDbDxfFiler*)>& in);

// A vertex of a polyline in its plane (object coordinates): the bulge and the widths of
// the segment it starts.
struct PlanarVertex {
  AcGePoint2d pt;
  double bulge = 0, startWidth = 0, endWidth = 0;
};
// The points after `from` of a segment with a bulge (an arc; a line when 0) to `to`.
void appendArc(std::vector<AcGePoint2d>& out, const AcGePoint2d& from, const AcGePoint2d& to, double bulge);
bool drawPlanar(AcGiWorldDraw* mode, const std::vector<PlanarVertex>& vertices, bool closed,
                const AcGeVector3d& normal, double elevation);

// The extents of whatever an entity draws.
Acad::ErrorStatus extentsFromDrawing(AcDbEntity* ent, AcDbExtents& extents);

// Draws an entity kept as its groups (MTEXT, HATCH, DIMENSION, ELLIPSE, SPLINE, SOLID,
// TRACE, 3DFACE, LEADER) as the host shows it; false for a kind it cannot draw.
bool drawKeptEntity(std::u16string_view type, const Tags& tags, AcDbDatabase* db, AcGiWorldDraw* mode);

inline AcGePoint3d toPoint(const resbuf& rb) { return AcGePoint3d(rb.resval.rpoint); }
inline AcGeVector3d toVector(const resbuf& rb) {
  return AcGeVector3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]);
}

// The arbitrary-axis algorithm: the X axis of an entity's own coordinate system.
AcGeVector3d arbitraryXAxis(const AcGeVector3d& normal);
// Entity (object) coordinates with this normal to world coordinates.
AcGeMatrix3d ecsToWcs(const AcGeVector3d& normal);

}  // namespace qd::db

#define QD_DEFINE_DWG_VIA_DXF(CLASS)                                                    \
  Acad::ErrorStatus CLASS::dwgOutFields(AcDbDwgFiler* f) const {                        \
    return qd::db::dwgOutViaDxf(this, f, [this](AcDbDxfFiler* d) { return CLASS::dxfOutFields(d); }); \
  }                                                                                     \
  Acad::ErrorStatus CLASS::dwgInFields(AcDbDwgFiler* f) {                               \
    return qd::db::dwgInViaDxf(this, f, [this](AcDbDxfFiler* d) { return CLASS::dxfInFields(d); }); \
  }
