// The counters of bubble texts: what is shown, what is stored, and how they count on.
#include <gtest/gtest.h>

#include "label/kinds/bubble_counter.h"

namespace {

using qd::label::advanceCounters;
using qd::label::splitCounter;

TEST(BubbleCounter, ShowsTheDigitsAndKeepsTheMarker) {
  EXPECT_EQ(splitCounter(u"&N7").shown, u"7");
  EXPECT_EQ(splitCounter(u"&N7").stored, u"&N7");
  EXPECT_EQ(splitCounter(u"A&N09").shown, u"A09");
  // A marker without digits starts at 1; another "&" is only a character.
  EXPECT_EQ(splitCounter(u"P&N").stored, u"P&N1");
  EXPECT_EQ(splitCounter(u"P&N").shown, u"P1");
  EXPECT_EQ(splitCounter(u"&Nx").stored, u"&N1x");
  EXPECT_EQ(splitCounter(u"R&D").shown, u"R&D");
  EXPECT_EQ(splitCounter(u"").shown, u"");
}

TEST(BubbleCounter, CountsOnKeepingZerosAndGrowingWhenItMust) {
  EXPECT_EQ(advanceCounters(u"&N7"), u"&N8");
  EXPECT_EQ(advanceCounters(u"A&N09"), u"A&N10");
  EXPECT_EQ(advanceCounters(u"&N009"), u"&N010");
  EXPECT_EQ(advanceCounters(u"&N99"), u"&N100");
  EXPECT_EQ(advanceCounters(u"&N0"), u"&N1");
  // Far beyond any integer: counted digit by digit, never wrapped.
  EXPECT_EQ(advanceCounters(u"&N99999999999999999999999"), u"&N100000000000000000000000");
  // Every counter of a text counts; a text without one stays.
  EXPECT_EQ(advanceCounters(u"&N1/&N19"), u"&N2/&N20");
  EXPECT_EQ(advanceCounters(u"B 12"), u"B 12");
  EXPECT_EQ(advanceCounters(u"&N"), u"&N");
}

}  // namespace
