// The drawing database: object ids and handles, objects, entities, filers and the
// database itself.
#pragma once
#include <cstdint>
#include <string>

#include "host/acadstrc.h"
#include "host/acarray.h"
#include "host/acge.h"
#include "host/kept_bytes.h"
#include "host/object_heap.h"
#include "host/rxobject.h"
#include "platform/shared_name.h"

class AcDbDatabase;
class AcDbObject;
class AcDbEntity;
class AcDbStub;
class AcDbDwgFiler;
class AcDbDxfFiler;
class AcGiWorldDraw;
class AcGiViewportDraw;
class AcDbBlockTable;
class AcDbLayerTable;
class AcDbLinetypeTable;
class AcDbTextStyleTable;
class AcDbDimStyleTable;
class AcDbRegAppTable;
class AcDbUCSTable;
class AcDbViewportTable;
class AcDbViewTable;
class AcDbSymbolTable;
class AcDbDictionary;

namespace AcDb {
enum OpenMode { kForRead = 0, kForWrite = 1, kForNotify = 2 };
enum FilerType {
  kFileFiler = 0,
  kCopyFiler = 1,
  kUndoFiler = 2,
  kBagFiler = 3,
  kIdXlateFiler = 4,
  kPageFiler = 5,
  kDeepCloneFiler = 6,
  kIdFiler = 7,
  kPurgeFiler = 8,
  kWblockCloneFiler = 9
};
enum OsnapMode {
  kOsModeEnd = 1,
  kOsModeMid = 2,
  kOsModeCen = 3,
  kOsModeNode = 4,
  kOsModeQuad = 5,
  kOsModeIns = 7,
  kOsModePerp = 8,
  kOsModeTan = 9,
  kOsModeNear = 10
};
enum DwgVersion { kDHL_CURRENT = 27, kDHL_1800 = 23, kDHL_1015 = 23, kDHL_1027 = 27 };
enum MaintenanceReleaseVersion { kMReleaseCurrent = 1 };
enum TextHorzMode { kTextLeft = 0, kTextCenter = 1, kTextRight = 2, kTextAlign = 3, kTextMid = 4, kTextFit = 5 };
enum TextVertMode { kTextBase = 0, kTextBottom = 1, kTextVertMid = 2, kTextTop = 3 };
enum DxfCode {
  kDxfInvalid = -9999,
  kDxfXDictionary = -6,
  kDxfPReactors = -5,
  kDxfOperator = -4,
  kDxfXDataStart = -3,
  kDxfHeaderId = -2,
  kDxfEnd = -1,
  kDxfStart = 0,
  kDxfText = 1,
  kDxfShapeName = 2,
  kDxfBlockName = 2,
  kDxfAttributeTag = 2,
  kDxfSymbolTableName = 2,
  kDxfXTextString = 3,
  kDxfAttributePrompt = 3,
  kDxfCLShapeName = 4,
  kDxfHandle = 5,
  kDxfLinetypeName = 6,
  kDxfTextStyleName = 7,
  kDxfLayerName = 8,
  kDxfXCoord = 10,
  kDxfYCoord = 20,
  kDxfZCoord = 30,
  kDxfElevation = 38,
  kDxfThickness = 39,
  kDxfReal = 40,
  kDxfTxtSize = 40,
  kDxfTxtStyleXScale = 41,
  kDxfViewWidth = 41,
  kDxfLinetypeScale = 48,
  kDxfDashLength = 49,
  kDxfAngle = 50,
  kDxfViewBrightness = 51,
  kDxfVisibility = 60,
  kDxfColor = 62,
  kDxfHasSubentities = 66,
  kDxfInt16 = 70,
  kDxfInt32 = 90,
  kDxfSubclass = 100,
  kDxfEmbeddedObjectStart = 101,
  kDxfControlString = 102,
  kDxfDimVarHandle = 105,
  kDxfUCSOrg = 110,
  kDxfNormalX = 210,
  kDxfInt8 = 280,
  kDxfBool = 290,
  kDxfXTextString2 = 300,
  kDxfBinaryChunk = 310,
  kDxfArbHandle = 320,
  kDxfSoftPointerId = 330,
  kDxfHardPointerId = 340,
  kDxfSoftOwnershipId = 350,
  kDxfHardOwnershipId = 360,
  kDxfLineWeight = 370,
  kDxfPlotStyleNameId = 390,
  kDxfComment = 999,
  kDxfXdAsciiString = 1000,
  kDxfRegAppName = 1001,
  kDxfXdControlString = 1002,
  kDxfXdLayerName = 1003,
  kDxfXdBinaryChunk = 1004,
  kDxfXdHandle = 1005,
  kDxfXdXCoord = 1010,
  kDxfXdWorldXCoord = 1011,
  kDxfXdWorldXDisp = 1012,
  kDxfXdWorldXDir = 1013,
  kDxfXdReal = 1040,
  kDxfXdDist = 1041,
  kDxfXdScale = 1042,
  kDxfXdInteger16 = 1070,
  kDxfXdInteger32 = 1071
};
}  // namespace AcDb

