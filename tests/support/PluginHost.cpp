#include "PluginHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "LoadedLibrary.h"

namespace test {

namespace {

// What a careless host leaves in the half of a word that FreeFrame 1.0 does not define.
uint64_t Garbage() { return sizeof(void*) > 4 ? 0x00007fa4u : 0; }

FFMixed NumberWithGarbage(uint32_t number) {
  FFMixed mixed;
  mixed.PointerValue = reinterpret_cast<void*>(
      static_cast<uintptr_t>((Garbage() << 16 << 16) | static_cast<uint64_t>(number)));
  return mixed;
}

}  // namespace

float FloatFromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

uint32_t BitsFromFloat(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::string PluginHost::PluginPath(const std::string& name) {
  return std::string(PLUGIN_DIR) + "/" + name + PLUGIN_SUFFIX;
}

std::vector<std::string> PluginHost::AllPluginNames() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(PLUGIN_DIR)) {
    if (entry.path().extension() == PLUGIN_SUFFIX) names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

PluginHost::PluginHost(const std::string& name, bool freshCopy) {
  std::string path = PluginPath(name);
  if (freshCopy) {
    static int copies = 0;
    copyPath = (std::filesystem::temp_directory_path() /
                (name + "-" + std::to_string(CurrentProcessId()) + "-" +
                 std::to_string(++copies) + PLUGIN_SUFFIX))
                   .string();
    std::filesystem::copy_file(path, copyPath, std::filesystem::copy_options::overwrite_existing);
    path = copyPath;
  }
  library = OpenLibrary(path);
  plugMain = reinterpret_cast<ff::PlugMainFunction>(LibrarySymbol(library, "plugMain"));
  if (plugMain == nullptr) throw std::runtime_error("no plugMain in " + path);
}

PluginHost::~PluginHost() {
  if (!copyPath.empty()) {
    CloseLibrary(library);
    std::filesystem::remove(copyPath);
  }
}

FFMixed PluginHost::Call(uint32_t code, FFMixed input, void* instance) const {
  return plugMain(code, input, instance);
}

uint32_t PluginHost::CallNumber(uint32_t code, uint32_t number, void* instance) const {
  return NumericResult(code, Call(code, NumberWithGarbage(number), instance));
}

uint32_t PluginHost::CallPointer(uint32_t code, const void* pointer, void* instance) const {
  return NumericResult(code, Call(code, ff::MixedFromPointer(pointer), instance));
}

uint32_t PluginHost::NumericResult(uint32_t code, FFMixed result) {
  const auto word = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(result.PointerValue));
  EXPECT_EQ(word >> 16 >> 16, 0u) << "numeric result of code " << code
                                  << " has bits set above the low 32";
  return static_cast<uint32_t>(word);
}

const ff::PluginInfoStruct* PluginHost::Info() const {
  return static_cast<const ff::PluginInfoStruct*>(
      Call(ff::FF_GETINFO, NumberWithGarbage(0)).PointerValue);
}

const ff::PluginExtendedInfoStruct* PluginHost::ExtendedInfo() const {
  return static_cast<const ff::PluginExtendedInfoStruct*>(
      Call(ff::FF_GETEXTENDEDINFO, NumberWithGarbage(0)).PointerValue);
}

const char* PluginHost::ParameterNameField(uint32_t index) const {
  return static_cast<const char*>(
      Call(ff::FF_GETPARAMETERNAME, NumberWithGarbage(index)).PointerValue);
}

std::string PluginHost::ParameterName(uint32_t index) const {
  const char* field = ParameterNameField(index);
  if (field == nullptr) return {};
  return std::string(field, strnlen(field, 16));
}

uint32_t PluginHost::ParameterDefaultBits(uint32_t index) const {
  return CallNumber(ff::FF_GETPARAMETERDEFAULT, index);
}

void* PluginHost::InstantiateWith(const ff::VideoInfoStruct* info) const {
  const FFMixed result = Call(ff::FF_INSTANTIATE, ff::MixedFromPointer(info));
  if (reinterpret_cast<uintptr_t>(result.PointerValue) == ff::FF_FAIL) return nullptr;
  return result.PointerValue;
}

void* PluginHost::Instantiate(uint32_t width, uint32_t height, uint32_t bitDepth) const {
  const ff::VideoInfoStruct info{width, height, bitDepth, 1};
  return InstantiateWith(&info);
}

uint32_t PluginHost::SetParameterBits(void* instance, uint32_t index, uint32_t bits) const {
  ff::SetParameterStruct parameter;
  std::memset(&parameter, 0xA5, sizeof parameter);
  parameter.ParameterNumber = index;
  parameter.NewParameterValue.UIntValue = bits;
  return CallPointer(ff::FF_SETPARAMETER, &parameter, instance);
}

uint32_t PluginHost::SetParameter(void* instance, uint32_t index, float value) const {
  return SetParameterBits(instance, index, BitsFromFloat(value));
}

float PluginHost::GetParameter(void* instance, uint32_t index) const {
  return FloatFromBits(GetParameterBits(instance, index));
}

const char* PluginHost::ParameterDisplay(void* instance, uint32_t index) const {
  return static_cast<const char*>(
      Call(ff::FF_GETPARAMETERDISPLAY, NumberWithGarbage(index), instance).PointerValue);
}

Instance::Instance(const PluginHost& host, uint32_t width, uint32_t height, uint32_t bitDepth)
    : host(host), id_(host.Instantiate(width, height, bitDepth)) {
  if (id_ == nullptr) throw std::runtime_error("instantiate failed");
}

Instance::~Instance() { host.DeInstantiate(id_); }

}  // namespace test
