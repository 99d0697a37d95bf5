// Design operations: the grid's rounding, normalising and clamping of drags,
// minimum sizes, the PF-key guidance row, the menu's limits, the dialogs'
// number checks, moving and resizing, the drawing order and deleting.
#include "launch/menu_design.h"

#include <gtest/gtest.h>

namespace qel::launch {
namespace {

constexpr DesignGrid kGrid10{true, 10, 10};
constexpr DesignArea kArea{640, 480, 8, 16};

CLCNObject* Create(CQelstartDoc& doc, DesignTool tool, DesignBox box, std::string& message) {
  return CreateDesignObject(doc, tool, box, {}, {}, message);
}

TEST(MenuDesignTest, GridDragFrom13_27To58_61MakesTenTwentyFortyByForty) {
  EXPECT_EQ(DragBox({13, 27}, {58, 61}, kGrid10, kArea), (DesignBox{10, 20, 40, 40}));
  // The same drag backwards is normalised.
  EXPECT_EQ(DragBox({58, 61}, {13, 27}, kGrid10, kArea), (DesignBox{10, 20, 40, 40}));
}

TEST(MenuDesignTest, ZeroSizeBecomesOneGridStepAndTheClientAreaClamps) {
  EXPECT_EQ(DragBox({13, 27}, {17, 29}, kGrid10, kArea), (DesignBox{10, 20, 10, 10}));
  EXPECT_EQ(DragBox({-30, -5}, {700, 900}, DesignGrid{}, kArea), (DesignBox{0, 0, 640, 480}));
  EXPECT_EQ(DragBox({-25, 5}, {15, 5}, DesignGrid{true, 10, 10}, kArea), (DesignBox{0, 0, 10, 10}));
  EXPECT_EQ(SnapToGrid({-1, 19}, kGrid10), (DesignPoint{-10, 10}));
}

TEST(MenuDesignTest, MinimumSizes) {
  EXPECT_TRUE(BoxLargeEnough(DesignTool::kIcon, {0, 0, 32, 32}, kArea));
  EXPECT_FALSE(BoxLargeEnough(DesignTool::kIcon, {0, 0, 31, 40}, kArea));
  EXPECT_TRUE(BoxLargeEnough(DesignTool::kPfGuidance, {0, 0, 404, 32}, kArea));
  EXPECT_FALSE(BoxLargeEnough(DesignTool::kPfGuidance, {0, 0, 403, 32}, kArea));
  EXPECT_FALSE(BoxLargeEnough(DesignTool::kButton, {0, 0, 7, 40}, kArea));
  EXPECT_FALSE(BoxLargeEnough(DesignTool::kText, {0, 0, 40, 15}, kArea));
  EXPECT_TRUE(LineLongEnough({0, 0}, {0, -10}));
  EXPECT_FALSE(LineLongEnough({0, 0}, {9, 9}));
}

TEST(MenuDesignTest, PfGuidanceRowHasTwelveEntriesWithTwoGaps) {
  const std::vector<DesignBox> boxes = PfGuidanceLayout({10, 400, 620, 36});
  ASSERT_EQ(boxes.size(), 12u);
  EXPECT_EQ(boxes[0], (DesignBox{10, 400, 50, 36}));
  EXPECT_EQ(boxes[3].left, 160);
  EXPECT_EQ(boxes[4].left, 220);  // 10 pixels after the fourth
  EXPECT_EQ(boxes[8].left, 430);  // and after the eighth
  EXPECT_EQ(boxes[11].left + boxes[11].width, 630);
}

TEST(MenuDesignTest, SecondPfGuidanceAndSecondInputAreRefused) {
  CQelstartDoc doc;
  std::string message;
  ASSERT_NE(Create(doc, DesignTool::kPfGuidance, {0, 400, 620, 36}, message), nullptr);
  EXPECT_EQ(doc.pf_keys.size(), 12u);
  EXPECT_EQ(Create(doc, DesignTool::kPfGuidance, {0, 300, 620, 36}, message), nullptr);
  EXPECT_EQ(message, design_messages::SecondPfGuidance());
  ASSERT_NE(Create(doc, DesignTool::kInput, {0, 0, 90, 30}, message), nullptr);
  EXPECT_EQ(Create(doc, DesignTool::kInput, {0, 50, 90, 30}, message), nullptr);
  EXPECT_EQ(message, design_messages::SecondInput());
  EXPECT_EQ(doc.ObjectCount(), 13u);
}

TEST(MenuDesignTest, TheHundredTwentyNinthObjectIsRefused) {
  CQelstartDoc doc;
  std::string message;
  for (int i = 0; i < 128; ++i) ASSERT_NE(Create(doc, DesignTool::kFrame, {0, 0, 20, 20}, message), nullptr);
  EXPECT_EQ(Create(doc, DesignTool::kButton, {0, 0, 20, 20}, message), nullptr);
  EXPECT_EQ(message, design_messages::TooMany());
  // A PF-key guidance needs room for its 12 entries.
  DeleteDesignObject(doc, doc.draw_order.back());
  EXPECT_EQ(Create(doc, DesignTool::kPfGuidance, {0, 0, 620, 36}, message), nullptr);
  EXPECT_EQ(message, design_messages::TooMany());
}

TEST(MenuDesignTest, MenuNumberFieldAndGridSteps) {
  uint16_t number = 99;
  EXPECT_TRUE(ParseMenuNumberField("", number));
  EXPECT_EQ(number, 0);
  EXPECT_TRUE(ParseMenuNumberField("32767", number));
  EXPECT_EQ(number, 32767);
  EXPECT_FALSE(ParseMenuNumberField("40000", number));
  EXPECT_FALSE(ParseMenuNumberField("1a", number));
  EXPECT_FALSE(ParseMenuNumberField("-1", number));
  EXPECT_FALSE(GridStepValid(0));
  EXPECT_TRUE(GridStepValid(24));
  EXPECT_FALSE(GridStepValid(25));
}

TEST(MenuDesignTest, MoveStaysInTheClientAreaAndRectangleSidesFollow) {
  CQelstartDoc doc;
  std::string message;
  CLCNObject* rect = Create(doc, DesignTool::kRectangle, {10, 10, 100, 50}, message);
  ASSERT_NE(rect, nullptr);
  MoveDesignObject(*rect, 600, -40, kArea);
  EXPECT_EQ(BoxOf(*rect), (DesignBox{540, 0, 100, 50}));
  const auto& sides = static_cast<CLCNRectangle&>(*rect).sides;
  EXPECT_EQ(sides[0].start, (Point32{540, 0}));
  EXPECT_EQ(sides[2].start, (Point32{640, 50}));
  CLCNObject* line = CreateDesignObject(doc, DesignTool::kLine, {}, {100, 200}, {50, 220}, message);
  MoveDesignObject(*line, 10, 10, kArea);
  EXPECT_EQ(static_cast<CLCNLine&>(*line).start, (Point32{110, 210}));
  SetDesignBox(*line, {0, 0, 20, 40});
  EXPECT_EQ(static_cast<CLCNLine&>(*line).start, (Point32{20, 0}));
  EXPECT_EQ(static_cast<CLCNLine&>(*line).end, (Point32{0, 40}));
}

TEST(MenuDesignTest, DrawingOrderAndDeletingAPfEntryRemovesTheRow) {
  CQelstartDoc doc;
  std::string message;
  CLCNObject* a = Create(doc, DesignTool::kFrame, {0, 0, 20, 20}, message);
  CLCNObject* b = Create(doc, DesignTool::kButton, {0, 0, 20, 20}, message);
  Create(doc, DesignTool::kPfGuidance, {0, 400, 620, 36}, message);
  BringToFront(doc, a);
  EXPECT_EQ(doc.draw_order.back(), a);
  SendToBack(doc, a);
  EXPECT_EQ(doc.draw_order.front(), a);
  EXPECT_EQ(doc.draw_order[1], b);
  DeleteDesignObject(doc, doc.pf_keys[5].get());
  EXPECT_TRUE(doc.pf_keys.empty());
  EXPECT_EQ(doc.draw_order.size(), 2u);
  DeleteDesignObject(doc, b);
  EXPECT_TRUE(doc.buttons.empty());
  EXPECT_EQ(doc.ObjectCount(), 1u);
}

}  // namespace
}  // namespace qel::launch
