// The built-in drawing entities.
#pragma once
#include <vector>

#include "host/dbmain.h"

class AcDbPoint : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbPoint);
  AcDbPoint() = default;
  explicit AcDbPoint(const AcGePoint3d& p) : m_pos(p) {}
  AcGePoint3d position() const { return m_pos; }
  Acad::ErrorStatus setPosition(const AcGePoint3d& p);
  bool worldDraw(AcGiWorldDraw* mode) override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& e) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& m) override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  AcGePoint3d m_pos;
  double m_thickness = 0;
  AcGeVector3d m_normal = AcGeVector3d::kZAxis;
};

class AcDbLine : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLine);
  AcDbLine() = default;
  AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end) : m_start(start), m_end(end) {}
  AcGePoint3d startPoint() const { return m_start; }
  AcGePoint3d endPoint() const { return m_end; }
  Acad::ErrorStatus setStartPoint(const AcGePoint3d& p);
  Acad::ErrorStatus setEndPoint(const AcGePoint3d& p);
  AcGeVector3d normal() const { return m_normal; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  double thickness() const { return m_thickness; }
  bool worldDraw(AcGiWorldDraw* mode) override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& e) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& m) override;
  Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode mode, int gsMark, const AcGePoint3d& pick,
                                   const AcGePoint3d& last, const AcGeMatrix3d& view,
                                   AcGePoint3dArray& snaps, AcDbIntArray& geomIds) const override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  friend class AcDbDirectFiling;  // the reader's quick way
  AcGePoint3d m_start, m_end;
  double m_thickness = 0;
  AcGeVector3d m_normal = AcGeVector3d::kZAxis;
};

class AcDbCircle : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbCircle);
  AcDbCircle() = default;
  AcDbCircle(const AcGePoint3d& center, const AcGeVector3d& normal, double radius)
      : m_center(center), m_normal(normal), m_radius(radius) {}
  AcGePoint3d center() const { return m_center; }
  Acad::ErrorStatus setCenter(const AcGePoint3d& c);
  double radius() const { return m_radius; }
  Acad::ErrorStatus setRadius(double r);
  AcGeVector3d normal() const { return m_normal; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  bool worldDraw(AcGiWorldDraw* mode) override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& e) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& m) override;
  Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode mode, int gsMark, const AcGePoint3d& pick,
                                   const AcGePoint3d& last, const AcGeMatrix3d& view,
                                   AcGePoint3dArray& snaps, AcDbIntArray& geomIds) const override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  friend class AcDbDirectFiling;  // the reader's quick way
  AcGePoint3d m_center;
  AcGeVector3d m_normal = AcGeVector3d::kZAxis;
  double m_radius = 0;
  double m_thickness = 0;
};

class AcDbArc : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbArc);
  AcDbArc() = default;
  // Angles in radians, counter-clockwise from the X axis of the arc's plane.
  AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle)
      : m_center(center), m_radius(radius), m_start(startAngle), m_end(endAngle) {}
  AcGePoint3d center() const { return m_center; }
  Acad::ErrorStatus setCenter(const AcGePoint3d& c);
  double radius() const { return m_radius; }
  Acad::ErrorStatus setRadius(double r);
  double startAngle() const { return m_start; }
  Acad::ErrorStatus setStartAngle(double a);
  double endAngle() const { return m_end; }
  Acad::ErrorStatus setEndAngle(double a);
  AcGeVector3d normal() const { return m_normal; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  bool worldDraw(AcGiWorldDraw* mode) override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& e) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& m) override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  AcGePoint3d m_center;
  AcGeVector3d m_normal = AcGeVector3d::kZAxis;
  double m_radius = 0, m_start = 0, m_end = 0, m_thickness = 0;
};

