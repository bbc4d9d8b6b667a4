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

// At scale 1 the runs go through the five-pixel path and the tail; at scale 4 they are long
// enough for the 32-pixel path as well.
TEST(ColumnPlan, ComposesStripOperationsInOrder) {
  for (const int n : {1, 4}) {
    SCOPED_TRACE(testing::Message() << "scale " << n);
    const TestFrame input = TestFrame::Random(41 * n, 3, 1);
    TestFrame frame = input;
    ff::ColumnPlan plan(41 * n, 2);
    ASSERT_TRUE(plan);
    plan.CopyStripOut(0, 0, 30 * n);
    plan.CopyStripOut(1, 20 * n, 21 * n);
    plan.WriteStripMapped(0, 11 * n, 30 * n, 9);  // order 3 with byte 1 halved
    plan.WriteStripMapped(1, 0, 21 * n, 0);  // written last: wins over the first write on 11 to 20
    plan.CopyStripOut(0, 30 * n, 11 * n);    // reads what the first write left there
    plan.WriteStripMapped(0, 30 * n, 11 * n, 6);  // halves a byte a second time for some columns
    plan.WriteStripMapped(1, 35 * n, 3 * n, 19);  // no such mode: nothing written
    plan.Apply(View(frame));

    Columns expected;
    for (int k = 0; k < 30 * n; ++k) expected.push_back({11 * n + k, {k, {9}}});
    for (int k = 0; k < 21 * n; ++k) expected.push_back({k, {20 * n + k, {0}}});
    for (int k = 0; k < 11 * n; ++k) expected.push_back({30 * n + k, {19 * n + k, {9, 6}}});
    EXPECT_EQ(frame.Contents(), ExpectedColumns(input, expected).Contents());
    EXPECT_TRUE(frame.GuardsIntact());
  }
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
