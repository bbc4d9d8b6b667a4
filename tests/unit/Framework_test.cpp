// The framework behind plugMain, driven with a probe effect whose constructor, destructor and
// parameter calls can be watched and made to fail.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

#include "EffectBase.h"
#include "ParameterScaling.h"
#include "PluginDescriptor.h"

namespace ff {
namespace {

struct ProbeLog {
  int constructed = 0;
  int destroyed = 0;
  bool failConstruction = false;
  bool failSetParameter = false;
  uint32_t widthSeenBySetParameter = 12345;
};
ProbeLog probe;

class ProbeEffect : public EffectBase {
 public:
  ProbeEffect() {
    if (probe.failConstruction) throw std::runtime_error("no room");
    ++probe.constructed;
    AddFloatParameter(0, "Value", 0.5f, value);
    AddFloatParameter(1, "Clamped above", 1.5f, above);
    AddFloatParameter(2, "Twenty characters!!!", -0.2f, below);
    AcceptSpareParameter(3, 0.25f, spare);
  }
  ~ProbeEffect() override { ++probe.destroyed; }

  FFResult SetParameter(const SetParameterStruct* parameter) override {
    probe.widthSeenBySetParameter = videoInfo().frameWidth;
    return probe.failSetParameter ? FF_FAIL : EffectBase::SetParameter(parameter);
  }

