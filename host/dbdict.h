// Dictionaries, extended records and groups.
#pragma once
#include <map>
#include <vector>

#include "host/dbents.h"

class AcDbDictionaryIterator {
 public:
  explicit AcDbDictionaryIterator(std::vector<std::pair<std::u16string, AcDbObjectId>> entries);
  const ACHAR* name() const;
  AcDbObjectId objectId() const;
  template <class T>
  Acad::ErrorStatus getObject(T*& obj, AcDb::OpenMode mode) const {
    return acdbOpenObject(obj, objectId(), mode);
  }
  bool done() const { return m_pos >= m_entries.size(); }
  bool next();

 private:
  std::vector<std::pair<std::u16string, AcDbObjectId>> m_entries;
  size_t m_pos = 0;
};

class AcDbDictionary : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbDictionary);
  Acad::ErrorStatus getAt(const ACHAR* key, AcDbObjectId& id) const;
  template <class T>
  Acad::ErrorStatus getAt(const ACHAR* key, T*& obj, AcDb::OpenMode mode) const {
    AcDbObjectId id;
    Acad::ErrorStatus es = getAt(key, id);
    if (es != Acad::eOk) return es;
    return acdbOpenObject(obj, id, mode);
  }
  bool nameAt(AcDbObjectId id, ACHAR*& name) const;  // a copy made with new[]
  bool has(const ACHAR* key) const;
  bool has(AcDbObjectId id) const;
  uint32_t numEntries() const;
  // Adds or replaces an entry; a replaced object is erased. The dictionary owns
  // the object from now on. Keys are case-insensitive; "*" makes an anonymous key.
  Acad::ErrorStatus setAt(const ACHAR* key, AcDbObject* obj, AcDbObjectId& id);
  Acad::ErrorStatus remove(const ACHAR* key);
  Acad::ErrorStatus remove(const ACHAR* key, AcDbObjectId& removedId);
  Acad::ErrorStatus remove(AcDbObjectId id);
  Acad::ErrorStatus setName(const ACHAR* oldName, const ACHAR* newName);
  AcDbDictionaryIterator* newIterator() const;
  Acad::ErrorStatus subErase(bool erasing) override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  friend class AcDbDictionaryAccess;
  std::map<std::u16string, std::pair<std::u16string, AcDbObjectId>> m_entries;  // upper key -> key, id
  int16_t m_cloning = 1;
  bool m_hardOwner = false;
  int m_anonymousCount = 0;
};

class AcDbXrecord : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbXrecord);
  ~AcDbXrecord() override;
  // A copy of the data; the caller releases it with acutRelRb.
  Acad::ErrorStatus rbChain(resbuf** chain, AcDbDatabase* db = nullptr) const;
  Acad::ErrorStatus setFromRbChain(const resbuf& chain, AcDbDatabase* db = nullptr);
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  resbuf* m_data = nullptr;
  int16_t m_cloning = 1;
};

class AcDbGroup : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbGroup);
  AcDbGroup() = default;
  explicit AcDbGroup(const ACHAR* description, bool selectable = true);
  const ACHAR* description() const { return m_description.c_str(); }
  Acad::ErrorStatus setDescription(const ACHAR* text);
  bool isSelectable() const { return m_selectable; }
  Acad::ErrorStatus setSelectable(bool v);
  bool isAnonymous() const { return m_anonymous; }
  Acad::ErrorStatus setAnonymous();
  const ACHAR* name() const;
  Acad::ErrorStatus append(AcDbObjectId id);
  Acad::ErrorStatus append(const AcDbObjectIdArray& ids);
  Acad::ErrorStatus remove(AcDbObjectId id);
  Acad::ErrorStatus clear();
  bool has(const AcDbEntity* ent) const;
  uint32_t numEntities() const;
  uint32_t allEntityIds(AcDbObjectIdArray& ids) const;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  std::u16string m_description;
  bool m_selectable = true, m_anonymous = false;
  std::vector<AcDbObjectId> m_ids;
};