class AcDbText : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbText);
  AcDbText();
  AcDbText(const AcGePoint3d& position, const ACHAR* text, AcDbObjectId style = AcDbObjectId::kNull,
           double height = 0, double rotation = 0);
  AcGePoint3d position() const { return m_position; }
  Acad::ErrorStatus setPosition(const AcGePoint3d& p);
  AcGePoint3d alignmentPoint() const { return m_alignment; }
  Acad::ErrorStatus setAlignmentPoint(const AcGePoint3d& p);
  bool isDefaultAlignment() const { return m_hmode == AcDb::kTextLeft && m_vmode == AcDb::kTextBase; }
  const ACHAR* textStringConst() const { return m_text.c_str(); }
  ACHAR* textString() const;  // a copy made with new[]
  Acad::ErrorStatus setTextString(const ACHAR* text);
  double height() const { return m_height; }
  Acad::ErrorStatus setHeight(double h);
  double rotation() const { return m_rotation; }
  Acad::ErrorStatus setRotation(double r);
  double widthFactor() const { return m_widthFactor; }
  Acad::ErrorStatus setWidthFactor(double w);
  double oblique() const { return m_oblique; }
  Acad::ErrorStatus setOblique(double o);
  AcDb::TextHorzMode horizontalMode() const { return m_hmode; }
  Acad::ErrorStatus setHorizontalMode(AcDb::TextHorzMode m);
  AcDb::TextVertMode verticalMode() const { return m_vmode; }
  Acad::ErrorStatus setVerticalMode(AcDb::TextVertMode m);
  // Recomputes the start point from the alignment point for justified texts.
  Acad::ErrorStatus adjustAlignment(AcDbDatabase* db = nullptr);
  // The four corners of the text's box in world coordinates (lower left first,
  // counter-clockwise), measured with the text's font.
  void boxCorners(AcGePoint3d corners[4]) const;
  int16_t generationFlags() const { return m_generation; }
  bool isMirroredInX() const { return m_generation & 2; }
  Acad::ErrorStatus mirrorInX(bool on);
  AcDbObjectId textStyle() const;
  Acad::ErrorStatus setTextStyle(AcDbObjectId style);
  const ACHAR* textStyleName() const { return m_style.c_str(); }
  Acad::ErrorStatus setTextStyleName(const ACHAR* name);
  AcGeVector3d normal() const { return m_normal; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  double thickness() const { return m_thickness; }

  bool worldDraw(AcGiWorldDraw* mode) override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& e) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& m) override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 protected:
  Acad::ErrorStatus subClose() override;
  // The text's own groups between the subclass markers (shared with attributes).
  void writeTextGroups(AcDbDxfFiler* filer) const;
  bool readTextGroup(const resbuf& rb);
  // Where a justified text stands once its groups are read: at the alignment point
  // given, or at its start point when none was.
  void settleAlignment(bool alignmentGiven, AcDbDatabase* db);
  // Height, width factor and rotation as drawn: aligned and fitted texts run from
  // the start point to the alignment point.
  void drawnLayout(double& height, double& widthFactor, double& rotation) const;

  AcGePoint3d m_position, m_alignment;
  std::u16string m_text;
  qd::text::SharedName m_style;  // shared by the texts of a style, as a layer's name is
  double m_height = 0, m_rotation = 0, m_widthFactor = 1, m_oblique = 0, m_thickness = 0;
  AcDb::TextHorzMode m_hmode = AcDb::kTextLeft;
  AcDb::TextVertMode m_vmode = AcDb::kTextBase;
  int16_t m_generation = 0;
  AcGeVector3d m_normal = AcGeVector3d::kZAxis;

 private:
  friend class AcDbTextAccess;    // the reader's style names
  friend class AcDbDirectFiling;  // the reader's quick way
};

class AcDbAttributeDefinition : public AcDbText {
 public:
  ACRX_DECLARE_MEMBERS(AcDbAttributeDefinition);
  const ACHAR* tagConst() const { return m_tag.c_str(); }
  Acad::ErrorStatus setTag(const ACHAR* tag);
  const ACHAR* promptConst() const { return m_prompt.c_str(); }
  Acad::ErrorStatus setPrompt(const ACHAR* prompt);
  bool isInvisible() const { return m_flags & 1; }
  bool isConstant() const { return m_flags & 2; }
  Acad::ErrorStatus setInvisible(bool v);
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  std::u16string m_tag, m_prompt;
  int16_t m_flags = 0;
};

