#include "EffectBase.h"

#include <cstdio>
#include <cstring>
#include <limits>

namespace ff {

namespace {

// Large enough for the "%f" text of any float, the largest being 47 characters.
char displayText[64];

// Frames are addressed with 32-bit offsets; a geometry whose bytes do not fit is refused.
constexpr std::size_t kMaximumFrameBytes = std::numeric_limits<int32_t>::max();

int32_t FrameSide(uint32_t side) {
  return side > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())
             ? 0
             : static_cast<int32_t>(side);
}

}  // namespace

EffectBase::EffectBase() {
  EnableProcessFrameCopy(0);
  SetBitDepthMask(2);
  SetCopyPreference(1);
  SetMinimumInputs(1);
  SetMaximumInputs(1);
}

void EffectBase::AddFloatParameter(uint32_t index, const char* name, float defaultValue,
                                   float& field) {
  AddParameter(index, name, FF_TYPE_STANDARD, defaultValue);
  AcceptSpareParameter(index, defaultValue, field);
}

void EffectBase::AcceptSpareParameter(uint32_t index, float initialValue, float& field) {
  field = initialValue;
  floats.push_back({index, &field});
}

float* EffectBase::FindFloat(uint32_t index) {
  for (const FloatBinding& binding : floats) {
    if (binding.index == index) return binding.field;
  }
  return nullptr;
}

const char* EffectBase::GetParameterDisplay(uint32_t index) {
  const uint32_t type = parameterOwner->FindParameterType(index);
  const FFResult value = parameterOwner->GetParameter(index);
  if (value == FF_FAIL || type == FF_FAIL) return nullptr;
  if (type == FF_TYPE_TEXT) {
    return reinterpret_cast<const char*>(parameterOwner->FindParameterDefault(index));
  }
  float number;
  std::memcpy(&number, &value, sizeof number);
  std::snprintf(displayText, sizeof displayText, "%f", static_cast<double>(number));
  return displayText;
}

FFResult EffectBase::SetParameter(const SetParameterStruct* parameter) {
  if (parameter == nullptr) return FF_FAIL;
  float* field = FindFloat(parameter->ParameterNumber);
  if (field == nullptr) return FF_FAIL;
  *field = parameter->NewParameterValue.FloatValue;
  ParameterChanged(parameter->ParameterNumber);
  return FF_SUCCESS;
}

FFResult EffectBase::GetParameter(uint32_t index) {
  const float* field = FindFloat(index);
  if (field == nullptr) return FF_FAIL;
  uint32_t bits;
  std::memcpy(&bits, field, sizeof bits);
  return bits;
}

FFResult EffectBase::ProcessFrame(void* frame) {
  const VideoInfoStruct& info = videoInfo();
  if (info.bitDepth != FF_DEPTH_24 || frame == nullptr) return FF_FAIL;
  const Frame view{static_cast<uint8_t*>(frame), FrameSide(info.frameWidth),
                   FrameSide(info.frameHeight)};
  const uint64_t rowBytes = static_cast<uint64_t>(view.width) * 3;
  if (rowBytes > kMaximumFrameBytes || rowBytes * static_cast<uint64_t>(view.height) > kMaximumFrameBytes) {
    return FF_FAIL;
  }
  return Render(view);
}

FFResult EffectBase::ProcessFrameCopy(ProcessFrameCopyStruct*) { return FF_FAIL; }

FFResult EffectBase::GetInputStatus(uint32_t input) {
  return input < static_cast<uint32_t>(maximumInputs) ? 1 : FF_FAIL;
}

void EffectBase::ParameterChanged(uint32_t) {}

FFResult EffectBase::Render(const Frame&) { return FF_FAIL; }

}  // namespace ff

