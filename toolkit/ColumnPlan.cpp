#include "ColumnPlan.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "CpuFeatures.h"
#include "WideShuffle.h"

#ifdef GLITCH_X86_VECTORS
#include <tmmintrin.h>
#endif

namespace ff {

namespace {

constexpr ByteArrangement kUnchanged = {{0, 1, 2}, {0, 0, 0}};
constexpr uint8_t kBlackShift = 8;
constexpr ByteArrangement kBlack = {{0, 1, 2}, {kBlackShift, kBlackShift, kBlackShift}};

bool operator==(const ByteArrangement& left, const ByteArrangement& right) {
  return std::equal(left.source, left.source + 3, right.source) &&
         std::equal(left.shift, left.shift + 3, right.shift);
}

bool IsBlack(const ByteArrangement& arrangement) {
  return std::all_of(arrangement.shift, arrangement.shift + 3,
                     [](uint8_t shift) { return shift >= kBlackShift; });
}

// `then` applied to the output of `first`.
ByteArrangement Compose(const ByteArrangement& first, const ByteArrangement& then) {
  ByteArrangement composed{};
  for (int k = 0; k < 3; ++k) {
    composed.source[k] = first.source[then.source[k]];
    composed.shift[k] = static_cast<uint8_t>(
        std::min<int>(first.shift[then.source[k]] + then.shift[k], kBlackShift));
  }
  return composed;
}

// The strip columns k with first <= k < last that lie inside a frame `width` wide at column x,
// and inside a strip buffer of `width` columns.
struct StripClip {
  int32_t first, last;
};

StripClip ClipStrip(int32_t width, int32_t x, int32_t w) {
  const int64_t first = std::max<int64_t>(0, -int64_t{x});
  const int64_t last = std::min<int64_t>({w, int64_t{width} - x, width});
  return {static_cast<int32_t>(first), static_cast<int32_t>(std::max(first, last))};
}

template <class T>
std::unique_ptr<T[]> Allocate(int64_t count) {
  return std::unique_ptr<T[]>(new (std::nothrow)
                                  T[static_cast<std::size_t>(std::max<int64_t>(count, 1))]);
}

#ifdef GLITCH_X86_VECTORS
// Five pixels at a time with one byte shuffle, halving by a shift and a byte mask. The 16-byte
// store also writes the first byte of the next pixel, unarranged, which the next step or the
// caller's tail then writes properly. Returns the bytes done, a multiple of 15 that leaves at
// least one byte for the tail.
__attribute__((target("ssse3"))) std::size_t WriteFivePixelsAtATime(uint8_t* target,
                                                                    const uint8_t* source,
                                                                    std::size_t bytes,
                                                                    const uint8_t* orderMask,
                                                                    const uint8_t* halvedMask) {
  const __m128i order = _mm_loadu_si128(reinterpret_cast<const __m128i*>(orderMask));
  const __m128i halving = _mm_loadu_si128(reinterpret_cast<const __m128i*>(halvedMask));
  const __m128i lowSevenBits = _mm_set1_epi8(0x7F);
  std::size_t i = 0;
  for (; i + 16 <= bytes; i += 15) {
    const __m128i pixels =
        _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i)), order);
    const __m128i halves = _mm_and_si128(_mm_srli_epi16(pixels, 1), lowSevenBits);
    const __m128i written =
        _mm_or_si128(_mm_andnot_si128(halving, pixels), _mm_and_si128(halving, halves));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i), written);
  }
  return i;
}
#endif

}  // namespace

ColumnPlan::ShuffleMasks ColumnPlan::MasksFor(const ByteArrangement& arrangement) {
  ShuffleMasks masks{};
#ifdef GLITCH_X86_VECTORS
  masks.usable = HasSsse3() && std::all_of(arrangement.shift, arrangement.shift + 3,
                                           [](uint8_t shift) { return shift <= 1; });
#endif
  for (int pixel = 0; pixel < 5; ++pixel) {
    for (int k = 0; k < 3; ++k) {
      masks.order[pixel * 3 + k] = static_cast<uint8_t>(pixel * 3 + arrangement.source[k]);
      masks.halved[pixel * 3 + k] = arrangement.shift[k] != 0 ? 0xFF : 0;
    }
  }
  masks.order[15] = 15;
  return masks;
}

void ColumnPlan::WriteArranged(uint8_t* target, const uint8_t* source, std::size_t bytes,
                               const Run& run) {
  std::size_t done = static_cast<std::size_t>(ArrangeWideBlocks(
                         target, source, static_cast<int32_t>(bytes / 3), run.wideIndex)) *
                     3;
#ifdef GLITCH_X86_VECTORS
  if (run.masks.usable) {
    done += WriteFivePixelsAtATime(target + done, source + done, bytes - done, run.masks.order,
                                   run.masks.halved);
  }
#endif
  const ByteArrangement a = run.arrangement;
  for (; done < bytes; done += 3) {
    const uint8_t s0 = source[done + a.source[0]], s1 = source[done + a.source[1]],
                  s2 = source[done + a.source[2]];
    target[done] = static_cast<uint8_t>(s0 >> a.shift[0]);
    target[done + 1] = static_cast<uint8_t>(s1 >> a.shift[1]);
    target[done + 2] = static_cast<uint8_t>(s2 >> a.shift[2]);
  }
}

