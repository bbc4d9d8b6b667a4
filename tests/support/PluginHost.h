// A FreeFrame host for tests: loads a built plug-in with dlopen and drives it only through
// plugMain, the way a 64-bit host does. Numeric inputs carry garbage in their upper 32 bits and
// SetParameterStruct carries garbage in its padding, as real hosts leave them; numeric results
// are checked to have their upper bits zero.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FreeFrame.h"

namespace test {

using ff::FFMixed;

class PluginHost {
 public:
  // Loads <plug-in folder>/<name>.so. A fresh copy is a private copy of the file, loaded as a
  // library of its own, so its process-wide state starts as at load.
  explicit PluginHost(const std::string& name, bool freshCopy = false);
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  static std::string PluginPath(const std::string& name);
  static std::vector<std::string> AllPluginNames();

  FFMixed Call(uint32_t code, FFMixed input, void* instance = nullptr) const;
  uint32_t CallNumber(uint32_t code, uint32_t number, void* instance = nullptr) const;
  uint32_t CallPointer(uint32_t code, const void* pointer, void* instance = nullptr) const;

  const ff::PluginInfoStruct* Info() const;
  const ff::PluginExtendedInfoStruct* ExtendedInfo() const;
  uint32_t Initialise() const { return CallNumber(ff::FF_INITIALISE, 0); }
  uint32_t DeInitialise() const { return CallNumber(ff::FF_DEINITIALISE, 0); }
  uint32_t NumParameters() const { return CallNumber(ff::FF_GETNUMPARAMETERS, 0); }
  // The 16-byte name field, without what follows its first zero.
  std::string ParameterName(uint32_t index) const;
  const char* ParameterNameField(uint32_t index) const;
  uint32_t ParameterDefaultBits(uint32_t index) const;
  uint32_t ParameterType(uint32_t index) const {
    return CallNumber(ff::FF_GETPARAMETERTYPE, index);
  }
  uint32_t Caps(uint32_t capability) const { return CallNumber(ff::FF_GETPLUGINCAPS, capability); }

  // An instance identifier, or null when instantiate answered FF_FAIL.
  void* Instantiate(uint32_t width, uint32_t height, uint32_t bitDepth = ff::FF_DEPTH_24) const;
  void* InstantiateWith(const ff::VideoInfoStruct* info) const;
  uint32_t DeInstantiate(void* instance) const { return CallNumber(ff::FF_DEINSTANTIATE, 0, instance); }
  uint32_t SetParameter(void* instance, uint32_t index, float value) const;
  uint32_t SetParameterBits(void* instance, uint32_t index, uint32_t bits) const;
  uint32_t GetParameterBits(void* instance, uint32_t index) const {
    return CallNumber(ff::FF_GETPARAMETER, index, instance);
  }
  float GetParameter(void* instance, uint32_t index) const;
  const char* ParameterDisplay(void* instance, uint32_t index) const;
  uint32_t ProcessFrame(void* instance, void* frame) const {
    return CallPointer(ff::FF_PROCESSFRAME, frame, instance);
  }
  uint32_t InputStatus(void* instance, uint32_t input) const {
    return CallNumber(ff::FF_GETINPUTSTATUS, input, instance);
  }

 private:
  static uint32_t NumericResult(uint32_t code, FFMixed result);

  void* library = nullptr;
  ff::FFMixed (*plugMain)(uint32_t, ff::FFMixed, ff::FFInstanceID) = nullptr;
  std::string copyPath;
};

// An instance that is deInstantiated when it goes out of scope.
class Instance {
 public:
  Instance(const PluginHost& host, uint32_t width, uint32_t height,
           uint32_t bitDepth = ff::FF_DEPTH_24);
  ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  void* id() const { return id_; }
  uint32_t Set(uint32_t index, float value) const { return host.SetParameter(id_, index, value); }
  uint32_t Process(void* frame) const { return host.ProcessFrame(id_, frame); }

 private:
  const PluginHost& host;
  void* id_;
};

float FloatFromBits(uint32_t bits);
uint32_t BitsFromFloat(float value);

}  // namespace test