// A persistent handle: a 64-bit number written in hexadecimal.
class AcDbHandle {
 public:
  AcDbHandle() = default;
  AcDbHandle(uint64_t v) : m_value(v) {}  // NOLINT: handles convert from numbers freely
  explicit AcDbHandle(const ACHAR* hex);
  bool isNull() const { return m_value == 0; }
  uint64_t value() const { return m_value; }
  // Writes the hexadecimal text (upper case, no leading zeros) into `buffer`, which
  // must hold at least 17 characters.
  bool getIntoAsciiBuffer(ACHAR* buffer, size_t bufferSize = 17) const;
  AcDbHandle& operator++() {
    ++m_value;
    return *this;
  }
  bool operator==(const AcDbHandle& o) const { return m_value == o.m_value; }
  bool operator!=(const AcDbHandle& o) const { return m_value != o.m_value; }
  bool operator<(const AcDbHandle& o) const { return m_value < o.m_value; }

 private:
  uint64_t m_value = 0;
};

// Identifies an object of an open database for as long as the database is open.
class AcDbObjectId {
 public:
  AcDbObjectId() = default;
  explicit AcDbObjectId(AcDbStub* stub) : m_stub(stub) {}
  static const AcDbObjectId kNull;
  bool isNull() const { return m_stub == nullptr; }
  void setNull() { m_stub = nullptr; }
  bool isValid() const;
  bool isErased() const;
  bool isEffectivelyErased() const { return isErased(); }
  AcDbHandle handle() const;
  AcDbDatabase* database() const;
  AcRxClass* objectClass() const;
  int64_t asOldId() const { return reinterpret_cast<int64_t>(m_stub); }
  AcDbObjectId& setFromOldId(int64_t oldId) {
    m_stub = reinterpret_cast<AcDbStub*>(oldId);
    return *this;
  }
  AcDbStub* stub() const { return m_stub; }
  bool operator==(const AcDbObjectId& o) const { return m_stub == o.m_stub; }
  bool operator!=(const AcDbObjectId& o) const { return m_stub != o.m_stub; }
  bool operator<(const AcDbObjectId& o) const;

 private:
  AcDbStub* m_stub = nullptr;
};
inline const AcDbObjectId AcDbObjectId::kNull{};
typedef AcDbObjectId AcDbHardPointerId;
typedef AcDbObjectId AcDbSoftPointerId;
typedef AcDbObjectId AcDbHardOwnershipId;
typedef AcDbObjectId AcDbSoftOwnershipId;

typedef AcArray<AcDbObjectId> AcDbObjectIdArray;
typedef AcArray<AcGePoint3d> AcGePoint3dArray;
typedef AcArray<int> AcDbIntArray;
typedef AcArray<int> AcGeIntArray;
typedef AcArray<void*> AcDbVoidPtrArray;
typedef AcArray<double> AcGeDoubleArray;

class AcDbExtents {
 public:
  AcDbExtents() = default;
  AcDbExtents(const AcGePoint3d& mn, const AcGePoint3d& mx) : m_min(mn), m_max(mx), m_valid(true) {}
  const AcGePoint3d& minPoint() const { return m_min; }
  const AcGePoint3d& maxPoint() const { return m_max; }
  bool isValid() const { return m_valid; }
  void addPoint(const AcGePoint3d& p) {
    if (!m_valid) {
      m_min = m_max = p;
      m_valid = true;
      return;
    }
    for (int i = 0; i < 3; ++i) {
      if (p[i] < m_min[i]) m_min[i] = p[i];
      if (p[i] > m_max[i]) m_max[i] = p[i];
    }
  }
  void addExt(const AcDbExtents& e) {
    if (!e.m_valid) return;
    addPoint(e.m_min);
    addPoint(e.m_max);
  }

 private:
  AcGePoint3d m_min, m_max;
  bool m_valid = false;
};

