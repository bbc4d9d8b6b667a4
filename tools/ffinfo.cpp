// ffinfo PLUGIN.so...: loads each FreeFrame 1.0 plug-in as a host does and prints its identity,
// capabilities and parameters.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "FreeFrame.h"

namespace {

using PlugMain = ff::FFMixed (*)(uint32_t, ff::FFMixed, ff::FFInstanceID);

uint32_t Number(PlugMain plugMain, uint32_t code, uint32_t input) {
  return ff::NumberFromMixed(plugMain(code, ff::MixedFromNumber(input), nullptr));
}

std::string FixedText(const uint8_t* field, std::size_t size) {
  const char* text = reinterpret_cast<const char*>(field);
  return std::string(text, strnlen(text, size));
}

bool Describe(const char* path) {
  void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "ffinfo: cannot load %s: %s\n", path, dlerror());
    return false;
  }
  auto plugMain = reinterpret_cast<PlugMain>(dlsym(library, "plugMain"));
  if (plugMain == nullptr) {
    std::fprintf(stderr, "ffinfo: %s is not a FreeFrame plug-in (no plugMain)\n", path);
    return false;
  }
  const auto* info = static_cast<const ff::PluginInfoStruct*>(
      plugMain(ff::FF_GETINFO, ff::MixedFromNumber(0), nullptr).PointerValue);
  const auto* extended = static_cast<const ff::PluginExtendedInfoStruct*>(
      plugMain(ff::FF_GETEXTENDEDINFO, ff::MixedFromNumber(0), nullptr).PointerValue);
  if (info == nullptr || Number(plugMain, ff::FF_INITIALISE, 0) != ff::FF_SUCCESS) {
    std::fprintf(stderr, "ffinfo: %s does not initialise\n", path);
    return false;
  }
  std::printf("%s\n  name \"%s\", unique ID \"%s\", API %u.%u", path,
              FixedText(info->PluginName, 16).c_str(), FixedText(info->PluginUniqueID, 4).c_str(),
              info->APIMajorVersion, info->APIMinorVersion);
  if (extended != nullptr) {
    std::printf(", version %u.%u\n  \"%s\" (about: \"%s\")", extended->PluginMajorVersion,
                extended->PluginMinorVersion, extended->Description ? extended->Description : "",
                extended->About ? extended->About : "");
  }
  std::printf("\n  frames: 16-bit %u, 24-bit %u, 32-bit %u; inputs %u to %u\n",
              Number(plugMain, ff::FF_GETPLUGINCAPS, ff::FF_CAP_16BITVIDEO),
              Number(plugMain, ff::FF_GETPLUGINCAPS, ff::FF_CAP_24BITVIDEO),
              Number(plugMain, ff::FF_GETPLUGINCAPS, ff::FF_CAP_32BITVIDEO),
              Number(plugMain, ff::FF_GETPLUGINCAPS, ff::FF_CAP_MINIMUMINPUTFRAMES),
              Number(plugMain, ff::FF_GETPLUGINCAPS, ff::FF_CAP_MAXIMUMINPUTFRAMES));
  const uint32_t count = Number(plugMain, ff::FF_GETNUMPARAMETERS, 0);
  for (uint32_t index = 0; count != ff::FF_FAIL && index < count; ++index) {
    const auto* name = static_cast<const uint8_t*>(
        plugMain(ff::FF_GETPARAMETERNAME, ff::MixedFromNumber(index), nullptr).PointerValue);
    const uint32_t bits = Number(plugMain, ff::FF_GETPARAMETERDEFAULT, index);
    float defaultValue;
    std::memcpy(&defaultValue, &bits, sizeof defaultValue);
    std::printf("  parameter %u \"%s\" type %u default %f\n", index,
                name ? FixedText(name, 16).c_str() : "", Number(plugMain, ff::FF_GETPARAMETERTYPE, index),
                static_cast<double>(defaultValue));
  }
  Number(plugMain, ff::FF_DEINITIALISE, 0);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ffinfo PLUGIN.so...\n");
    return 2;
  }
  bool allLoaded = true;
  for (int i = 1; i < argc; ++i) allLoaded = Describe(argv[i]) && allLoaded;
  return allLoaded ? 0 : 1;
}
