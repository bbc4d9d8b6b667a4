// What a host may ask of an instance before any frame flows: its registered parameters, its
// capabilities and its copy of the host's frame geometry.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "FreeFrame.h"

namespace ff {

struct ParameterSpec {
  uint32_t index = 0;
  std::array<char, 16> name{};  // zero-filled; no terminator when the name fills all 16 bytes
  uint32_t type = FF_TYPE_STANDARD;
  float defaultValue = 0.0f;
  char* textStorage = nullptr;  // a text parameter's value; no plug-in of this pack has one
};

class PluginBase {
 public:
  PluginBase() = default;
  PluginBase(const PluginBase&) = delete;
  PluginBase& operator=(const PluginBase&) = delete;
  virtual ~PluginBase();

  void EnableProcessFrameCopy(uint8_t supported) { copySupported = supported; }
  void SetBitDepthMask(uint32_t mask) { bitDepthMask = mask; }
  void SetCopyPreference(uint32_t preference) { copyPreference = preference; }
  void SetMinimumInputs(int32_t count) { minimumInputs = count; }
  void SetMaximumInputs(int32_t count) { maximumInputs = count; }

  // Appends an entry; a default outside 0.0 to 1.0, or NaN, is clamped into that range.
  void AddParameter(uint32_t index, const char* name, uint32_t type, float defaultValue);

  // Lookups find the first entry registered with the index.
  const char* FindParameterName(uint32_t index) const;
  uint32_t FindParameterType(uint32_t index) const;  // FF_FAIL when there is none
  const void* FindParameterDefault(uint32_t index) const;

  void SetVideoInfo(const VideoInfoStruct* info);

  int32_t parameterCount() const { return static_cast<int32_t>(parameters.size()); }
  uint32_t CapabilityAnswer(uint32_t capability) const;
  const VideoInfoStruct& videoInfo() const { return videoInfo_; }

 protected:
  int32_t maximumInputs = 0;

 private:
  const ParameterSpec* FindParameter(uint32_t index) const;

  std::vector<ParameterSpec> parameters;
  uint8_t copySupported = 0;
  uint32_t bitDepthMask = 2;
  uint32_t copyPreference = 1;
  int32_t minimumInputs = 0;
  VideoInfoStruct videoInfo_{0, 0, 1, 1};
};

}  // namespace ff
