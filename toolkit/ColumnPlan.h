// Effects that copy and rewrite full-height strips treat every row alike, so all the strip
// operations of a frame come down to one map: for every column of the result, the column of the
// incoming frame it shows and the byte arrangement it shows it through. A ColumnPlan takes the
// strip operations in the order the effect makes them, composes them on that map instead of on
// the pixels, and then rewrites the frame in one pass over its rows.
//
// Strip operations clip as the rectangle operations do: columns outside the frame are neither
// read nor written, and a strip buffer keeps its layout (column k of a strip at index k).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "Frame.h"
#include "RectOps.h"

namespace ff {

class ColumnPlan {
 public:
  // A plan for frames `width` columns wide, with `stripBuffers` strip buffers that each hold a
  // strip as wide as the frame. Allocation failure is an answer: the plan tests false.
  ColumnPlan(int32_t width, int32_t stripBuffers);

  explicit operator bool() const { return map && strips && runs && reads && row; }

  // Full-height CopyRectOut of columns x to x + w - 1 into strip buffer `strip`.
  void CopyStripOut(int32_t strip, int32_t x, int32_t w);
  // Full-height WriteRectMappedBlank of strip buffer `strip` at columns x to x + w - 1.
  void WriteStripMapped(int32_t strip, int32_t x, int32_t w, uint32_t mode);

  // Rewrites a frame of the plan's width as the recorded operations would have.
  void Apply(const Frame& frame);

 private:
  struct ColumnSource {
    int32_t column;
    ByteArrangement arrangement;  // a shift of 8 or more leaves 0
  };
  // How an arranged run is written many pixels at a time, worked out once per frame.
  struct ShuffleMasks {
    bool usable;         // the processor has a byte shuffle and no byte is halved twice
    uint8_t order[16];   // source byte of each of five pixels, then the next pixel's first byte
    uint8_t halved[16];  // 0xFF where the byte is halved
  };
  // Neighbouring result columns that show neighbouring incoming columns the same way.
  struct Run {
    enum class Kind : uint8_t { kBlack, kCopy, kArranged };
    int32_t target;
    int32_t source;
    int32_t length;
    ByteArrangement arrangement;
    Kind kind;
    int32_t wideIndex;  // the arrangement's place in the wide shuffle table
    ShuffleMasks masks;
  };
  // Incoming columns first to last - 1, which some run reads.
  struct ColumnSpan {
    int32_t first, last;
  };

  static ShuffleMasks MasksFor(const ByteArrangement& arrangement);
  static void WriteArranged(uint8_t* target, const uint8_t* source, std::size_t bytes,
                            const Run& run);
  int32_t FindRuns();
  int32_t FindReadSpans(int32_t runCount);

  int32_t width;
  std::unique_ptr<ColumnSource[]> map;
  std::unique_ptr<ColumnSource[]> strips;
  std::unique_ptr<Run[]> runs;
  std::unique_ptr<ColumnSpan[]> reads;
  std::unique_ptr<uint8_t[]> row;  // the incoming row, read while the frame row is rewritten
};

}  // namespace ff
