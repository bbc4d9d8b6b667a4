// The in-place mapped rewrite against the copy out and mapped write back that it replaces.
#include "ArrangeInPlace.h"

#include <gtest/gtest.h>

#include <vector>

#include "RectOps.h"
#include "ScratchBuffer.h"
#include "TestFrame.h"

namespace {

TEST(MapRectInPlace, GivesWhatCopyingOutAndWritingBackGives) {
  const struct {
    int x, y, w, h;
  } rects[] = {
      {0, 0, 13, 9}, {3, 2, 5, 4}, {12, 8, 1, 1}, {-2, -3, 6, 7}, {10, 6, 8, 8},
      {0, 4, 13, 0}, {4, 0, 0, 9}, {-5, 1, 3, 3}, {2, 20, 3, 3},  {-1, -1, 15, 11},
  };
  uint32_t seed = 1;
  for (uint32_t mode = 0; mode < 20; ++mode) {
    for (const auto& r : rects) {
      test::TestFrame inPlace = test::TestFrame::Random(13, 9, seed++);
      test::TestFrame copied = inPlace;
      const ff::Frame inPlaceView{inPlace.data(), 13, 9};
      const ff::Frame copiedView{copied.data(), 13, 9};
      std::vector<uint8_t> buffer(ff::RectBytes(r.w, r.h) + 1);
      ff::CopyRectOut(buffer.data(), copiedView, r.x, r.y, r.w, r.h);
      ff::WriteRectMapped(copiedView, buffer.data(), r.x, r.y, r.w, r.h, mode);
      ff::MapRectInPlace(inPlaceView, r.x, r.y, r.w, r.h, mode);
      EXPECT_EQ(inPlace.Contents(), copied.Contents())
          << "mode " << mode << " rect " << r.x << "," << r.y << " " << r.w << "x" << r.h;
      EXPECT_TRUE(inPlace.GuardsIntact());
    }
  }
}

// Written out by hand from the mode table for pixel (10, 20, 30), and (255, 1, 200) for the
// halvings of 255 and 1.
TEST(MapRectInPlace, RearrangesAndHalvesAsTheModeSays) {
  const struct {
    uint32_t mode;
    uint8_t out[3];
  } cases[] = {
      {0, {30, 20, 10}},  {1, {30, 10, 20}},  {2, {20, 30, 10}},  {3, {20, 10, 30}},
      {4, {10, 30, 20}},  {5, {10, 20, 30}},  {6, {30, 20, 5}},   {7, {30, 10, 10}},
      {8, {20, 30, 5}},   {9, {20, 5, 30}},   {10, {10, 15, 20}}, {11, {10, 10, 30}},
      {12, {15, 20, 10}}, {13, {15, 10, 20}}, {14, {10, 30, 10}}, {15, {20, 10, 30}},
      {16, {10, 30, 20}}, {17, {10, 20, 30}}, {18, {10, 20, 30}}, {0xFFFFFFFFu, {10, 20, 30}},
  };
  for (const auto& c : cases) {
    test::TestFrame frame(1, 1);
    frame.SetPixel(0, 0, 10, 20, 30);
    ff::MapRectInPlace(ff::Frame{frame.data(), 1, 1}, 0, 0, 1, 1, c.mode);
    EXPECT_EQ(frame.PixelBytes(0, 0), (std::vector<uint8_t>{c.out[0], c.out[1], c.out[2]}))
        << "mode " << c.mode;
  }
  test::TestFrame frame(1, 1);
  frame.SetPixel(0, 0, 255, 1, 200);
  ff::MapRectInPlace(ff::Frame{frame.data(), 1, 1}, 0, 0, 1, 1, 12);  // s2/2, s1, s0
  EXPECT_EQ(frame.PixelBytes(0, 0), (std::vector<uint8_t>{100, 1, 255}));
  ff::MapRectInPlace(ff::Frame{frame.data(), 1, 1}, 0, 0, 1, 1, 9);  // s1, s0/2, s2
  EXPECT_EQ(frame.PixelBytes(0, 0), (std::vector<uint8_t>{1, 50, 255}));
}

}  // namespace