// Binary filing of an object's data (save, undo, copy).
class AcDbDwgFiler : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbDwgFiler);
  virtual Acad::ErrorStatus filerStatus() const = 0;
  virtual AcDb::FilerType filerType() const = 0;
  virtual void setFilerStatus(Acad::ErrorStatus es) = 0;
  virtual void resetFilerStatus() = 0;
  virtual AcDbDatabase* database() const { return nullptr; }

  virtual Acad::ErrorStatus readHardOwnershipId(AcDbHardOwnershipId* id) = 0;
  virtual Acad::ErrorStatus writeHardOwnershipId(const AcDbHardOwnershipId& id) = 0;
  virtual Acad::ErrorStatus readSoftOwnershipId(AcDbSoftOwnershipId* id) = 0;
  virtual Acad::ErrorStatus writeSoftOwnershipId(const AcDbSoftOwnershipId& id) = 0;
  virtual Acad::ErrorStatus readHardPointerId(AcDbHardPointerId* id) = 0;
  virtual Acad::ErrorStatus writeHardPointerId(const AcDbHardPointerId& id) = 0;
  virtual Acad::ErrorStatus readSoftPointerId(AcDbSoftPointerId* id) = 0;
  virtual Acad::ErrorStatus writeSoftPointerId(const AcDbSoftPointerId& id) = 0;

  // The string read is allocated with new[]; the caller deletes it with delete[].
  virtual Acad::ErrorStatus readString(ACHAR** value) = 0;
  virtual Acad::ErrorStatus writeString(const ACHAR* value) = 0;
  virtual Acad::ErrorStatus readBChunk(ads_binary* value) = 0;
  virtual Acad::ErrorStatus writeBChunk(const ads_binary& value) = 0;
  virtual Acad::ErrorStatus readBool(bool* value) = 0;
  virtual Acad::ErrorStatus writeBool(bool value) = 0;
  virtual Acad::ErrorStatus readInt8(int8_t* value) = 0;
  virtual Acad::ErrorStatus writeInt8(int8_t value) = 0;
  virtual Acad::ErrorStatus readInt16(int16_t* value) = 0;
  virtual Acad::ErrorStatus writeInt16(int16_t value) = 0;
  virtual Acad::ErrorStatus readInt32(int32_t* value) = 0;
  virtual Acad::ErrorStatus writeInt32(int32_t value) = 0;
  virtual Acad::ErrorStatus readUInt8(uint8_t* value) = 0;
  virtual Acad::ErrorStatus writeUInt8(uint8_t value) = 0;
  virtual Acad::ErrorStatus readUInt16(uint16_t* value) = 0;
  virtual Acad::ErrorStatus writeUInt16(uint16_t value) = 0;
  virtual Acad::ErrorStatus readUInt32(uint32_t* value) = 0;
  virtual Acad::ErrorStatus writeUInt32(uint32_t value) = 0;
  virtual Acad::ErrorStatus readUInt64(uint64_t* value) = 0;
  virtual Acad::ErrorStatus writeUInt64(uint64_t value) = 0;
  virtual Acad::ErrorStatus readDouble(double* value) = 0;
  virtual Acad::ErrorStatus writeDouble(double value) = 0;
  virtual Acad::ErrorStatus readPoint2d(AcGePoint2d* value) = 0;
  virtual Acad::ErrorStatus writePoint2d(const AcGePoint2d& value) = 0;
  virtual Acad::ErrorStatus readPoint3d(AcGePoint3d* value) = 0;
  virtual Acad::ErrorStatus writePoint3d(const AcGePoint3d& value) = 0;
  virtual Acad::ErrorStatus readVector3d(AcGeVector3d* value) = 0;
  virtual Acad::ErrorStatus writeVector3d(const AcGeVector3d& value) = 0;
  virtual Acad::ErrorStatus readBytes(void* buffer, uint32_t count) = 0;
  virtual Acad::ErrorStatus writeBytes(const void* buffer, uint32_t count) = 0;
};