 private:
  float value, above, below, spare;
};

const uint8_t kExtendedData[4] = {1, 2, 3, 4};
const PluginDescriptor probeDescriptor(&CreateInstance<ProbeEffect>, "probe",
                                       "ProbeWithALongerName", 1, 0, 2, 3, 0, "a probe",
                                       "about the probe", 4, kExtendedData);

uint32_t Call(uint32_t code, uint32_t number, void* instance = nullptr) {
  return NumberFromMixed(plugMain(code, MixedFromNumber(number), instance));
}

void* CallForPointer(uint32_t code, const void* pointer, void* instance = nullptr) {
  return plugMain(code, MixedFromPointer(pointer), instance).PointerValue;
}

class Framework : public ::testing::Test {
 protected:
  void SetUp() override {
    Call(FF_DEINITIALISE, 0);
    probe = ProbeLog{};
  }
  void TearDown() override { Call(FF_DEINITIALISE, 0); }
};

TEST_F(Framework, DescriptorCopiesItsTextsIntoFixedFields) {
  const auto* info = static_cast<const PluginInfoStruct*>(CallForPointer(FF_GETINFO, nullptr));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(std::memcmp(info->PluginUniqueID, "prob", 4), 0);
  EXPECT_EQ(std::memcmp(info->PluginName, "ProbeWithALonger", 16), 0) << "16 characters, no terminator";
  const auto* extended =
      static_cast<const PluginExtendedInfoStruct*>(CallForPointer(FF_GETEXTENDEDINFO, nullptr));
  EXPECT_EQ(extended->PluginMajorVersion, 2u);
  EXPECT_EQ(extended->PluginMinorVersion, 3u);
  EXPECT_STREQ(extended->Description, "a probe");
  EXPECT_STREQ(extended->About, "about the probe");
  ASSERT_EQ(extended->FreeFrameExtendedDataSize, 4u);
  EXPECT_NE(extended->FreeFrameExtendedDataBlock, static_cast<const void*>(kExtendedData));
  EXPECT_EQ(std::memcmp(extended->FreeFrameExtendedDataBlock, kExtendedData, 4), 0);
}

TEST_F(Framework, ParameterRegistrationClampsDefaultsAndFillsNames) {
  EXPECT_EQ(Call(FF_GETNUMPARAMETERS, 0), 3u) << "the spare index is accepted, not registered";
  EXPECT_EQ(probe.constructed, 1);
  const struct {
    uint32_t index;
    float expectedDefault;
  } defaults[] = {{0, 0.5f}, {1, 1.0f}, {2, 0.0f}};
  for (const auto& d : defaults) {
    float value;
    const uint32_t bits = Call(FF_GETPARAMETERDEFAULT, d.index);
    std::memcpy(&value, &bits, sizeof value);
    EXPECT_EQ(value, d.expectedDefault) << "parameter " << d.index;
  }
  const char* value = static_cast<const char*>(CallForPointer(FF_GETPARAMETERNAME, nullptr));
  ASSERT_NE(value, nullptr);
  const char expectedValue[16] = {'V', 'a', 'l', 'u', 'e'};
  EXPECT_EQ(std::memcmp(value, expectedValue, 16), 0);
  const char* longName = static_cast<const char*>(
      plugMain(FF_GETPARAMETERNAME, MixedFromNumber(2), nullptr).PointerValue);
  EXPECT_EQ(std::memcmp(longName, "Twenty character", 16), 0);
}

TEST(PluginBase, DefaultsOfEveryKindAreClampedIntoTheUnitRange) {
  PluginBase base;
  const float inputs[] = {1.5f, -0.2f, std::nanf(""), 0.3f, std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity()};
  const float stored[] = {1.0f, 0.0f, 0.0f, 0.3f, 1.0f, 0.0f};
  for (uint32_t i = 0; i < 6; ++i) {
    base.AddParameter(i, "p", FF_TYPE_STANDARD, inputs[i]);
    EXPECT_EQ(*static_cast<const float*>(base.FindParameterDefault(i)), stored[i]) << "input " << inputs[i];
  }
}

TEST(PluginBase, LookupsFindTheFirstEntryOfAnIndex) {
  PluginBase base;
  base.AddParameter(7, "first", FF_TYPE_STANDARD, 0.25f);
  base.AddParameter(7, "second", FF_TYPE_TEXT, 0.75f);
  EXPECT_EQ(base.parameterCount(), 2);
  EXPECT_STREQ(base.FindParameterName(7), "first");
  EXPECT_EQ(base.FindParameterType(7), FF_TYPE_STANDARD);
  EXPECT_EQ(*static_cast<const float*>(base.FindParameterDefault(7)), 0.25f);
  EXPECT_EQ(base.FindParameterName(8), nullptr);
  EXPECT_EQ(base.FindParameterType(8), FF_FAIL);
  EXPECT_EQ(base.FindParameterDefault(8), nullptr);
  PluginBase text;
  text.AddParameter(0, "text", FF_TYPE_TEXT, 0.0f);
  EXPECT_EQ(text.FindParameterDefault(0), nullptr) << "a text parameter answers its (empty) storage";
}

TEST(PluginBase, CapabilityAnswersFollowTheFields) {
  PluginBase base;
  EXPECT_EQ(base.CapabilityAnswer(FF_CAP_24BITVIDEO), 1u) << "the constructor's mask is 24-bit";
  EXPECT_EQ(base.CapabilityAnswer(FF_CAP_MINIMUMINPUTFRAMES), 0u);
  const struct {
    uint32_t preference, answer;
  } preferences[] = {{1, 0}, {2, 1}, {4, 2}, {8, 3}, {0, 0}, {6, 1}, {12, 2}, {16, 0}};
  for (const auto& p : preferences) {
    base.SetCopyPreference(p.preference);
    EXPECT_EQ(base.CapabilityAnswer(FF_CAP_COPYORINPLACE), p.answer) << "preference " << p.preference;
  }
  base.SetBitDepthMask(5);
  EXPECT_EQ(base.CapabilityAnswer(FF_CAP_16BITVIDEO), 1u);
  EXPECT_EQ(base.CapabilityAnswer(FF_CAP_24BITVIDEO), 0u);
  EXPECT_EQ(base.CapabilityAnswer(FF_CAP_32BITVIDEO), 1u);
  base.SetMinimumInputs(-3);
  base.SetMaximumInputs(-1);
  EXPECT_EQ(base.CapabilityAnswer(FF_CAP_MINIMUMINPUTFRAMES), 0u);
  EXPECT_EQ(base.CapabilityAnswer(FF_CAP_MAXIMUMINPUTFRAMES), 0u);
  base.EnableProcessFrameCopy(7);
  EXPECT_EQ(base.CapabilityAnswer(FF_CAP_PROCESSFRAMECOPY), 1u);
}

TEST_F(Framework, InitialiseMakesOneTemplateAndDeInitialiseEndsIt) {
  EXPECT_EQ(Call(FF_DEINITIALISE, 0), FF_SUCCESS) << "no template yet";
  EXPECT_EQ(Call(FF_INITIALISE, 0), FF_SUCCESS);
  EXPECT_EQ(Call(FF_INITIALISE, 0), FF_SUCCESS);
  EXPECT_EQ(probe.constructed, 1);
  EXPECT_EQ(Call(FF_DEINITIALISE, 0), FF_SUCCESS);
  EXPECT_EQ(probe.destroyed, 1);
  EXPECT_EQ(Call(FF_GETPARAMETERTYPE, 0), FF_TYPE_STANDARD);
  EXPECT_EQ(probe.constructed, 2) << "a query after deInitialise makes a new template";
}

TEST_F(Framework, InstantiatePushesDefaultsBeforeTheGeometry) {
  const VideoInfoStruct info{320, 240, FF_DEPTH_24, 1};
  void* instance = CallForPointer(FF_INSTANTIATE, &info);
  ASSERT_NE(reinterpret_cast<uintptr_t>(instance), FF_FAIL);
  EXPECT_EQ(probe.widthSeenBySetParameter, 0u);
  const auto* effect = static_cast<EffectBase*>(instance);
  EXPECT_EQ(effect->videoInfo().frameWidth, 320u);
  EXPECT_EQ(effect->parameterOwner, effect);
  EXPECT_EQ(Call(FF_GETPARAMETER, 3, instance), 0x3E800000u) << "the spare index keeps 0.25";
  EXPECT_EQ(Call(FF_DEINSTANTIATE, 0, instance), FF_SUCCESS);

  void* bare = CallForPointer(FF_INSTANTIATE, nullptr);
  const VideoInfoStruct& geometry = static_cast<EffectBase*>(bare)->videoInfo();
  EXPECT_EQ(geometry.frameWidth, 0u);
  EXPECT_EQ(geometry.frameHeight, 0u);
  EXPECT_EQ(geometry.bitDepth, 1u);
  EXPECT_EQ(geometry.orientation, 1u);
  Call(FF_DEINSTANTIATE, 0, bare);
}

TEST_F(Framework, AFailedDefaultPushDiscardsTheNewInstance) {
  Call(FF_INITIALISE, 0);
  probe.failSetParameter = true;
  const VideoInfoStruct info{8, 8, FF_DEPTH_24, 1};
  EXPECT_EQ(Call(FF_INSTANTIATE, 0) /* null geometry */, FF_FAIL);
  EXPECT_EQ(NumberFromMixed(plugMain(FF_INSTANTIATE, MixedFromPointer(&info), nullptr)), FF_FAIL);
  EXPECT_EQ(probe.constructed - 1, probe.destroyed) << "the refused instances are released";
}

TEST_F(Framework, AFactoryThatCannotAllocateFailsEveryTemplateQuery) {
  probe.failConstruction = true;
  EXPECT_EQ(Call(FF_INITIALISE, 0), FF_FAIL);
  EXPECT_EQ(Call(FF_GETNUMPARAMETERS, 0), FF_FAIL);
  EXPECT_EQ(CallForPointer(FF_GETPARAMETERNAME, nullptr), nullptr);
  EXPECT_EQ(Call(FF_GETPARAMETERDEFAULT, 0), FF_FAIL);
  EXPECT_EQ(Call(FF_GETPARAMETERTYPE, 0), FF_FAIL);
  EXPECT_EQ(Call(FF_GETPLUGINCAPS, 1), FF_FAIL);
  EXPECT_EQ(Call(FF_INSTANTIATE, 0), FF_FAIL);
  probe.failConstruction = false;
  EXPECT_EQ(Call(FF_INITIALISE, 0), FF_SUCCESS);
}

TEST_F(Framework, DisplayTextsShareOneBuffer) {
  void* a = CallForPointer(FF_INSTANTIATE, nullptr);
  void* b = CallForPointer(FF_INSTANTIATE, nullptr);
  const struct {
    float value;
    const char* text;
  } displays[] = {{0.5f, "0.500000"}, {0.01f, "0.010000"}, {1.0f, "1.000000"},
                  {-2.5f, "-2.500000"}, {std::numeric_limits<float>::max(),
                   "340282346638528859811704183484516925440.000000"}};
  for (const auto& d : displays) {
    SetParameterStruct parameter{};
    parameter.ParameterNumber = 0;
    parameter.NewParameterValue.FloatValue = d.value;
    ASSERT_EQ(NumberFromMixed(plugMain(FF_SETPARAMETER, MixedFromPointer(&parameter), a)), FF_SUCCESS);
    EXPECT_STREQ(static_cast<const char*>(plugMain(FF_GETPARAMETERDISPLAY, MixedFromNumber(0), a).PointerValue), d.text);
  }
  const char* textOfA = static_cast<const char*>(plugMain(FF_GETPARAMETERDISPLAY, MixedFromNumber(0), a).PointerValue);
  plugMain(FF_GETPARAMETERDISPLAY, MixedFromNumber(0), b);
  EXPECT_STREQ(textOfA, "0.500000") << "B's text now stands in the shared buffer";

  SetParameterStruct nan{};
  nan.NewParameterValue.UIntValue = 0xFFFFFFFFu;
  plugMain(FF_SETPARAMETER, MixedFromPointer(&nan), a);
  EXPECT_EQ(plugMain(FF_GETPARAMETERDISPLAY, MixedFromNumber(0), a).PointerValue, nullptr)
      << "a stored pattern equal to FF_FAIL reads as a failed lookup";
  Call(FF_DEINSTANTIATE, 0, a);
  Call(FF_DEINSTANTIATE, 0, b);
}

TEST(ParameterScaling, ExactProductsAndSaturation) {
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    float value;
    double factor;
    int32_t expected;
  } cases[] = {{0.7f, 50, 34},        {0.01f, 100, 0},          {0.01f, 1000, 9},
               {0.32f, 100, 31},      {0.2f, 640, 128},         {0.26f, 15, 3},
               {-0.55f, 10, -5},      {1.0f, 256, 256},         {std::nanf(""), 100, 0},
               {inf, 10, INT32_MAX},  {-inf, 10, INT32_MIN},    {1e10f, 1, INT32_MAX},
               {-1e10f, 1, INT32_MIN}, {2147483520.0f, 1, 2147483520}};
  for (const auto& c : cases) {
    EXPECT_EQ(ScaleParameter(c.value, c.factor), c.expected) << c.value << " x " << c.factor;
  }
  EXPECT_EQ(LowByte(256), 0);
  EXPECT_EQ(LowByte(INT32_MAX), 255);
  EXPECT_EQ(AtLeast(0, 1), 1);
  EXPECT_EQ(AtLeast(7, 1), 7);
}

}  // namespace
}  // namespace ff
