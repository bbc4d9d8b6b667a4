// Random RGB box swap: square boxes scattered anew over every frame, their pixels rewritten with
// the bytes reordered by a permutation that belongs to the box slot and outlives the frame.
// "Value" sets how many boxes, "Size" bounds their side and "col" picks the halved bytes.
#include <cstdlib>

#include "EffectBase.h"
#include "ParameterScaling.h"
#include "PermutedBox.h"
#include "PluginDescriptor.h"
#include "ScratchBuffer.h"

namespace ff {

namespace {

struct BoxSlot {
  int32_t started;
  int32_t permutation;
};

// Shared by every instance.
BoxSlot boxSlots[kBoxSlotCount];

constexpr int32_t kSmallestSide = 5;

}  // namespace

class RandomRgbBoxSwapEffect : public EffectBase {
 public:
  RandomRgbBoxSwapEffect() {
    AddFloatParameter(0, "Value", 0.1f, valueParam);
    AddFloatParameter(1, "Size", 0.32f, sizeParam);
    // Index 3 is not registered, yet hosts may set and read it.
    AcceptSpareParameter(3, 0.1f, spareParam);
    AddFloatParameter(2, "col", 0.1f, colParam);
    for (BoxSlot& slot : boxSlots) slot.started = 0;
  }

 protected:
  void ParameterChanged(uint32_t index) override {
    switch (index) {
      case 0:
        boxCount = BoxCountFromValue(valueParam);
        break;
      case 1:
        maxBoxSize = AtLeast(LowByte(ScaleParameter(sizeParam, 128)), kSmallestSide + 1);
        break;
      case 2:
        halvingCode = HalvingCodeFromCol(colParam);
        break;
      default:
        break;
    }
  }

  FFResult Render(const Frame& frame) override {
    // A frame without pixels has no place for a centre: no box, and no number drawn.
    if (frame.width == 0 || frame.height == 0) return FF_SUCCESS;
    ScratchBuffer buffer(RectBytes(maxBoxSize, maxBoxSize));
    if (!buffer) return FF_FAIL;
    for (int32_t i = 0; i < boxCount; ++i) {
      BoxSlot& slot = boxSlots[i];
      if (slot.started == 0) {
        for (int discarded = 0; discarded < 4; ++discarded) std::rand();
        slot.started = 1;
        slot.permutation = std::rand() % 6;
      }
      const int32_t side = std::rand() % (maxBoxSize - kSmallestSide) + kSmallestSide;
      int32_t centreX = std::rand() % frame.width;
      int32_t centreY = std::rand() % frame.height;
      const int32_t half = side / 2;
      ClampBoxCentre(centreX, frame.width, half);
      ClampBoxCentre(centreY, frame.height, half);
      PermuteBoxInPlace(frame, buffer.data(), centreX - half, centreY - half, side,
                        slot.permutation, halvingCode);
    }
    return FF_SUCCESS;
  }

 private:
  float valueParam;
  float sizeParam;
  float spareParam;
  float colParam;
  int32_t boxCount = 25;
  int32_t maxBoxSize = 40;
  int32_t halvingCode = 1;
};

const EffectRegistration<RandomRgbBoxSwapEffect> registration("kEtw", "Kestrowel",
                                                              "random rgb box swap");

}  // namespace ff