// DXF filing of an object's data: group codes and values (files, entity lists).
class AcDbDxfFiler : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbDxfFiler);
  virtual Acad::ErrorStatus filerStatus() const = 0;
  virtual AcDb::FilerType filerType() const = 0;
  virtual void setFilerStatus(Acad::ErrorStatus es) = 0;
  virtual void resetFilerStatus() = 0;
  virtual AcDbDatabase* database() const { return nullptr; }
  virtual bool includesDefaultValues() const { return false; }
  virtual int precision() const { return 16; }

  // Reading: the next group; strings stay owned by the filer until the next read.
  virtual Acad::ErrorStatus readItem(resbuf* pItem) = 0;
  virtual Acad::ErrorStatus readResBuf(resbuf* pItem) { return readItem(pItem); }
  virtual void pushBackItem() = 0;
  virtual bool atEOF() = 0;
  virtual bool atSubclassData(const ACHAR* subClassName) = 0;
  virtual bool atEmbeddedObjectStart() { return false; }

  // Writing.
  virtual Acad::ErrorStatus writeItem(const resbuf& pItem) = 0;
  virtual Acad::ErrorStatus writeResBuf(const resbuf& pItem) { return writeItem(pItem); }
  Acad::ErrorStatus writeItem(int code, const ACHAR* value) { return writeString(code, value); }
  virtual Acad::ErrorStatus writeString(int code, const ACHAR* value) = 0;
  virtual Acad::ErrorStatus writeBool(int code, bool value) = 0;
  virtual Acad::ErrorStatus writeInt8(int code, int8_t value) = 0;
  virtual Acad::ErrorStatus writeInt16(int code, int16_t value) = 0;
  virtual Acad::ErrorStatus writeInt32(int code, int32_t value) = 0;
  virtual Acad::ErrorStatus writeDouble(int code, double value, int precision = 16) = 0;
  virtual Acad::ErrorStatus writePoint2d(int code, const AcGePoint2d& value, int precision = 16) = 0;
  virtual Acad::ErrorStatus writePoint3d(int code, const AcGePoint3d& value, int precision = 16) = 0;
  virtual Acad::ErrorStatus writeVector3d(int code, const AcGeVector3d& value, int precision = 16) = 0;
  virtual Acad::ErrorStatus writeObjectId(int code, const AcDbObjectId& id) = 0;
  virtual Acad::ErrorStatus writeBinaryChunk(int code, const ads_binary& value) = 0;
};

// Shared filing for built-in classes: binary filing carries the DXF groups, so every
// built-in keeps one description of its data.
#define QD_DWG_FILING_VIA_DXF                                            \
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;           \
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override

class AcDbObject : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbObject);
  // Objects live in the object heap (host/object_heap.h); deleted through any base,
  // they give back the size of their own class.
  static void* operator new(std::size_t size) { return qd::allocateObject(size); }
  static void operator delete(void* p, std::size_t size) noexcept { qd::freeObject(p, size); }
  AcDbObject();
  ~AcDbObject() override;
  AcDbObject(const AcDbObject&) = delete;
  AcDbObject& operator=(const AcDbObject&) = delete;

  AcDbObjectId objectId() const;
  AcDbObjectId ownerId() const { return m_ownerId; }
  virtual Acad::ErrorStatus setOwnerId(AcDbObjectId ownerId);
  AcDbHandle handle() const { return objectId().handle(); }
  void getAcDbHandle(AcDbHandle& h) const { h = handle(); }
  AcDbDatabase* database() const;

  Acad::ErrorStatus close();
  Acad::ErrorStatus cancel() { return close(); }
  Acad::ErrorStatus erase(bool erasing = true);
  bool isErased() const { return m_erased; }
  bool isReadEnabled() const;
  bool isWriteEnabled() const { return m_openForWrite; }
  bool isNotifyEnabled() const { return m_openForNotify; }
  bool isNewObject() const { return m_stub == nullptr; }
  Acad::ErrorStatus upgradeOpen();
  Acad::ErrorStatus downgradeOpen();
  // Write access is checked by the caller's contract; these never throw.
  void assertReadEnabled() const {}
  void assertWriteEnabled(bool autoUndo = true, bool recordModified = true) {}
  void assertNotifyEnabled() const {}
  void recordGraphicsModified(bool setModified = true) {}

  // Extended data: the groups of one registered application, or of all when null.
  virtual resbuf* xData(const ACHAR* regappName = nullptr) const;
  // Replaces the data of every application the list names; an application followed
  // by no groups loses its data.
  virtual Acad::ErrorStatus setXData(const resbuf* xdata);

  AcDbObjectId extensionDictionary() const { return m_extDict; }
  Acad::ErrorStatus createExtensionDictionary();
  void addPersistentReactor(AcDbObjectId id);
  Acad::ErrorStatus removePersistentReactor(AcDbObjectId id);
  const AcDbObjectIdArray& persistentReactors() const { return m_reactors; }

  virtual Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer);
  virtual Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const;
  virtual Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer);
  virtual Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const;
  virtual Acad::ErrorStatus subErase(bool erasing) { return Acad::eOk; }
  // A new object of the same class with the same data (through the copy filer), not in
  // any database.
  AcRxObject* clone() const override;
  virtual Acad::ErrorStatus subClose() { return Acad::eOk; }

 private:
  friend class AcDbObjectAccess;  // the database's bookkeeping
  AcDbStub* m_stub = nullptr;
  AcDbObjectId m_ownerId;
  AcDbObjectId m_extDict;
  AcDbObjectIdArray m_reactors;
  // The extended data as a list, or, as a drawing's file brings it, packed (a few bytes
  // a group) until first asked for: a list takes some five times the memory.
  resbuf*& xdataList() const;
  mutable resbuf* m_xdata = nullptr;
  mutable qd::KeptBytes m_packedXData;
  int m_readers = 0;
  bool m_openForWrite = false;
  bool m_openForNotify = false;
  bool m_erased = false;
};

