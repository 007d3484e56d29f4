// The drawing database and the host's application services.
#pragma once
#include "host/dbdict.h"
#include "host/dbsymtb.h"

class AcDbDatabase : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbDatabase);
  // With `buildDefaultDrawing` the database holds the records every drawing has
  // (spaces, layer 0, STANDARD style, linetypes, the root dictionaries).
  explicit AcDbDatabase(bool buildDefaultDrawing = true, bool noDocument = false);
  ~AcDbDatabase() override;
  AcDbDatabase(const AcDbDatabase&) = delete;
  AcDbDatabase& operator=(const AcDbDatabase&) = delete;

  Acad::ErrorStatus getBlockTable(AcDbBlockTable*& t, AcDb::OpenMode mode = AcDb::kForRead);
  Acad::ErrorStatus getLayerTable(AcDbLayerTable*& t, AcDb::OpenMode mode = AcDb::kForRead);
  Acad::ErrorStatus getLinetypeTable(AcDbLinetypeTable*& t, AcDb::OpenMode mode = AcDb::kForRead);
  Acad::ErrorStatus getTextStyleTable(AcDbTextStyleTable*& t, AcDb::OpenMode mode = AcDb::kForRead);
  Acad::ErrorStatus getDimStyleTable(AcDbDimStyleTable*& t, AcDb::OpenMode mode = AcDb::kForRead);
  Acad::ErrorStatus getRegAppTable(AcDbRegAppTable*& t, AcDb::OpenMode mode = AcDb::kForRead);
  Acad::ErrorStatus getUCSTable(AcDbUCSTable*& t, AcDb::OpenMode mode = AcDb::kForRead);
  Acad::ErrorStatus getViewportTable(AcDbViewportTable*& t, AcDb::OpenMode mode = AcDb::kForRead);
  Acad::ErrorStatus getViewTable(AcDbViewTable*& t, AcDb::OpenMode mode = AcDb::kForRead);
  Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& t, AcDb::OpenMode mode) { return getBlockTable(t, mode); }
  Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& t, AcDb::OpenMode mode) { return getLayerTable(t, mode); }
  Acad::ErrorStatus getSymbolTable(AcDbLinetypeTable*& t, AcDb::OpenMode mode) { return getLinetypeTable(t, mode); }
  Acad::ErrorStatus getSymbolTable(AcDbTextStyleTable*& t, AcDb::OpenMode mode) { return getTextStyleTable(t, mode); }
  Acad::ErrorStatus getSymbolTable(AcDbDimStyleTable*& t, AcDb::OpenMode mode) { return getDimStyleTable(t, mode); }
  Acad::ErrorStatus getSymbolTable(AcDbRegAppTable*& t, AcDb::OpenMode mode) { return getRegAppTable(t, mode); }
  Acad::ErrorStatus getSymbolTable(AcDbUCSTable*& t, AcDb::OpenMode mode) { return getUCSTable(t, mode); }
  Acad::ErrorStatus getNamedObjectsDictionary(AcDbDictionary*& d, AcDb::OpenMode mode = AcDb::kForRead);
  Acad::ErrorStatus getGroupDictionary(AcDbDictionary*& d, AcDb::OpenMode mode = AcDb::kForRead);

  AcDbObjectId blockTableId() const;
  AcDbObjectId layerTableId() const;
  AcDbObjectId linetypeTableId() const;
  AcDbObjectId textStyleTableId() const;
  AcDbObjectId dimStyleTableId() const;
  AcDbObjectId regAppTableId() const;
  AcDbObjectId UCSTableId() const;
  AcDbObjectId viewportTableId() const;
  AcDbObjectId viewTableId() const;
  AcDbObjectId namedObjectsDictionaryId() const;
  AcDbObjectId groupDictionaryId() const;
  AcDbObjectId modelSpaceId() const;
  AcDbObjectId paperSpaceId() const;
  // The block new entities go to: model space when TILEMODE is 1 or CVPORT is not 1.
  AcDbObjectId currentSpaceId() const;

  AcDbObjectId clayer() const;
  Acad::ErrorStatus setClayer(AcDbObjectId layer);
  AcDbObjectId textstyle() const;
  Acad::ErrorStatus setTextstyle(AcDbObjectId style);
  AcDbObjectId celtype() const;
  Acad::ErrorStatus setCeltype(AcDbObjectId linetype);
  AcDbObjectId dimstyle() const;
  bool tilemode() const;

  // The id of a handle; with `createIfNotFound` an id is made for a handle not yet
  // in the database (forward references while reading).
  Acad::ErrorStatus getAcDbObjectId(AcDbObjectId& id, bool createIfNotFound, const AcDbHandle& h,
                                    uint32_t xRefId = 0);
  // Adds an object that no container owns yet; the caller sets its owner.
  Acad::ErrorStatus addAcDbObject(AcDbObjectId& id, AcDbObject* obj);
  AcDbHandle handseed() const;

  // Removes from `ids` every record still referenced by the drawing; records the
  // host never purges are removed too.
  Acad::ErrorStatus purge(AcDbObjectIdArray& ids);

  Acad::ErrorStatus readDxfFile(const ACHAR* fileName);
  Acad::ErrorStatus dxfOut(const ACHAR* fileName, int precision = 16);
  const ACHAR* lastError() const;

  struct Impl;
  Impl* impl() const { return m_impl; }

 private:
  Impl* m_impl;
};

class AcDbHostApplicationServices {
 public:
  AcDbDatabase* workingDatabase() const { return m_working; }
  void setWorkingDatabase(AcDbDatabase* db) { m_working = db; }

 private:
  AcDbDatabase* m_working = nullptr;
};
AcDbHostApplicationServices* acdbHostApplicationServices();
inline AcDbDatabase* acdbCurDwg() { return acdbHostApplicationServices()->workingDatabase(); }
