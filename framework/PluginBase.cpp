#include "PluginBase.h"

#include <cmath>
#include <cstdlib>

namespace ff {

PluginBase::~PluginBase() {
  for (ParameterSpec& parameter : parameters) {
    if (parameter.type == FF_TYPE_TEXT) std::free(parameter.textStorage);
  }
}

void PluginBase::AddParameter(uint32_t index, const char* name, uint32_t type,
                              float defaultValue) {
  ParameterSpec parameter;
  parameter.index = index;
  for (std::size_t i = 0; name != nullptr && i < parameter.name.size() && name[i] != '\0'; ++i) {
    parameter.name[i] = name[i];
  }
  parameter.type = type;
  if (defaultValue > 1.0f) defaultValue = 1.0f;
  if (defaultValue < 0.0f || std::isnan(defaultValue)) defaultValue = 0.0f;
  parameter.defaultValue = defaultValue;
  parameters.push_back(parameter);
}

const ParameterSpec* PluginBase::FindParameter(uint32_t index) const {
  for (const ParameterSpec& parameter : parameters) {
    if (parameter.index == index) return &parameter;
  }
  return nullptr;
}

const char* PluginBase::FindParameterName(uint32_t index) const {
  const ParameterSpec* parameter = FindParameter(index);
  return parameter != nullptr ? parameter->name.data() : nullptr;
}

uint32_t PluginBase::FindParameterType(uint32_t index) const {
  const ParameterSpec* parameter = FindParameter(index);
  return parameter != nullptr ? parameter->type : FF_FAIL;
}

const void* PluginBase::FindParameterDefault(uint32_t index) const {
  const ParameterSpec* parameter = FindParameter(index);
  if (parameter == nullptr) return nullptr;
  if (parameter->type == FF_TYPE_TEXT) return parameter->textStorage;
  return &parameter->defaultValue;
}

void PluginBase::SetVideoInfo(const VideoInfoStruct* info) {
  if (info != nullptr) videoInfo_ = *info;
}

uint32_t PluginBase::CapabilityAnswer(uint32_t capability) const {
  switch (capability) {
    case FF_CAP_16BITVIDEO:
      return bitDepthMask & 1u;
    case FF_CAP_24BITVIDEO:
      return (bitDepthMask >> 1) & 1u;
    case FF_CAP_32BITVIDEO:
      return (bitDepthMask >> 2) & 1u;
    case FF_CAP_PROCESSFRAMECOPY:
      return copySupported != 0 ? 1 : 0;
    case FF_CAP_MINIMUMINPUTFRAMES:
      return minimumInputs < 0 ? 0 : static_cast<uint32_t>(minimumInputs);
    case FF_CAP_MAXIMUMINPUTFRAMES:
      return maximumInputs < 0 ? 0 : static_cast<uint32_t>(maximumInputs);
    case FF_CAP_COPYORINPLACE:
      if (copyPreference & 1u) return 0;
      if (copyPreference & 2u) return 1;
      if (copyPreference & 4u) return 2;
      if (copyPreference & 8u) return 3;
      return 0;
    default:
      return 0;
  }
}

}  // namespace ff