ColumnPlan::ColumnPlan(int32_t width, int32_t stripBuffers)
    : width(std::max(width, 0)),
      map(Allocate<ColumnSource>(this->width)),
      strips(Allocate<ColumnSource>(int64_t{this->width} * std::max(stripBuffers, 0))),
      runs(Allocate<Run>(this->width)),
      reads(Allocate<ColumnSpan>(this->width)),
      row(Allocate<uint8_t>(int64_t{this->width} * 3)) {
  if (!*this) return;
  for (int32_t column = 0; column < this->width; ++column) map[column] = {column, kUnchanged};
  // A strip column written before it was ever copied shows black, never an unknown column.
  const int64_t stripColumns = int64_t{this->width} * std::max(stripBuffers, 0);
  std::fill(strips.get(), strips.get() + stripColumns, ColumnSource{0, kBlack});
}

void ColumnPlan::CopyStripOut(int32_t strip, int32_t x, int32_t w) {
  const StripClip clip = ClipStrip(width, x, w);
  ColumnSource* buffer = &strips[static_cast<std::size_t>(strip) * width];
  for (int32_t k = clip.first; k < clip.last; ++k) buffer[k] = map[x + k];
}

void ColumnPlan::WriteStripMapped(int32_t strip, int32_t x, int32_t w, uint32_t mode) {
  if (mode > kBlankMode) return;
  const StripClip clip = ClipStrip(width, x, w);
  const ColumnSource* buffer = &strips[static_cast<std::size_t>(strip) * width];
  if (mode == kBlankMode) {
    for (int32_t k = clip.first; k < clip.last; ++k) map[x + k] = {buffer[k].column, kBlack};
    return;
  }
  // Neighbouring strip columns mostly share their arrangement: compose each new one once.
  const ByteArrangement then = ChannelModeArrangement(mode);
  ByteArrangement before = kUnchanged, composed = Compose(kUnchanged, then);
  for (int32_t k = clip.first; k < clip.last; ++k) {
    if (!(buffer[k].arrangement == before)) {
      before = buffer[k].arrangement;
      composed = Compose(before, then);
    }
    map[x + k] = {buffer[k].column, composed};
  }
}

int32_t ColumnPlan::FindRuns() {
  int32_t count = 0;
  for (int32_t column = 0; column < width; ++column) {
    const ColumnSource& from = map[column];
    const bool black = IsBlack(from.arrangement);
    if (!black && from.column == column && from.arrangement == kUnchanged) continue;
    if (count > 0) {
      Run& last = runs[count - 1];
      if (last.target + last.length == column && last.arrangement == from.arrangement &&
          (black || last.source + last.length == from.column)) {
        ++last.length;
        continue;
      }
    }
    const Run::Kind kind = black                            ? Run::Kind::kBlack
                           : from.arrangement == kUnchanged ? Run::Kind::kCopy
                                                            : Run::Kind::kArranged;
    const bool arranged = kind == Run::Kind::kArranged;
    runs[count++] = {column,
                     from.column,
                     1,
                     black ? kBlack : from.arrangement,
                     kind,
                     arranged ? WideShuffleIndex(from.arrangement) : -1,
                     arranged ? MasksFor(from.arrangement) : ShuffleMasks{}};
  }
  return count;
}

int32_t ColumnPlan::FindReadSpans(int32_t runCount) {
  int32_t count = 0;
  for (int32_t i = 0; i < runCount; ++i) {
    if (runs[i].kind != Run::Kind::kBlack) {
      reads[count++] = {runs[i].source, runs[i].source + runs[i].length};
    }
  }
  std::sort(reads.get(), reads.get() + count, [](const ColumnSpan& left, const ColumnSpan& right) {
    return left.first < right.first;
  });
  // Spans that overlap or nearly touch are read with one copy.
  constexpr int32_t kNearlyTouching = 16;
  int32_t merged = 0;
  for (int32_t i = 0; i < count; ++i) {
    if (merged > 0 && reads[i].first <= reads[merged - 1].last + kNearlyTouching) {
      reads[merged - 1].last = std::max(reads[merged - 1].last, reads[i].last);
    } else {
      reads[merged++] = reads[i];
    }
  }
  return merged;
}

void ColumnPlan::Apply(const Frame& frame) {
  const int32_t runCount = FindRuns();
  const int32_t readCount = FindReadSpans(runCount);
  for (int32_t y = 0; y < frame.height; ++y) {
    uint8_t* frameRow = frame.Row(y);
    // Every run reads the row as it came in, so what the runs read is set aside first.
    for (int32_t i = 0; i < readCount; ++i) {
      const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(reads[i].first) * 3;
      std::memcpy(row.get() + offset, frameRow + offset,
                  static_cast<std::size_t>(reads[i].last - reads[i].first) * 3);
    }
    for (int32_t i = 0; i < runCount; ++i) {
      const Run& run = runs[i];
      uint8_t* target = frameRow + static_cast<std::ptrdiff_t>(run.target) * 3;
      const uint8_t* source = row.get() + static_cast<std::ptrdiff_t>(run.source) * 3;
      const std::size_t bytes = static_cast<std::size_t>(run.length) * 3;
      switch (run.kind) {
        case Run::Kind::kBlack:
          std::memset(target, 0, bytes);
          break;
        case Run::Kind::kCopy:
          std::memcpy(target, source, bytes);
          break;
        case Run::Kind::kArranged:
          WriteArranged(target, source, bytes, run);
          break;
      }
    }
  }
}

}  // namespace ff
