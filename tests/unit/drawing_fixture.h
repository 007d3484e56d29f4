// What the database tests start from: a new drawing made the working one, and entities
// appended to its model space.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "host/dbdatabase.h"
#include "host/dbsymtb.h"

class DrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = std::make_unique<AcDbDatabase>(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
  }
  void TearDown() override { acdbHostApplicationServices()->setWorkingDatabase(nullptr); }
  // Appends `e` to model space and closes it.
  AcDbObjectId append(AcDbEntity* e) {
    AcDbBlockTableRecord* ms = nullptr;
    acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite);
    AcDbObjectId id;
    EXPECT_EQ(ms->appendAcDbEntity(id, e), Acad::eOk);
    ms->close();
    e->close();
    return id;
  }
  std::unique_ptr<AcDbDatabase> db;
};
