// Symbol tables and their records.
#pragma once
#include <map>
#include <unordered_map>
#include <vector>

#include "host/dbents.h"

#define ACDB_MODEL_SPACE u"*Model_Space"
#define ACDB_PAPER_SPACE u"*Paper_Space"

class AcDbSymbolTableRecord : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbSymbolTableRecord);
  Acad::ErrorStatus getName(const ACHAR*& name) const;
  Acad::ErrorStatus getName(ACHAR*& name) const;  // a copy made with new[]
  const ACHAR* nameConst() const { return m_name.c_str(); }
  Acad::ErrorStatus setName(const ACHAR* name);
  bool isDependent() const { return m_flags & 16; }
  int16_t flags() const { return m_flags; }
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

 protected:
  // Writes the name and flags after the record's own subclass marker.
  void writeNameAndFlags(AcDbDxfFiler* filer, int16_t extraFlags = 0) const;
  bool readNameOrFlags(const resbuf& rb);
  std::u16string m_name;
  int16_t m_flags = 0;
  std::string m_kept;  // groups of the record's own that its class does not model, filed in binary
};

class AcDbSymbolTableIterator;

class AcDbSymbolTable : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbSymbolTable);
  Acad::ErrorStatus getAt(const ACHAR* name, AcDbObjectId& id, bool getErasedRecord = false) const;
  template <class R>
  Acad::ErrorStatus getAt(const ACHAR* name, R*& rec, AcDb::OpenMode mode, bool openErased = false) const {
    AcDbObjectId id;
    Acad::ErrorStatus es = getAt(name, id, openErased);
    if (es != Acad::eOk) return es;
    return acdbOpenObject(rec, id, mode, openErased);
  }
  bool has(const ACHAR* name) const;
  bool has(AcDbObjectId id) const;
  // Takes ownership of a new record; its name must be valid and unused.
  Acad::ErrorStatus add(AcDbSymbolTableRecord* rec);
  Acad::ErrorStatus add(AcDbObjectId& id, AcDbSymbolTableRecord* rec);
  Acad::ErrorStatus newIterator(AcDbSymbolTableIterator*& it, bool atBeginning = true,
                                bool skipDeleted = true) const;
  // Every record id, erased ones included, in the order the records were added.
  const std::vector<AcDbObjectId>& recordIds() const { return m_records; }
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
  // The class of the records the table holds.
  virtual AcRxClass* recordClass() const = 0;

 private:
  friend class AcDbSymbolTableAccess;
  std::vector<AcDbObjectId> m_records;
  std::map<std::u16string, AcDbObjectId> m_byName;  // upper-case names of live records
  std::map<std::u16string, int> m_nextAnonymous;     // "*U" and the like: the next number to try
};

class AcDbSymbolTableIterator {
 public:
  AcDbSymbolTableIterator(const AcDbSymbolTable* table, bool atBeginning, bool skipDeleted);
  void start(bool atBeginning = true, bool skipDeleted = true);
  bool done() const;
  void step(bool forward = true, bool skipDeleted = true);
  Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
  template <class R>
  Acad::ErrorStatus getRecord(R*& rec, AcDb::OpenMode mode, bool openErased = false) const {
    AcDbObjectId id;
    Acad::ErrorStatus es = getRecordId(id);
    if (es != Acad::eOk) return es;
    return acdbOpenObject(rec, id, mode, openErased);
  }

 private:
  void skip(bool forward, bool skipDeleted);
  std::vector<AcDbObjectId> m_ids;
  long m_pos = 0;
};

#define QD_DECLARE_TABLE(TABLE, RECORD, ITERATOR)                                     \
  class RECORD;                                                                       \
  typedef AcDbSymbolTableIterator ITERATOR;                                           \
  class TABLE : public AcDbSymbolTable {                                              \
   public:                                                                            \
    ACRX_DECLARE_MEMBERS(TABLE);                                                      \
    AcRxClass* recordClass() const override;                                          \
    Acad::ErrorStatus getAt(const ACHAR* name, AcDbObjectId& id, bool erased = false) const { \
      return AcDbSymbolTable::getAt(name, id, erased);                                \
    }                                                                                 \
    Acad::ErrorStatus getAt(const ACHAR* name, RECORD*& rec, AcDb::OpenMode mode,     \
                            bool erased = false) const {                              \
      return AcDbSymbolTable::getAt(name, rec, mode, erased);                         \
    }                                                                                 \
    Acad::ErrorStatus newIterator(ITERATOR*& it, bool atBeginning = true,             \
                                  bool skipDeleted = true) const {                    \
      return AcDbSymbolTable::newIterator(it, atBeginning, skipDeleted);              \
    }                                                                                 \
  }

