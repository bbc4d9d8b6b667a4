// Box swap: up to 100 boxes copy the picture at their source corner to their target corner, through
// a byte order or as black as "Mode" chooses, and then every corner takes a random step of up to
// "Speed" pixels. The boxes live in one table that every instance of the plug-in shares.
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "EffectBase.h"
#include "ParameterScaling.h"
#include "PluginDescriptor.h"
#include "RectOps.h"
#include "ScratchBuffer.h"

namespace ff {
namespace {

struct BoxSlot {
  int32_t sourceX;
  int32_t sourceY;
  int32_t targetX;
  int32_t targetY;
};

constexpr int32_t kSlotCount = 100;
// A sourceX of -1 asks for the whole box to be placed afresh, also when a walk leads there.
constexpr int32_t kUnplaced = -1;

BoxSlot boxSlots[kSlotCount];

// Modes of WriteRectMappedSkipDark: 0 to 2 are the first three byte orders, 3 paints black.
constexpr uint32_t kSkipDarkBlack = 3;
// A source pixel none of whose bytes exceeds this is not copied in the byte-order modes, so the
// picture at the target shows through the dark parts of a box.
constexpr uint8_t kNearBlack = 10;

void WriteRectMappedSkipDark(const Frame& frame, const uint8_t* buffer, int32_t x, int32_t y,
                             int32_t w, int32_t h, uint32_t mode) {
  if (mode == kSkipDarkBlack) {
    WriteRectMappedBlank(frame, buffer, x, y, w, h, kBlankMode);
    return;
  }
  if (mode > 2) return;
  const uint8_t* order = kByteOrders[mode];
  ForEachRectPixel(frame, buffer, x, y, w, h, [order](uint8_t* target, const uint8_t* source) {
    if (source[0] <= kNearBlack && source[1] <= kNearBlack && source[2] <= kNearBlack) return;
    target[0] = source[order[0]];
    target[1] = source[order[1]];
    target[2] = source[order[2]];
  });
}

// A column or row from 0 to span - 1. A box as large as the frame has span 0 and stands at 0; the
// draw is still made, so every placement takes the same four draws.
int32_t RandomPosition(int32_t span) {
  const int draw = std::rand();
  return span > 0 ? draw % span : 0;
}

// The coordinate moved by a step of -walkRange to walkRange (one draw). Computed wide and
// saturated, so that no walk range or coordinate can overflow.
int32_t Walk(int32_t coordinate, int32_t walkRange) {
  const int64_t step = std::rand() % (2 * int64_t{walkRange} + 1) - walkRange;
  return static_cast<int32_t>(std::clamp<int64_t>(
      coordinate + step, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

class BoxSwapEffect : public EffectBase {
 public:
  BoxSwapEffect() {
    AddFloatParameter(0, "Value", 0.3f, valueParam);
    AddFloatParameter(1, "SizeX", 0.5f, sizeXParam);
    AddFloatParameter(2, "SizeY", 0.5f, sizeYParam);
    AddFloatParameter(3, "Mode", 0.0f, modeParam);
    AddFloatParameter(4, "Speed", 0.03f, speedParam);
    for (BoxSlot& slot : boxSlots) slot.sourceX = kUnplaced;
  }

 protected:
  void ParameterChanged(uint32_t index) override {
    switch (index) {
      case 0:
        boxCount = std::min(AtLeast(ScaleParameter(valueParam, 100), 1), kSlotCount);
        break;
      case 1:
        boxWidth = AtLeast(ScaleParameter(sizeXParam, 128), 1);
        break;
      case 2:
        boxHeight = AtLeast(ScaleParameter(sizeYParam, 128), 1);
        break;
      case 3:
        drawMode = ScaleParameter(modeParam, 5);
        break;
      // A negative walk range would make the step's modulus zero or negative: such boxes stand
      // still.
      case 4:
        walkRange = AtLeast(ScaleParameter(speedParam, 100), 0);
        break;
      default:
        break;
    }
  }

  FFResult Render(const Frame& frame) override {
    // A box larger than the frame shrinks to the frame's size.
    const int32_t width = std::min(boxWidth, frame.width);
    const int32_t height = std::min(boxHeight, frame.height);
    ScratchBuffer box(RectBytes(width, height));
    if (!box) return FF_FAIL;
    const int32_t lastX = frame.width - width;
    const int32_t lastY = frame.height - height;
    for (int32_t i = 0; i < boxCount; ++i) {
      BoxSlot& slot = boxSlots[i];
      int32_t sourceX = slot.sourceX;
      int32_t sourceY = slot.sourceY;
      if (sourceX == kUnplaced) {
        sourceX = RandomPosition(lastX);
        sourceY = RandomPosition(lastY);
        slot.targetX = RandomPosition(lastX);
        slot.targetY = RandomPosition(lastY);
      }
      sourceX = std::clamp(sourceX, 0, lastX);
      sourceY = std::clamp(sourceY, 0, lastY);
      slot.targetX = std::clamp(slot.targetX, 0, lastX);
      slot.targetY = std::clamp(slot.targetY, 0, lastY);
      DrawBox(frame, box.data(), i, sourceX, sourceY, slot.targetX, slot.targetY, width, height);
      sourceX = Walk(sourceX, walkRange);
      sourceY = Walk(sourceY, walkRange);
      slot.targetX = Walk(slot.targetX, walkRange);
      slot.targetY = Walk(slot.targetY, walkRange);
      slot.sourceX = sourceX;
      slot.sourceY = sourceY;
    }
    return FF_SUCCESS;
  }

 private:
  void DrawBox(const Frame& frame, uint8_t* box, int32_t boxIndex, int32_t sourceX, int32_t sourceY,
               int32_t targetX, int32_t targetY, int32_t width, int32_t height) const {
    if (drawMode < 0 || drawMode > 4) return;
    // The whole source is saved before the first write, so a target overlapping it reads right.
    CopyRectOut(box, frame, sourceX, sourceY, width, height);
    const auto write = [&](uint32_t mode) {
      WriteRectMappedSkipDark(frame, box, targetX, targetY, width, height, mode);
    };
    switch (drawMode) {
      case 0:
        write(0);
        break;
      case 1:
        // Black first, so that the near-black pixels the copy skips end up black.
        write(kSkipDarkBlack);
        write(0);
        break;
      case 2:
        write(kSkipDarkBlack);
        break;
      case 3:
        write(static_cast<uint32_t>(boxIndex % 3));
        break;
      default:
        write(static_cast<uint32_t>(boxIndex % 4));
        break;
    }
  }

  float valueParam;
  float sizeXParam;
  float sizeYParam;
  float modeParam;
  float speedParam;
  int32_t boxCount = 30;
  int32_t boxWidth = 64;
  int32_t boxHeight = 64;
  int32_t drawMode = 0;
  int32_t walkRange = 2;
};

const EffectRegistration<BoxSwapEffect> registration("lBrk", "Lumbrask", "box swap");

}  // namespace
}  // namespace ff
