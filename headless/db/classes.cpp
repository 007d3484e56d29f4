// Run-time class descriptors of the built-in classes, registered explicitly.
#include "headless/db/database_impl.h"
#include "host/aced.h"
#include "host/acgi.h"
#include "host/rxregsvc.h"

#define QD_DEFINE_ABSTRACT(CLASS, PARENT)                                   \
  AcRxClass* CLASS::gpDesc = nullptr;                                       \
  AcRxClass* CLASS::desc() { return gpDesc; }                               \
  AcRxClass* CLASS::isA() const { return gpDesc; }                          \
  void CLASS::rxInit() { gpDesc = newAcRxClass(u"" #CLASS, u"" #PARENT, 0, 0); }

QD_DEFINE_ABSTRACT(AcDbDwgFiler, AcRxObject)
QD_DEFINE_ABSTRACT(AcDbDxfFiler, AcRxObject)
QD_DEFINE_ABSTRACT(AcDbDatabase, AcRxObject)
QD_DEFINE_ABSTRACT(AcDbSymbolTable, AcDbObject)
QD_DEFINE_ABSTRACT(AcDbSymbolTableRecord, AcDbObject)
QD_DEFINE_ABSTRACT(AcDbComplexEntity, AcDbEntity)
QD_DEFINE_ABSTRACT(AcRxDictionary, AcRxObject)
QD_DEFINE_ABSTRACT(AcRxDynamicLinker, AcRxObject)
QD_DEFINE_ABSTRACT(AcEdCommandStack, AcRxObject)
ACRX_DXF_DEFINE_MEMBERS(AcDbObject, AcRxObject, 0, 0, 0, , ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbEntity, AcDbObject, 0, 0, 0, , ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbPoint, AcDbEntity, 0, 0, 0, POINT, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbLine, AcDbEntity, 0, 0, 0, LINE, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbArc, AcDbEntity, 0, 0, 0, ARC, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbCircle, AcDbEntity, 0, 0, 0, CIRCLE, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbText, AcDbEntity, 0, 0, 0, TEXT, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbAttributeDefinition, AcDbText, 0, 0, 0, ATTDEF, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbAttribute, AcDbText, 0, 0, 0, ATTRIB, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbSequenceEnd, AcDbEntity, 0, 0, 0, SEQEND, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbBlockReference, AcDbComplexEntity, 0, 0, 0, INSERT, ObjectDBX Classes)
QD_DEFINE_ABSTRACT(AcDbVertex, AcDbEntity)
ACRX_DXF_DEFINE_MEMBERS(AcDb2dVertex, AcDbVertex, 0, 0, 0, VERTEX, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDb2dPolyline, AcDbComplexEntity, 0, 0, 0, POLYLINE, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbPolyline, AcDbEntity, 0, 0, 0, LWPOLYLINE, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbUnknownEntity, AcDbEntity, 0, 0, 0, , ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbUnknownObject, AcDbObject, 0, 0, 0, , ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbBlockTable, AcDbSymbolTable, 0, 0, 0, , ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbLayerTable, AcDbSymbolTable, 0, 0, 0, , ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbLinetypeTable, AcDbSymbolTable, 0, 0, 0, , ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbTextStyleTable, AcDbSymbolTable, 0, 0, 0, , ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbDimStyleTable, AcDbSymbolTable, 0, 0, 0, , ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbRegAppTable, AcDbSymbolTable, 0, 0, 0, , ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbUCSTable, AcDbSymbolTable, 0, 0, 0, , ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbViewportTable, AcDbSymbolTable, 0, 0, 0, , ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbViewTable, AcDbSymbolTable, 0, 0, 0, , ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbBlockTableRecord, AcDbSymbolTableRecord, 0, 0, 0, BLOCK_RECORD, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbLayerTableRecord, AcDbSymbolTableRecord, 0, 0, 0, LAYER, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbLinetypeTableRecord, AcDbSymbolTableRecord, 0, 0, 0, LTYPE, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbTextStyleTableRecord, AcDbSymbolTableRecord, 0, 0, 0, STYLE, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbDimStyleTableRecord, AcDbSymbolTableRecord, 0, 0, 0, DIMSTYLE, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbRegAppTableRecord, AcDbSymbolTableRecord, 0, 0, 0, APPID, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbUCSTableRecord, AcDbSymbolTableRecord, 0, 0, 0, UCS, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbViewportTableRecord, AcDbSymbolTableRecord, 0, 0, 0, VPORT, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbViewTableRecord, AcDbSymbolTableRecord, 0, 0, 0, VIEW, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbDictionary, AcDbObject, 0, 0, 0, DICTIONARY, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbXrecord, AcDbObject, 0, 0, 0, XRECORD, ObjectDBX Classes)
ACRX_DXF_DEFINE_MEMBERS(AcDbGroup, AcDbObject, 0, 0, 0, GROUP, ObjectDBX Classes)

#define QD_TABLE_RECORD_CLASS(TABLE, RECORD) \
  AcRxClass* TABLE::recordClass() const { return RECORD::desc(); }
QD_TABLE_RECORD_CLASS(AcDbBlockTable, AcDbBlockTableRecord)
QD_TABLE_RECORD_CLASS(AcDbLayerTable, AcDbLayerTableRecord)
QD_TABLE_RECORD_CLASS(AcDbLinetypeTable, AcDbLinetypeTableRecord)
QD_TABLE_RECORD_CLASS(AcDbTextStyleTable, AcDbTextStyleTableRecord)
QD_TABLE_RECORD_CLASS(AcDbDimStyleTable, AcDbDimStyleTableRecord)
QD_TABLE_RECORD_CLASS(AcDbRegAppTable, AcDbRegAppTableRecord)
QD_TABLE_RECORD_CLASS(AcDbUCSTable, AcDbUCSTableRecord)
QD_TABLE_RECORD_CLASS(AcDbViewportTable, AcDbViewportTableRecord)
QD_TABLE_RECORD_CLASS(AcDbViewTable, AcDbViewTableRecord)

namespace qd::db {

// Parents before children, so that every class finds its parent.
void registerBuiltinClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  AcRxObject::rxInit();
  AcRxClass::rxInit();
  AcDbDwgFiler::rxInit();
  AcDbDxfFiler::rxInit();
  AcDbDatabase::rxInit();
  AcDbObject::rxInit();
  AcDbEntity::rxInit();
  AcDbComplexEntity::rxInit();
  AcDbPoint::rxInit();
  AcDbLine::rxInit();
  AcDbArc::rxInit();
  AcDbCircle::rxInit();
  AcDbText::rxInit();
  AcDbAttributeDefinition::rxInit();
  AcDbAttribute::rxInit();
  AcDbSequenceEnd::rxInit();
  AcDbBlockReference::rxInit();
  AcDbVertex::rxInit();
  AcDb2dVertex::rxInit();
  AcDb2dPolyline::rxInit();
  AcDbPolyline::rxInit();
  AcDbUnknownEntity::rxInit();
  AcDbUnknownObject::rxInit();
  AcDbSymbolTable::rxInit();
  AcDbSymbolTableRecord::rxInit();
  AcDbBlockTable::rxInit();
  AcDbLayerTable::rxInit();
  AcDbLinetypeTable::rxInit();
  AcDbTextStyleTable::rxInit();
  AcDbDimStyleTable::rxInit();
  AcDbRegAppTable::rxInit();
  AcDbUCSTable::rxInit();
  AcDbViewportTable::rxInit();
  AcDbViewTable::rxInit();
  AcDbBlockTableRecord::rxInit();
  AcDbLayerTableRecord::rxInit();
  AcDbLinetypeTableRecord::rxInit();
  AcDbTextStyleTableRecord::rxInit();
  AcDbDimStyleTableRecord::rxInit();
  AcDbRegAppTableRecord::rxInit();
  AcDbUCSTableRecord::rxInit();
  AcDbViewportTableRecord::rxInit();
  AcDbViewTableRecord::rxInit();
  AcDbDictionary::rxInit();
  AcDbXrecord::rxInit();
  AcDbGroup::rxInit();
  AcRxDictionary::rxInit();
  AcRxDynamicLinker::rxInit();
  AcEdCommandStack::rxInit();
  acrxBuildClassHierarchy();
}

}  // namespace qd::db
