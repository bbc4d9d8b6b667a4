// The column plan, checked against pictures made straight from the channel mode table.
#include "ColumnPlan.h"

#include <gtest/gtest.h>

#include "StripFrames.h"
#include "TestFrame.h"

namespace test {
namespace {

ff::Frame View(TestFrame& frame) {
  return {frame.data(), frame.width, frame.height};
}

// Wide enough that runs go through the many-pixels-at-a-time path as well as the tail.
TEST(ColumnPlan, ComposesStripOperationsInOrder) {
  const TestFrame input = TestFrame::Random(41, 3, 1);
  TestFrame frame = input;
  ff::ColumnPlan plan(41, 2);
  ASSERT_TRUE(plan);
  plan.CopyStripOut(0, 0, 30);
  plan.CopyStripOut(1, 20, 21);
  plan.WriteStripMapped(0, 11, 30, 9);  // order 3 with byte 1 halved
  plan.WriteStripMapped(1, 0, 21, 0);   // written last: wins over the first write on 11 to 20
  plan.CopyStripOut(0, 30, 11);         // reads what the first write left there
  plan.WriteStripMapped(0, 30, 11, 6);  // halves a byte a second time for some columns
  plan.WriteStripMapped(1, 35, 3, 19);  // no such mode: nothing written
  plan.Apply(View(frame));

  Columns expected;
  for (int k = 0; k < 30; ++k) expected.push_back({11 + k, {k, {9}}});
  for (int k = 0; k < 21; ++k) expected.push_back({k, {20 + k, {0}}});
  for (int k = 0; k < 11; ++k) expected.push_back({30 + k, {19 + k, {9, 6}}});
  EXPECT_EQ(frame.Contents(), ExpectedColumns(input, expected).Contents());
  EXPECT_TRUE(frame.GuardsIntact());
}

// Strips reaching past either edge are cut there; the strip buffer keeps its layout.
TEST(ColumnPlan, ClipsStripsToTheFrame) {
  const TestFrame input = TestFrame::Random(6, 2, 2);
  TestFrame frame = input;
  ff::ColumnPlan plan(6, 1);
  ASSERT_TRUE(plan);
  plan.CopyStripOut(0, -2, 5);         // columns 0 to 2 into strip columns 2 to 4
  plan.WriteStripMapped(0, 3, 5, 18);  // strip columns 0 to 2 at 3 to 5: black
  plan.WriteStripMapped(0, -2, 5, 0);  // strip columns 2 to 4 back at 0 to 2
  plan.CopyStripOut(0, 4, 9);          // columns 4 and 5 into strip columns 0 and 1
  plan.WriteStripMapped(0, 5, 9, 4);   // strip column 0 at 5
  plan.Apply(View(frame));
  const Columns expected = {{0, {0, {0}}},  {1, {1, {0}}},  {2, {2, {0}}},
                            {3, {3, {18}}}, {4, {4, {18}}}, {5, {4, {18, 4}}}};
  EXPECT_EQ(frame.Contents(), ExpectedColumns(input, expected).Contents());
  EXPECT_TRUE(frame.GuardsIntact());
}

}  // namespace
}  // namespace test
