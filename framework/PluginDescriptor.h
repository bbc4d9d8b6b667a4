// The identity of a plug-in library and the factory of its effect class. Each plug-in defines
// one descriptor at namespace scope, so it exists from load to unload.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "EffectBase.h"
#include "FreeFrame.h"

namespace ff {

// Makes one instance; on failure stores null and answers FF_FAIL.
using CreateInstanceFn = FFResult (*)(EffectBase** instance);

class PluginDescriptor {
 public:
  PluginDescriptor(CreateInstanceFn factory, const char* uniqueId, const char* pluginName,
                   uint32_t apiMajorVersion, uint32_t apiMinorVersion,
                   uint32_t pluginMajorVersion, uint32_t pluginMinorVersion, uint32_t pluginType,
                   const char* description, const char* about, uint32_t extendedDataSize,
                   const void* extendedDataBlock);
  ~PluginDescriptor();
  PluginDescriptor(const PluginDescriptor&) = delete;
  PluginDescriptor& operator=(const PluginDescriptor&) = delete;

  const PluginInfoStruct* Info() const { return &info; }
  const PluginExtendedInfoStruct* ExtendedInfo() const { return &extendedInfo; }
  CreateInstanceFn Factory() const { return factory; }

 private:
  PluginInfoStruct info{};
  PluginExtendedInfoStruct extendedInfo{};
  CreateInstanceFn factory;
  std::string descriptionCopy;
  std::string aboutCopy;
  std::vector<uint8_t> extendedDataCopy;
};

// The factory of effect class T.
template <class T>
FFResult CreateInstance(EffectBase** instance) {
  try {
    *instance = new T();
    return FF_SUCCESS;
  } catch (...) {
    *instance = nullptr;
    return FF_FAIL;
  }
}

// The descriptor every effect of this pack registers: API 1.0, version 1.0, an effect, about
// text "Q.V" and no extended data.
template <class T>
class EffectRegistration {
 public:
  EffectRegistration(const char* uniqueId, const char* pluginName, const char* description)
      : descriptor(&CreateInstance<T>, uniqueId, pluginName, 1, 0, 1, 0, FF_EFFECT, description,
                   "Q.V", 0, nullptr) {}

 private:
  PluginDescriptor descriptor;
};

}  // namespace ff