class AcDbEntity : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbEntity);
  AcDbEntity();

  AcDbObjectId blockId() const { return ownerId(); }
  // Colour index: 0 BYBLOCK, 256 BYLAYER, 1..255 the palette.
  int16_t colorIndex() const { return m_color; }
  virtual Acad::ErrorStatus setColorIndex(int16_t color, bool doSubents = true);
  const ACHAR* layer() const;
  AcDbObjectId layerId() const;
  virtual Acad::ErrorStatus setLayer(const ACHAR* newVal, bool doSubents = true, bool allowHiddenLayer = false);
  Acad::ErrorStatus setLayer(AcDbObjectId newVal, bool doSubents = true);
  const ACHAR* linetype() const;
  AcDbObjectId linetypeId() const;
  virtual Acad::ErrorStatus setLinetype(const ACHAR* newVal, bool doSubents = true);
  Acad::ErrorStatus setLinetype(AcDbObjectId newVal, bool doSubents = true);
  double linetypeScale() const { return m_ltScale; }
  virtual Acad::ErrorStatus setLinetypeScale(double s, bool doSubents = true);
  bool visibility() const { return m_visible; }
  virtual Acad::ErrorStatus setVisibility(bool visible, bool doSubents = true);
  int16_t lineWeight() const { return m_lineWeight; }
  virtual Acad::ErrorStatus setLineWeight(int16_t lw, bool doSubents = true);
  // Layer, colour and linetype from the database's current settings.
  void setDatabaseDefaults(AcDbDatabase* db = nullptr);
  void setPropertiesFrom(const AcDbEntity* other, bool doSubents = true);

  virtual bool worldDraw(AcGiWorldDraw* mode);
  virtual void viewportDraw(AcGiViewportDraw* mode) {}
  virtual Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const;
  virtual Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform);
  virtual Acad::ErrorStatus explode(AcDbVoidPtrArray& entitySet) const;
  virtual void list() const;
  virtual Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                          AcDbIntArray& geomIds) const;
  virtual Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset);
  virtual Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const;
  virtual Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset);
  virtual Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode osnapMode, int gsSelectionMark,
                                           const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                           const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                           AcDbIntArray& geomIds) const;

  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 protected:
  // Groups of the entity's own subclass that its class does not model (a subclass that
  // keeps them files them back after its own), filed in binary.
  qd::KeptBytes m_ownKept;

 private:
  friend class AcDbEntityAccess;  // the host's drawing of kept proxy graphics, the reader's names
  friend class AcDbDirectFiling;  // the reader's quick way for the commonest entities
  // Common groups not modelled (true colour, transparency, plot style, material ...).
  qd::KeptBytes m_commonKept;
  qd::text::SharedName m_layer;     // "0" when made
  qd::text::SharedName m_linetype;  // "BYLAYER" when made
  int16_t m_color = 256;
  int16_t m_lineWeight = -1;  // BYLAYER
  double m_ltScale = 1.0;
  bool m_visible = true;
};

// Opens an object of the working database. Status codes: eNullObjectId,
// eWasErased (unless openErased), eWasOpenForWrite, eWasOpenForRead (a write
// request while readers hold it), eOnLockedLayer (an entity for write), eOk.
Acad::ErrorStatus acdbOpenObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode,
                                 bool openErased = false);
Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& ent, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErased = false);
template <class T>
Acad::ErrorStatus acdbOpenObject(T*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false) {
  AcDbObject* p = nullptr;
  Acad::ErrorStatus es = acdbOpenObject(p, id, mode, openErased);
  if (es != Acad::eOk) {
    obj = nullptr;
    return es;
  }
  obj = T::cast(p);
  if (!obj) {
    p->close();
    return Acad::eNotThatKindOfClass;
  }
  return Acad::eOk;
}
