// Plays a fuzzer's input to one plug-in as a sequence of plugMain calls, over several live
// instances of different sizes at once, the way a careless or hostile host might call it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "FreeFrame.h"

namespace {

class Input {
 public:
  Input(const uint8_t* data, std::size_t size) : data(data), size(size) {}
  bool Empty() const { return position >= size; }
  uint8_t Byte() { return position < size ? data[position++] : 0; }
  uint32_t Word() {
    uint32_t word = 0;
    for (int i = 0; i < 4; ++i) word = word << 8 | Byte();
    return word;
  }

 private:
  const uint8_t* data;
  std::size_t size;
  std::size_t position = 0;
};

struct LiveInstance {
  void* id = nullptr;
  std::size_t frameBytes = 0;
};

constexpr std::size_t kSlots = 4;
constexpr uint32_t kMaximumArea = 4 * 1024;  // keeps one frame call fast enough to fuzz

uint32_t Call(uint32_t code, uint32_t number, void* instance = nullptr) {
  return ff::NumberFromMixed(plugMain(code, ff::MixedFromNumber(number), instance));
}

// Widths and heights from 0 up, with 1 and odd sizes as likely as the rest, capped in area.
ff::VideoInfoStruct Geometry(Input& input) {
  ff::VideoInfoStruct info{};
  info.frameWidth = (uint32_t{input.Byte()} << 8 | input.Byte()) % 400;
  info.frameHeight = (uint32_t{input.Byte()} << 8 | input.Byte()) % 400;
  while (info.frameWidth * info.frameHeight > kMaximumArea) info.frameHeight /= 2;
  const uint8_t depth = input.Byte();
  info.bitDepth = depth < 200 ? 1 : depth % 5;
  info.orientation = 1;
  return info;
}

std::size_t BytesPerPixel(uint32_t bitDepth) { return bitDepth == 0 ? 2 : bitDepth == 2 ? 4 : 3; }

void Play(Input& input, LiveInstance (&slots)[kSlots]) {
  const uint8_t operation = input.Byte();
  LiveInstance& slot = slots[input.Byte() % kSlots];
  switch (operation % 12) {
    case 0:
      Call(ff::FF_INITIALISE, 0);
      break;
    case 1:
      Call(ff::FF_DEINITIALISE, 0);
      break;
    case 2: {
      if (slot.id != nullptr) Call(ff::FF_DEINSTANTIATE, 0, slot.id);
      slot = LiveInstance{};
      const bool withoutGeometry = input.Byte() < 16;
      const ff::VideoInfoStruct info = Geometry(input);
      const ff::FFMixed result =
          plugMain(ff::FF_INSTANTIATE, ff::MixedFromPointer(withoutGeometry ? nullptr : &info), nullptr);
      if (reinterpret_cast<uintptr_t>(result.PointerValue) == ff::FF_FAIL) break;
      slot.id = result.PointerValue;
      slot.frameBytes = withoutGeometry
                            ? 0
                            : std::size_t{info.frameWidth} * info.frameHeight * BytesPerPixel(info.bitDepth);
      break;
    }
    case 3:
    case 4: {
      ff::SetParameterStruct parameter{};
      parameter.ParameterNumber = input.Byte() % 8;
      parameter.NewParameterValue.UIntValue = input.Word();
      plugMain(ff::FF_SETPARAMETER, ff::MixedFromPointer(input.Byte() < 8 ? nullptr : &parameter), slot.id);
      break;
    }
    case 5:
    case 6: {
      if (slot.id == nullptr) break;
      // Exactly the instance's frame size, so that any byte read or written outside it is caught.
      std::vector<uint8_t> frame(slot.frameBytes);
      for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 151 + (i >> 7));
      uint8_t* pixels = frame.empty() ? nullptr : frame.data();
      uint8_t single[4] = {};
      plugMain(ff::FF_PROCESSFRAME, ff::MixedFromPointer(pixels != nullptr ? pixels : single), slot.id);
      break;
    }
    case 7: {
      if (slot.id == nullptr) break;  // without an instance the answer is FF_FAIL, not a text
      const char* text = static_cast<const char*>(
          plugMain(ff::FF_GETPARAMETERDISPLAY, ff::MixedFromNumber(input.Byte() % 8), slot.id).PointerValue);
      if (text != nullptr && std::strlen(text) > 63) std::abort();
      break;
    }
    case 8:
      Call(ff::FF_GETPARAMETER, input.Byte() % 8, slot.id);
      Call(ff::FF_GETINPUTSTATUS, input.Word(), slot.id);
      break;
    case 9:
      if (slot.id != nullptr) Call(ff::FF_DEINSTANTIATE, 0, slot.id);
      slot = LiveInstance{};
      break;
    case 10: {
      const uint32_t number = input.Word();
      Call(ff::FF_GETNUMPARAMETERS, number);
      Call(ff::FF_GETPARAMETERNAME, number % 8);
      Call(ff::FF_GETPARAMETERDEFAULT, number % 8);
      Call(ff::FF_GETPARAMETERTYPE, number);
      Call(ff::FF_GETPLUGINCAPS, number % 20);
      break;
    }
    default: {
      const uint32_t code = input.Byte();
      // Codes that take an address are left to the cases above.
      if (code == ff::FF_PROCESSFRAME || code == ff::FF_SETPARAMETER || code == ff::FF_INSTANTIATE ||
          code == ff::FF_DEINSTANTIATE || code == ff::FF_PROCESSFRAMECOPY) {
        break;
      }
      Call(code, input.Word(), slot.id);
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::srand(1);
  Input input(data, size);
  LiveInstance slots[kSlots];
  for (int calls = 0; calls < 64 && !input.Empty(); ++calls) Play(input, slots);
  for (LiveInstance& slot : slots) {
    if (slot.id != nullptr) Call(ff::FF_DEINSTANTIATE, 0, slot.id);
  }
  Call(ff::FF_DEINITIALISE, 0);
  return 0;
}
