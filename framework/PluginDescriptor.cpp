#include "PluginDescriptor.h"

#include "PluginRegistry.h"

namespace ff {

namespace {

// Fills a fixed-width text field: a zero character is copied and ends the copy, a longer text
// fills the whole field with no terminator, and the rest of the field stays 0.
template <std::size_t N>
void CopyFixedField(uint8_t (&field)[N], const char* text) {
  for (std::size_t i = 0; text != nullptr && i < N; ++i) {
    field[i] = static_cast<uint8_t>(text[i]);
    if (text[i] == '\0') break;
  }
}

}  // namespace

PluginDescriptor::PluginDescriptor(CreateInstanceFn factory, const char* uniqueId,
                                   const char* pluginName, uint32_t apiMajorVersion,
                                   uint32_t apiMinorVersion, uint32_t pluginMajorVersion,
                                   uint32_t pluginMinorVersion, uint32_t pluginType,
                                   const char* description, const char* about,
                                   uint32_t extendedDataSize, const void* extendedDataBlock)
    : factory(factory),
      descriptionCopy(description != nullptr ? description : ""),
      aboutCopy(about != nullptr ? about : "") {
  info.APIMajorVersion = apiMajorVersion;
  info.APIMinorVersion = apiMinorVersion;
  info.PluginType = pluginType;
  CopyFixedField(info.PluginName, pluginName);
  CopyFixedField(info.PluginUniqueID, uniqueId);
  extendedInfo.PluginMajorVersion = pluginMajorVersion;
  extendedInfo.PluginMinorVersion = pluginMinorVersion;
  extendedInfo.About = &aboutCopy[0];
  extendedInfo.Description = &descriptionCopy[0];
  if (extendedDataSize > 0 && extendedDataBlock != nullptr) {
    const auto* block = static_cast<const uint8_t*>(extendedDataBlock);
    extendedDataCopy.assign(block, block + extendedDataSize);
    extendedInfo.FreeFrameExtendedDataSize = extendedDataSize;
    extendedInfo.FreeFrameExtendedDataBlock = extendedDataCopy.data();
  }
  RegisterDescriptor(this);
}

PluginDescriptor::~PluginDescriptor() { UnregisterDescriptor(this); }

}  // namespace ff
