#include "ByteOrders.h"

#include <cstring>

#include "CpuFeatures.h"
#include "RectOps.h"

#ifdef GLITCH_X86_VECTORS
#include <tmmintrin.h>
#endif

namespace ff {

namespace {

// orders[a][b]: the one order that does what order a and then order b do.
struct ThenOrderTable {
  int32_t orders[6][6];
};

constexpr ThenOrderTable MakeThenOrders() {
  ThenOrderTable table{};
  for (int32_t a = 0; a < 6; ++a) {
    for (int32_t b = 0; b < 6; ++b) {
      for (int32_t candidate = 0; candidate < 6; ++candidate) {
        bool same = true;
        for (int32_t k = 0; k < 3; ++k) {
          same = same && kByteOrders[a][kByteOrders[b][k]] == kByteOrders[candidate][k];
        }
        if (same) table.orders[a][b] = candidate;
      }
    }
  }
  return table;
}

constexpr ThenOrderTable kThenOrders = MakeThenOrders();

void ReorderPixelsOneByOne(uint8_t* pixel, int64_t count, const uint8_t* order) {
  for (int64_t i = 0; i < count; ++i, pixel += 3) {
    const uint8_t before[3] = {pixel[0], pixel[1], pixel[2]};
    pixel[0] = before[order[0]];
    pixel[1] = before[order[1]];
    pixel[2] = before[order[2]];
  }
}

#ifdef GLITCH_X86_VECTORS

// 16 pixels fill three 16-byte vectors exactly. A pixel may straddle two vectors, so each output
// vector gathers its bytes from its own vector and its neighbours, one shuffle each.
struct ShuffleMasks {
  // masks[k][s]: the bytes output vector k takes from input vector k - 1 + s.
  uint8_t masks[3][3][16];
};

ShuffleMasks MasksFor(const uint8_t* order) {
  ShuffleMasks result;
  std::memset(&result, 0x80, sizeof result);  // a set high bit makes the shuffle write zero
  for (int32_t k = 0; k < 3; ++k) {
    for (int32_t j = 0; j < 16; ++j) {
      const int32_t output = 16 * k + j;
      const int32_t input = output - output % 3 + order[output % 3];
      const int32_t vector = input / 16;
      result.masks[k][vector - k + 1][j] = static_cast<uint8_t>(input % 16);
    }
  }
  return result;
}

__attribute__((target("ssse3"))) void ReorderPixelsShuffled(uint8_t* pixels, int64_t count,
                                                            const uint8_t* order) {
  const ShuffleMasks table = MasksFor(order);
  __m128i mask[3][3];
  for (int32_t k = 0; k < 3; ++k) {
    for (int32_t s = 0; s < 3; ++s) {
      mask[k][s] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.masks[k][s]));
    }
  }
  const int64_t blocks = count / 16;
  for (int64_t b = 0; b < blocks; ++b) {
    __m128i* block = reinterpret_cast<__m128i*>(pixels + b * 48);
    const __m128i v0 = _mm_loadu_si128(block);
    const __m128i v1 = _mm_loadu_si128(block + 1);
    const __m128i v2 = _mm_loadu_si128(block + 2);
    const __m128i out0 =
        _mm_or_si128(_mm_shuffle_epi8(v0, mask[0][1]), _mm_shuffle_epi8(v1, mask[0][2]));
    const __m128i out1 = _mm_or_si128(
        _mm_or_si128(_mm_shuffle_epi8(v0, mask[1][0]), _mm_shuffle_epi8(v1, mask[1][1])),
        _mm_shuffle_epi8(v2, mask[1][2]));
    const __m128i out2 =
        _mm_or_si128(_mm_shuffle_epi8(v1, mask[2][0]), _mm_shuffle_epi8(v2, mask[2][1]));
    _mm_storeu_si128(block, out0);
    _mm_storeu_si128(block + 1, out1);
    _mm_storeu_si128(block + 2, out2);
  }
  ReorderPixelsOneByOne(pixels + blocks * 48, count - blocks * 16, order);
}

#endif

}  // namespace

int32_t ThenReorder(int32_t order, int32_t next) {
  return next < 0 || next > 5 ? order : kThenOrders.orders[order][next];
}

void ReorderPixels(uint8_t* pixels, int64_t count, int32_t order) {
  if (order < 0 || order > 5 || order == kKeepOrder || count <= 0) return;
#ifdef GLITCH_X86_VECTORS
  if (HasSsse3()) return ReorderPixelsShuffled(pixels, count, kByteOrders[order]);
#endif
  ReorderPixelsOneByOne(pixels, count, kByteOrders[order]);
}

}  // namespace ff
