// The base of every effect. It carries the per-instance operations that plugMain forwards to,
// the parameter floats the host sets and reads back, and the checks every frame call needs, so
// that an effect class only registers its parameters, derives its integers and renders frames.
#pragma once

#include <cstdint>
#include <vector>

#include "Frame.h"
#include "FreeFrame.h"
#include "PluginBase.h"

namespace ff {

class EffectBase : public PluginBase {
 public:
  // Every effect of this pack: no processFrameCopy, 24-bit frames only, no copy preference,
  // exactly one input frame.
  EffectBase();

  // Formats into one buffer that all instances of the plug-in share; 0 when there is no text.
  virtual const char* GetParameterDisplay(uint32_t index);
  virtual FFResult SetParameter(const SetParameterStruct* parameter);
  // The bit pattern of the parameter's float as last set, or FF_FAIL.
  virtual FFResult GetParameter(uint32_t index);
  virtual FFResult ProcessFrame(void* frame);
  virtual FFResult ProcessFrameCopy(ProcessFrameCopyStruct* frames);
  virtual FFResult GetInputStatus(uint32_t input);

  EffectBase* parameterOwner = this;

 protected:
  // Registers a standard parameter and keeps it in `field`, which starts at the default.
  void AddFloatParameter(uint32_t index, const char* name, float defaultValue, float& field);
  // A parameter index that the host may set and read although it is not registered.
  void AcceptSpareParameter(uint32_t index, float initialValue, float& field);

  // Called after the host set the float of `index`, to derive the effect's integers from it.
  virtual void ParameterChanged(uint32_t index);
  // Renders one 24-bit frame in place; the frame format has been checked already.
  virtual FFResult Render(const Frame& frame);

 private:
  struct FloatBinding {
    uint32_t index;
    float* field;
  };
  float* FindFloat(uint32_t index);

  std::vector<FloatBinding> floats;
};

}  // namespace ff
