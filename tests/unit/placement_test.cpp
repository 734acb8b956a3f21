// Where dialogs open, and how their client area answers the hit test.
#include <climits>

#include <gtest/gtest.h>

#include "ui/placement.h"

namespace {

struct PlacementCase {
  const char *name;
  int width, height;
  ScreenPoint cursor;
  ScreenRect work;
  ScreenPoint expected;
};

const ScreenRect kScreen = {0, 0, 1024, 768};

const PlacementCase kPlacements[] = {
    {"centred", 400, 300, {512, 384}, kScreen, {312, 234}},
    {"left and top limits", 400, 300, {100, 100}, kScreen, {0, 0}},
    {"right and bottom limits", 400, 300, {1000, 700}, kScreen, {624, 468}},
    {"odd sizes give the left part the smaller half", 301, 201, {500, 500}, kScreen, {350, 400}},
    {"exact fit", 1024, 768, {10, 760}, kScreen, {0, 0}},
    {"wider than the work area, cursor left", 1100, 300, {0, 384}, kScreen, {0, 234}},
    {"wider than the work area, cursor right", 1100, 300, {1023, 384}, kScreen, {0, 234}},
    {"taller than the work area", 300, 900, {512, 767}, kScreen, {362, 0}},
    {"larger both ways", 2000, 2000, {1023, 767}, kScreen, {0, 0}},
    {"cursor far outside", 400, 300, {-5000, 9000}, kScreen, {0, 468}},
    {"work area off the origin, cursor before it",
     400,
     300,
     {0, 0},
     {100, 50, 900, 650},
     {100, 50}},
    {"work area off the origin, cursor past it",
     400,
     300,
     {2000, 2000},
     {100, 50, 900, 650},
     {500, 350}},
    {"work area left of the origin", 400, 300, {-10, 10}, {-1280, 0, 0, 1024}, {-400, 0}},
    {"empty window", 0, 0, {1024, 768}, kScreen, {1024, 768}},
};

TEST(Placement, CentresOnTheCursorInsideTheWorkArea) {
  for (const PlacementCase &c : kPlacements) {
    SCOPED_TRACE(c.name);
    const ScreenPoint at = PlaceCentredOnCursor(c.width, c.height, c.cursor, &c.work);
    EXPECT_EQ(at.x, c.expected.x);
    EXPECT_EQ(at.y, c.expected.y);
  }
}

TEST(Placement, WithoutAWorkAreaTheCentredPositionStands) {
  const ScreenPoint at = PlaceCentredOnCursor(400, 301, ScreenPoint{100, 100}, nullptr);
  EXPECT_EQ(at.x, -100);
  EXPECT_EQ(at.y, -50);
}

TEST(Placement, ExtremeValuesStayInRange) {
  const ScreenRect all = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  struct Extreme {
    int width;
    ScreenPoint cursor;
    const ScreenRect *work;
    int x;
  } const cases[] = {
      {INT_MAX, {INT_MIN, 0}, nullptr, INT_MIN},
      {INT_MAX, {INT_MAX, 0}, nullptr, INT_MAX - INT_MAX / 2},
      {INT_MAX, {INT_MAX, 0}, &all, 0},
      {INT_MAX, {INT_MIN, 0}, &all, INT_MIN},
      {INT_MAX, {0, 0}, &kScreen, 0},
      {INT_MIN, {INT_MAX, 0}, nullptr, INT_MAX},
  };
  for (const Extreme &c : cases) {
    EXPECT_EQ(PlaceCentredOnCursor(c.width, 10, c.cursor, c.work).x, c.x);
  }
}

TEST(HitTest, TheClientAreaAnswersAsTheCaption) {
  EXPECT_EQ(CaptionHitTestCode(kHitClient), kHitCaption);
  const int unchanged[] = {0,          -1, -2, kHitCaption, 3, kHitLeft, kHitTop, kHitBottomRight,
                           kHitBorder, 20, 21};
  for (int code : unchanged) {
    EXPECT_EQ(CaptionHitTestCode(code), code) << code;
  }
}

// The map of a dialog that is dragged by its client area and sized only
// sideways.
const HitTestPair kSidewaysMap[] = {
    {kHitClient, kHitCaption},    {kHitTop, kHitBorder},     {kHitBottom, kHitBorder},
    {kHitTopLeft, kHitLeft},      {kHitTopRight, kHitRight}, {kHitBottomLeft, kHitLeft},
    {kHitBottomRight, kHitRight},
};

TEST(HitTest, MapsEachPairAndLeavesOtherCodes) {
  for (const HitTestPair &pair : kSidewaysMap) {
    int answer = -99;
    EXPECT_TRUE(MapHitTestCode(kSidewaysMap, 7, pair.from, &answer)) << pair.from;
    EXPECT_EQ(answer, pair.to) << pair.from;
  }
  const int others[] = {0, -1, kHitCaption, kHitLeft, kHitRight, kHitBorder, 20};
  for (int code : others) {
    int answer = -99;
    EXPECT_FALSE(MapHitTestCode(kSidewaysMap, 7, code, &answer)) << code;
    EXPECT_EQ(answer, code);
  }
}

TEST(HitTest, OnlyTheGivenPairsCountAndTheFirstMatchWins) {
  const HitTestPair twice[] = {{5, 6}, {5, 7}, {8, 9}};
  int answer = 0;
  EXPECT_TRUE(MapHitTestCode(twice, 3, 5, &answer));
  EXPECT_EQ(answer, 6);
  EXPECT_FALSE(MapHitTestCode(twice, 2, 8, &answer));
  EXPECT_EQ(answer, 8);
  EXPECT_FALSE(MapHitTestCode(twice, 0, 5, &answer));
  EXPECT_FALSE(MapHitTestCode(twice, -1, 5, &answer));
  EXPECT_FALSE(MapHitTestCode(nullptr, 3, 5, &answer));
  EXPECT_EQ(answer, 5);
}

} // namespace
