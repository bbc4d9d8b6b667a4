// Small FreeFrame effects with behaviour a test can predict, including the ways a plug-in can
// fail a host. FAKE_KIND picks the behaviour of one library.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "FreeFrame.h"

#define FAKE_STAMP 0
#define FAKE_SWAP 1
#define FAKE_FAIL_INITIALISE 2
#define FAKE_FAIL_INSTANTIATE 3
#define FAKE_FAIL_FRAME 4

namespace {

struct Parameter {
  const char* name;
  float defaultValue;
};

#if FAKE_KIND == FAKE_STAMP
// Writes Amount x 255 into byte 0 and Level x 255 into byte 2 of every pixel, and a random
// byte 1 into the first 64 pixels of the top row.
const char kName[16] = "Stamp";
const char kId[4] = {'f', 'S', 't', 'p'};
const Parameter kParameters[] = {{"Amount", 0.5f}, {"Level", 0.25f}};
#elif FAKE_KIND == FAKE_SWAP
// Exchanges bytes 0 and 1 of every pixel.
const char kName[16] = "Swap";
const char kId[4] = {'f', 'S', 'w', 'p'};
const Parameter kParameters[] = {{"Unused", 0.0f}};
#elif FAKE_KIND == FAKE_FAIL_INITIALISE
const char kName[16] = "FailInitialise";
const char kId[4] = {'f', 'F', 'i', 'n'};
const Parameter kParameters[] = {{"Amount", 0.5f}};
#elif FAKE_KIND == FAKE_FAIL_INSTANTIATE
const char kName[16] = "FailInstantiate";
const char kId[4] = {'f', 'F', 'i', 's'};
const Parameter kParameters[] = {{"Amount", 0.5f}};
#elif FAKE_KIND == FAKE_FAIL_FRAME
// Answers FF_FAIL for its third frame.
const char kName[16] = "FailFrame";
const char kId[4] = {'f', 'F', 'f', 'r'};
const Parameter kParameters[] = {{"Amount", 0.5f}};
#endif

constexpr uint32_t kParameterCount = sizeof kParameters / sizeof kParameters[0];

struct Instance {
  ff::VideoInfoStruct video;
  float values[kParameterCount];
  int frames;
};

char description[] = "test fixture effect";
char about[] = "fixture";
char displayText[32];

ff::PluginInfoStruct MakeInfo() {
  ff::PluginInfoStruct info{};
  info.APIMajorVersion = 1;
  std::memcpy(info.PluginUniqueID, kId, 4);
  std::memcpy(info.PluginName, kName, 16);
  info.PluginType = ff::FF_EFFECT;
  return info;
}

ff::PluginInfoStruct info = MakeInfo();
ff::PluginExtendedInfoStruct extendedInfo{1, 0, description, about, 0, nullptr};

uint32_t Bits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

uint8_t ByteOf(float value) {
  if (!(value > 0.0f)) return 0;
  return static_cast<uint8_t>(value >= 1.0f ? 255.0f : value * 255.0f);
}

uint32_t ProcessFrame(Instance& instance, uint8_t* pixels) {
  if (FAKE_KIND == FAKE_FAIL_FRAME && instance.frames == 2) return ff::FF_FAIL;
  ++instance.frames;
  const std::size_t count = std::size_t{instance.video.frameWidth} * instance.video.frameHeight;
  for (std::size_t i = 0; i < count; ++i) {
    uint8_t* pixel = pixels + i * 3;
    if (FAKE_KIND == FAKE_SWAP) {
      const uint8_t first = pixel[0];
      pixel[0] = pixel[1];
      pixel[1] = first;
    } else if (FAKE_KIND == FAKE_STAMP) {
      pixel[0] = ByteOf(instance.values[0]);
      pixel[2] = ByteOf(instance.values[kParameterCount - 1]);
      if (i < 64 && i < instance.video.frameWidth) pixel[1] = static_cast<uint8_t>(std::rand());
    }
  }
  return ff::FF_SUCCESS;
}

ff::FFMixed Number(uint32_t number) {
  return ff::MixedFromNumber(number);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) ff::FFMixed plugMain(uint32_t code,
                                                                       ff::FFMixed input,
                                                                       ff::FFInstanceID id) {
  const uint32_t number = ff::NumberFromMixed(input);
  auto* instance = static_cast<Instance*>(id);
  switch (code) {
    case ff::FF_GETINFO:
      return ff::MixedFromPointer(&info);
    case ff::FF_GETEXTENDEDINFO:
      return ff::MixedFromPointer(&extendedInfo);
    case ff::FF_INITIALISE:
      return Number(FAKE_KIND == FAKE_FAIL_INITIALISE ? ff::FF_FAIL : ff::FF_SUCCESS);
    case ff::FF_DEINITIALISE:
      return Number(ff::FF_SUCCESS);
    case ff::FF_GETNUMPARAMETERS:
      return Number(kParameterCount);
    case ff::FF_GETPARAMETERNAME:
      return number < kParameterCount ? ff::MixedFromPointer(kParameters[number].name) : Number(0);
    case ff::FF_GETPARAMETERDEFAULT:
      return Number(number < kParameterCount ? Bits(kParameters[number].defaultValue)
                                             : ff::FF_FAIL);
    case ff::FF_GETPARAMETERTYPE:
      return Number(number < kParameterCount ? ff::FF_TYPE_STANDARD : ff::FF_FAIL);
    case ff::FF_GETPLUGINCAPS:
      return Number(number == ff::FF_CAP_24BITVIDEO || number == ff::FF_CAP_MINIMUMINPUTFRAMES ||
                    number == ff::FF_CAP_MAXIMUMINPUTFRAMES);
    case ff::FF_INSTANTIATE: {
      if (FAKE_KIND == FAKE_FAIL_INSTANTIATE || input.PointerValue == nullptr)
        return Number(ff::FF_FAIL);
      auto* made = new (std::nothrow) Instance{};
      if (made == nullptr) return Number(ff::FF_FAIL);
      made->video = *static_cast<const ff::VideoInfoStruct*>(input.PointerValue);
      for (uint32_t i = 0; i < kParameterCount; ++i) made->values[i] = kParameters[i].defaultValue;
      return ff::MixedFromPointer(made);
    }
    default:
      break;
  }
  if (instance == nullptr) return Number(ff::FF_FAIL);
  switch (code) {
    case ff::FF_DEINSTANTIATE:
      delete instance;
      return Number(ff::FF_SUCCESS);
    case ff::FF_PROCESSFRAME:
      return Number(ProcessFrame(*instance, static_cast<uint8_t*>(input.PointerValue)));
    case ff::FF_SETPARAMETER: {
      const auto* change = static_cast<const ff::SetParameterStruct*>(input.PointerValue);
      if (change == nullptr || change->ParameterNumber >= kParameterCount)
        return Number(ff::FF_FAIL);
      instance->values[change->ParameterNumber] = change->NewParameterValue.FloatValue;
      return Number(ff::FF_SUCCESS);
    }
    case ff::FF_GETPARAMETER:
      return Number(number < kParameterCount ? Bits(instance->values[number]) : ff::FF_FAIL);
    case ff::FF_GETPARAMETERDISPLAY:
      if (number >= kParameterCount) return Number(0);
      std::snprintf(displayText, sizeof displayText, "%.2f",
                    static_cast<double>(instance->values[number]));
      return ff::MixedFromPointer(displayText);
    default:
      return Number(ff::FF_FAIL);
  }
}