QD_DECLARE_TABLE(AcDbBlockTable, AcDbBlockTableRecord, AcDbBlockTableIterator);
QD_DECLARE_TABLE(AcDbLayerTable, AcDbLayerTableRecord, AcDbLayerTableIterator);
QD_DECLARE_TABLE(AcDbLinetypeTable, AcDbLinetypeTableRecord, AcDbLinetypeTableIterator);
QD_DECLARE_TABLE(AcDbTextStyleTable, AcDbTextStyleTableRecord, AcDbTextStyleTableIterator);
QD_DECLARE_TABLE(AcDbDimStyleTable, AcDbDimStyleTableRecord, AcDbDimStyleTableIterator);
QD_DECLARE_TABLE(AcDbRegAppTable, AcDbRegAppTableRecord, AcDbRegAppTableIterator);
QD_DECLARE_TABLE(AcDbUCSTable, AcDbUCSTableRecord, AcDbUCSTableIterator);
QD_DECLARE_TABLE(AcDbViewportTable, AcDbViewportTableRecord, AcDbViewportTableIterator);
QD_DECLARE_TABLE(AcDbViewTable, AcDbViewTableRecord, AcDbViewTableIterator);

class AcDbBlockTableRecord;

// Walks the entities of a block as they are, also those appended while it walks.
class AcDbBlockTableRecordIterator {
 public:
  AcDbBlockTableRecordIterator(const AcDbBlockTableRecord* block, bool skipDeleted);
  void start(bool atBeginning = true, bool skipDeleted = true);
  bool done() const;
  void step(bool forward = true, bool skipDeleted = true);
  Acad::ErrorStatus getEntityId(AcDbObjectId& id) const;
  Acad::ErrorStatus getEntity(AcDbEntity*& ent, AcDb::OpenMode mode, bool openErased = false) const;
  // Positions the iterator at the entity; eInvalidInput when it is not in the block,
  // eWasErased when it is erased.
  Acad::ErrorStatus seek(AcDbObjectId id);

 private:
  void skip(bool forward, bool skipDeleted);
  const std::vector<AcDbObjectId>& ids() const;
  const AcDbBlockTableRecord* m_block;
  long m_pos = 0;
};

class AcDbBlockTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbBlockTableRecord);
  AcDbBlockTableRecord();
  Acad::ErrorStatus appendAcDbEntity(AcDbEntity* ent);
  Acad::ErrorStatus appendAcDbEntity(AcDbObjectId& id, AcDbEntity* ent);
  Acad::ErrorStatus newIterator(AcDbBlockTableRecordIterator*& it, bool atBeginning = true,
                                bool skipDeleted = true) const;
  // The entities of the block in order, erased ones included.
  const std::vector<AcDbObjectId>& entityIds() const { return m_entities; }
  AcGePoint3d origin() const { return m_origin; }
  Acad::ErrorStatus setOrigin(const AcGePoint3d& p);
  bool isAnonymous() const { return m_flags & 1; }
  bool hasAttributeDefinitions() const;
  bool isLayout() const;
  const ACHAR* comments() const { return m_description.c_str(); }
  Acad::ErrorStatus setComments(const ACHAR* text);
  const ACHAR* pathName() const { return m_xrefPath.c_str(); }
  // Handles of the BLOCK and ENDBLK entities that frame the block in DXF.
  AcDbHandle beginHandle() const { return m_beginHandle; }
  AcDbHandle endHandle() const { return m_endHandle; }
  const std::u16string& beginLayer() const { return m_beginLayer; }
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 private:
  friend class AcDbBlockAccess;
  std::vector<AcDbObjectId> m_entities;
  // Where each entity stands in m_entities, for walking from one entity to the next.
  mutable std::unordered_map<const void*, size_t> m_position;
  AcGePoint3d m_origin;
  std::u16string m_description, m_xrefPath, m_beginLayer = u"0";
  AcDbHandle m_beginHandle, m_endHandle;
  AcDbObjectId m_layout;
};

class AcDbLayerTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLayerTableRecord);
  bool isFrozen() const { return m_flags & 1; }
  Acad::ErrorStatus setIsFrozen(bool v);
  bool isOff() const { return m_off; }
  void setIsOff(bool v);
  bool isLocked() const { return m_flags & 4; }
  void setIsLocked(bool v);
  // Frozen in the viewports made from now on.
  bool VPDFLT() const { return m_flags & 2; }
  void setVPDFLT(bool v);
  int16_t colorIndex() const { return m_color; }
  void setColorIndex(int16_t c);
  const ACHAR* linetypeName() const { return m_linetype.c_str(); }
  AcDbObjectId linetypeObjectId() const;
  void setLinetypeName(const ACHAR* name);
  void setLinetypeObjectId(AcDbObjectId id);
  bool isPlottable() const { return m_plot; }
  Acad::ErrorStatus setIsPlottable(bool v);
  int16_t lineWeight() const { return m_lineWeight; }
  Acad::ErrorStatus setLineWeight(int16_t lw);
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  int16_t m_color = 7;
  bool m_off = false, m_plot = true;
  int16_t m_lineWeight = -3;  // default
  std::u16string m_linetype = u"Continuous";
};

class AcDbLinetypeTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLinetypeTableRecord);
  const ACHAR* commentsConst() const { return m_comments.c_str(); }
  Acad::ErrorStatus setComments(const ACHAR* text);
  double patternLength() const;
  int numDashes() const { return static_cast<int>(m_dashes.size()); }
  void setNumDashes(int n);
  double dashLengthAt(int i) const { return m_dashes.at(i); }
  void setDashLengthAt(int i, double len);
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  std::u16string m_comments;
  std::vector<double> m_dashes;
  // Each dash's complex element (74 flags, 75 shape, 340 style, 46 scale, 50 rotation,
  // 44 and 45 offsets, 9 text) as it came, filed in binary; empty for a plain dash.
  std::vector<std::string> m_dashElements;
};

class AcDbTextStyleTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbTextStyleTableRecord);
  Acad::ErrorStatus fileName(const ACHAR*& name) const;
  Acad::ErrorStatus setFileName(const ACHAR* name);
  Acad::ErrorStatus bigFontFileName(const ACHAR*& name) const;
  Acad::ErrorStatus setBigFontFileName(const ACHAR* name);
  double textSize() const { return m_size; }
  Acad::ErrorStatus setTextSize(double h);
  double xScale() const { return m_xScale; }
  Acad::ErrorStatus setXScale(double s);
  double obliquingAngle() const { return m_oblique; }
  Acad::ErrorStatus setObliquingAngle(double a);
  double priorSize() const { return m_priorSize; }
  bool isShapeFile() const { return m_flags & 1; }
  bool isVertical() const { return m_flags & 4; }
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  std::u16string m_file = u"txt", m_bigFont;
  double m_size = 0, m_xScale = 1, m_oblique = 0, m_priorSize = 2.5;
  int16_t m_generation = 0;
};

class AcDbDimStyleTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbDimStyleTableRecord);
  // The text style the dimensions use (DIMTXSTY).
  AcDbObjectId dimtxsty() const;
  const ACHAR* dimtxstyName() const { return m_textStyle.c_str(); }
  Acad::ErrorStatus setDimtxsty(AcDbObjectId style);
  void setDimtxstyName(const ACHAR* name) { m_textStyle = name; }
  double dimtxt() const { return m_dimtxt; }
  void setDimtxt(double v) { m_dimtxt = v; }
  double dimasz() const { return m_dimasz; }
  void setDimasz(double v) { m_dimasz = v; }
  double dimscale() const { return m_dimscale; }
  void setDimscale(double v) { m_dimscale = v; }
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  std::u16string m_textStyle = u"Standard";
  double m_dimtxt = 2.5, m_dimasz = 2.5, m_dimscale = 1;
};

class AcDbRegAppTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbRegAppTableRecord);
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;
};

class AcDbUCSTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbUCSTableRecord);
  AcGePoint3d origin() const { return m_origin; }
  void setOrigin(const AcGePoint3d& p);
  AcGeVector3d xAxis() const { return m_x; }
  void setXAxis(const AcGeVector3d& v);
  AcGeVector3d yAxis() const { return m_y; }
  void setYAxis(const AcGeVector3d& v);
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  AcGePoint3d m_origin;
  AcGeVector3d m_x = AcGeVector3d::kXAxis, m_y = AcGeVector3d::kYAxis;
};

class AcDbViewportTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbViewportTableRecord);
  AcGePoint2d centerPoint() const { return m_center; }
  void setCenterPoint(const AcGePoint2d& p);
  double height() const { return m_height; }
  void setHeight(double h);
  double width() const { return m_height * m_aspect; }
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  AcGePoint2d m_center{210, 148.5};
  double m_height = 297, m_aspect = 1.5;
};

class AcDbViewTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbViewTableRecord);
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  AcGePoint2d m_center;
  double m_height = 1, m_width = 1;
};
