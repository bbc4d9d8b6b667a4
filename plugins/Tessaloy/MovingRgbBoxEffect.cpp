// Moving RGB box: square boxes that travel diagonally and bounce off the frame's edges, their
// pixels rewritten with the bytes reordered by the box's own permutation. "Value" sets how many
// boxes, "Size" their side, "Speed" their step per frame and "col" the halved bytes.
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
  int32_t centreX, centreY;
  int32_t directionX, directionY;  // +1 or -1
  int32_t permutation;
};

// Shared by every instance.
BoxSlot boxSlots[kBoxSlotCount];

int32_t RandomDirection() {
  return std::rand() % 2 != 0 ? 1 : -1;
}

// Moves one coordinate of a box centre by `step` along `direction` and bounces it off the range
// the box fits in: a clamp turns the direction back, two clamps leave it as it was.
int32_t MoveAndBounce(int32_t centre, int32_t& direction, int32_t step, int32_t frameSide,
                      int32_t half) {
  int32_t moved = centre + direction * step;
  if (ClampBoxCentre(moved, frameSide, half) == 1) direction = -direction;
  return moved;
}

}  // namespace

class MovingRgbBoxEffect : public EffectBase {
 public:
  MovingRgbBoxEffect() {
    AddFloatParameter(0, "Value", 0.1f, valueParam);
    AddFloatParameter(1, "Size", 0.32f, sizeParam);
    AddFloatParameter(2, "Speed", 0.1f, speedParam);
    AddFloatParameter(3, "col", 0.1f, colParam);
    for (BoxSlot& slot : boxSlots) slot.started = 0;
  }

 protected:
  void ParameterChanged(uint32_t index) override {
    switch (index) {
      case 0:
        boxCount = BoxCountFromValue(valueParam);
        break;
      case 1:
        boxSize = AtLeast(LowByte(ScaleParameter(sizeParam, 100)), 1);
        break;
      case 2:
        boxSpeed = LowByte(ScaleParameter(speedParam, 20));
        break;
      case 3:
        halvingCode = HalvingCodeFromCol(colParam);
        break;
      default:
        break;
    }
  }

  FFResult Render(const Frame& frame) override {
    // A frame without pixels has no place for a centre: no box moves, and no number is drawn.
    if (frame.width == 0 || frame.height == 0) return FF_SUCCESS;
    const int32_t step = boxSpeed;
    const int32_t side = boxSize;
    const int32_t half = side / 2;
    ScratchBuffer buffer(RectBytes(side, side));
    if (!buffer) return FF_FAIL;
    for (int32_t i = 0; i < boxCount; ++i) {
      BoxSlot& slot = boxSlots[i];
      if (slot.started == 0) {
        slot.centreX = std::rand() % frame.width;
        slot.centreY = std::rand() % frame.height;
        slot.directionX = RandomDirection();
        slot.directionY = RandomDirection();
        slot.started = 1;
        slot.permutation = std::rand() % 6;
      }
      slot.centreX = MoveAndBounce(slot.centreX, slot.directionX, step, frame.width, half);
      slot.centreY = MoveAndBounce(slot.centreY, slot.directionY, step, frame.height, half);
      PermuteBoxInPlace(frame, buffer.data(), slot.centreX - half, slot.centreY - half, side,
                        slot.permutation, halvingCode);
    }
    return FF_SUCCESS;
  }

 private:
  float valueParam;
  float sizeParam;
  float speedParam;
  float colParam;
  int32_t boxCount = 25;
  int32_t boxSize = 31;
  int32_t boxSpeed = 2;
  int32_t halvingCode = 1;
};

const EffectRegistration<MovingRgbBoxEffect> registration("mRvD", "Tessalyn",
                                                          "The box where RGB was changed moves.");

}  // namespace ff