class AcDbAttribute : public AcDbText {
 public:
  ACRX_DECLARE_MEMBERS(AcDbAttribute);
  const ACHAR* tagConst() const { return m_tag.c_str(); }
  Acad::ErrorStatus setTag(const ACHAR* tag);
  bool isInvisible() const { return m_flags & 1; }
  Acad::ErrorStatus setInvisible(bool v);
  // Takes text, tag, flags and placement from a definition transformed by `blockXform`.
  Acad::ErrorStatus setAttributeFromBlock(const AcDbAttributeDefinition* def, const AcGeMatrix3d& blockXform);
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  std::u16string m_tag;
  int16_t m_flags = 0;
  std::string m_kept;  // groups of its own not modelled here, filed in binary
};

// Closes a complex entity's list of attributes or vertices.
class AcDbSequenceEnd : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbSequenceEnd);
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;
};

// Shared by the entities that own a list of sub-entities closed by a SEQEND.
class AcDbComplexEntity : public AcDbEntity {
 public:
  ~AcDbComplexEntity() override;
  ACRX_DECLARE_MEMBERS(AcDbComplexEntity);
  const AcDbObjectIdArray& subEntityIds() const { return m_subs; }
  AcDbObjectId sequenceEndId() const { return m_seqEnd; }
  // Every sub-entity, then the sequence end; for entity walks and for filing.
  AcDbObjectIdArray ownedIds() const;
  Acad::ErrorStatus subErase(bool erasing) override;

 protected:
  Acad::ErrorStatus appendSubEntity(AcDbEntity* sub, AcDbObjectId& id);
  void makeSequenceEnd();
  void writeOwnedIds(AcDbDwgFiler* filer) const;
  Acad::ErrorStatus readOwnedIds(AcDbDwgFiler* filer);

 private:
  friend class AcDbComplexAccess;
  AcDbObjectIdArray m_subs;
  AcDbObjectId m_seqEnd;
  std::vector<AcDbEntity*> m_pending;  // sub-entities waiting for the owner to join a database
};

class AcDbBlockReference : public AcDbComplexEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbBlockReference);
  AcDbBlockReference() = default;
  AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRec);
  AcDbObjectId blockTableRecord() const { return m_block; }
  Acad::ErrorStatus setBlockTableRecord(AcDbObjectId id);
  AcGePoint3d position() const { return m_position; }
  Acad::ErrorStatus setPosition(const AcGePoint3d& p);
  AcGeVector3d scaleFactors() const { return m_scale; }
  Acad::ErrorStatus setScaleFactors(const AcGeVector3d& s);
  double rotation() const { return m_rotation; }
  Acad::ErrorStatus setRotation(double r);
  AcGeVector3d normal() const { return m_normal; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  // Block coordinates to world coordinates.
  AcGeMatrix3d blockTransform() const;
  Acad::ErrorStatus appendAttribute(AcDbAttribute* attr);
  Acad::ErrorStatus appendAttribute(AcDbObjectId& id, AcDbAttribute* attr);
  const AcDbObjectIdArray& attributeIds() const { return subEntityIds(); }

  bool worldDraw(AcGiWorldDraw* mode) override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& e) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& m) override;
  Acad::ErrorStatus explode(AcDbVoidPtrArray& entitySet) const override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  AcDbObjectId m_block;
  std::u16string m_pendingBlockName;  // a name read before the block is known
  AcGePoint3d m_position;
  AcGeVector3d m_scale{1, 1, 1};
  AcGeVector3d m_normal = AcGeVector3d::kZAxis;
  double m_rotation = 0;
  friend class AcDbBlockReferenceAccess;
  friend class AcDbDirectFiling;  // the reader's quick way
  // Names the block referenced, found in `db` when it has it already.
  void fileBlockName(const std::u16string& name, AcDbDatabase* db);
};

// The base of the vertices of polylines.
class AcDbVertex : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbVertex);
};

