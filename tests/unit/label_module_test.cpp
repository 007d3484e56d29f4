// The annotation module as the host loads it: its class, command groups and LISP
// functions come with it and go with it.
#include <gtest/gtest.h>

#include "headless/modules/modules.h"
#include "host/dbdatabase.h"
#include "host/rxregsvc.h"
#include "label/DESC_PAR.h"

namespace {

bool classKnown() { return acrxClassDictionary()->at(u"DESC_PAR") != nullptr; }

TEST(LabelModule, RegistersItsClassCommandsAndFunctionsAndTakesThemAway) {
  auto db = std::make_unique<AcDbDatabase>(true);
  acdbHostApplicationServices()->setWorkingDatabase(db.get());
  // The tests' own copy of the class may be registered; the module brings its own.
  if (classKnown()) DESC_PAR::rxUninit();
  auto& m = qd::modules::Manager::get();
  std::u16string message;
  ASSERT_TRUE(m.load(QD_QDLBL_MODULE, message));
  EXPECT_TRUE(classKnown());
  const auto* label = m.findCommand(u"QDLBL");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->group, u"POPIS");
  const auto* purge = m.findCommand(u"QDPURGE");
  ASSERT_NE(purge, nullptr);
  EXPECT_EQ(purge->group, u"COM");
  EXPECT_EQ(purge->local, u"LEŠTI");
  EXPECT_TRUE(m.isDefined(u"C:QDLBL001"));
  EXPECT_TRUE(m.isDefined(u"C:QDPURGE001"));
  ASSERT_TRUE(m.unload(u"QDLBL", true, message));
  EXPECT_FALSE(classKnown());
  EXPECT_EQ(m.findCommand(u"QDLBL"), nullptr);
  EXPECT_EQ(m.findCommand(u"QDPURGE"), nullptr);
  EXPECT_FALSE(m.isDefined(u"C:QDLBL001"));
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

}  // namespace