class AcDb2dVertex : public AcDbVertex {
 public:
  ACRX_DECLARE_MEMBERS(AcDb2dVertex);
  AcDb2dVertex() = default;
  explicit AcDb2dVertex(const AcGePoint3d& p, double bulge = 0) : m_pos(p), m_bulge(bulge) {}
  AcGePoint3d position() const { return m_pos; }
  Acad::ErrorStatus setPosition(const AcGePoint3d& p);
  double bulge() const { return m_bulge; }
  Acad::ErrorStatus setBulge(double b);
  double startWidth() const { return m_startWidth; }
  double endWidth() const { return m_endWidth; }
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& m) override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  AcGePoint3d m_pos;
  double m_bulge = 0, m_startWidth = 0, m_endWidth = 0;
  int16_t m_flags = 0;
};

// The classic POLYLINE with VERTEX entities and a SEQEND.
class AcDb2dPolyline : public AcDbComplexEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDb2dPolyline);
  Acad::ErrorStatus appendVertex(AcDb2dVertex* vertex);
  Acad::ErrorStatus appendVertex(AcDbObjectId& id, AcDb2dVertex* vertex);
  const AcDbObjectIdArray& vertexIds() const { return subEntityIds(); }
  bool isClosed() const { return m_flags & 1; }
  Acad::ErrorStatus makeClosed();
  Acad::ErrorStatus makeOpen();
  double elevation() const { return m_elevation; }
  AcGeVector3d normal() const { return m_normal; }
  std::vector<AcGePoint3d> vertexPoints() const;

  bool worldDraw(AcGiWorldDraw* mode) override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& e) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& m) override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  int16_t m_flags = 0;
  double m_elevation = 0;
  AcGeVector3d m_normal = AcGeVector3d::kZAxis;
};

// The light-weight polyline (LWPOLYLINE).
class AcDbPolyline : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbPolyline);
  unsigned int numVerts() const { return static_cast<unsigned>(m_verts.size()); }
  Acad::ErrorStatus addVertexAt(unsigned int index, const AcGePoint2d& pt, double bulge = 0,
                                double startWidth = -1, double endWidth = -1);
  Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint3d& pt) const;
  Acad::ErrorStatus getBulgeAt(unsigned int index, double& bulge) const;
  bool isClosed() const { return m_flags & 1; }
  void setClosed(bool closed);
  double elevation() const { return m_elevation; }
  void setElevation(double e);
  AcGeVector3d normal() const { return m_normal; }

  bool worldDraw(AcGiWorldDraw* mode) override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& e) const override;
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& m) override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  struct Vertex {
    AcGePoint2d pt;
    double bulge = 0, startWidth = 0, endWidth = 0;
  };
  std::vector<Vertex> m_verts;
  int16_t m_flags = 0;
  double m_elevation = 0, m_constantWidth = 0;
  AcGeVector3d m_normal = AcGeVector3d::kZAxis;
};

// An entity of a class the host does not know, kept as its DXF groups so that it
// is written back unchanged.
// An object of a class the drawing's reader does not model (LAYOUT, MATERIAL, VISUALSTYLE
// ...): its groups are kept as they were read and written back in its place.
class AcDbUnknownObject : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbUnknownObject);
  const ACHAR* originalDxfName() const { return m_dxfName.c_str(); }
  void setOriginalDxfName(const ACHAR* name) { m_dxfName = name; }
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  std::u16string m_dxfName;
  std::string m_groups;  // the object's own groups, filed in binary
};

class AcDbUnknownEntity : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbUnknownEntity);
  const ACHAR* originalDxfName() const { return m_dxfName.c_str(); }
  void setOriginalDxfName(const ACHAR* name) { m_dxfName = name; }
  // The kinds the host shows (multiline texts, hatches, dimensions, ellipses, splines,
  // solids, faces, leaders) draw from their groups; others draw nothing.
  bool worldDraw(AcGiWorldDraw* mode) override;
  Acad::ErrorStatus getGeomExtents(AcDbExtents& e) const override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  QD_DWG_FILING_VIA_DXF;

 private:
  friend class AcDbUnknownAccess;
  std::u16string m_dxfName;
  std::string m_groups;  // the class's own groups, filed in binary
};
