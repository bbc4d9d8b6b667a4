// The one export of every plug-in: the FreeFrame 1.0 entry point.
#include <cstring>
#include <mutex>

#include "EffectBase.h"
#include "FreeFrame.h"
#include "PluginDescriptor.h"
#include "PluginRegistry.h"

namespace ff {

namespace {

PluginDescriptor* descriptor = nullptr;
EffectBase* templateInstance = nullptr;

// Effects keep animation state shared by all instances of a library, and hosts do not always
// serialise their calls as FreeFrame 1.0 asks, so one call into a library runs at a time.
std::mutex& CallLock() {
  static std::mutex lock;
  return lock;
}

FFResult Initialise() {
  if (templateInstance != nullptr) return FF_SUCCESS;
  if (descriptor == nullptr) return FF_FAIL;
  return descriptor->Factory()(&templateInstance);
}

FFResult DeInitialise() {
  delete templateInstance;
  templateInstance = nullptr;
  return FF_SUCCESS;
}

// The template instance, made by initialise when there is none yet; null when that fails.
EffectBase* Template() {
  if (Initialise() == FF_FAIL) return nullptr;
  return templateInstance;
}

FFMixed Instantiate(const VideoInfoStruct* videoInfo) {
  if (descriptor == nullptr) return MixedFromNumber(FF_FAIL);
  EffectBase* prototype = Template();
  if (prototype == nullptr) return MixedFromNumber(FF_FAIL);
  EffectBase* instance = nullptr;
  if (descriptor->Factory()(&instance) == FF_FAIL || instance == nullptr) {
    return MixedFromNumber(FF_FAIL);
  }
  instance->parameterOwner = instance;
  for (int32_t index = 0; index < prototype->parameterCount(); ++index) {
    SetParameterStruct parameter{};
    parameter.ParameterNumber = static_cast<uint32_t>(index);
    const void* defaultValue = prototype->FindParameterDefault(parameter.ParameterNumber);
    if (defaultValue != nullptr) {
      std::memcpy(&parameter.NewParameterValue.UIntValue, defaultValue, sizeof(uint32_t));
    }
    if (instance->SetParameter(&parameter) == FF_FAIL) {
      delete instance;
      return MixedFromNumber(FF_FAIL);
    }
  }
  instance->SetVideoInfo(videoInfo);
  return MixedFromPointer(instance);
}

FFResult Capability(uint32_t capability) {
  const EffectBase* prototype = Template();
  return prototype == nullptr ? FF_FAIL : prototype->CapabilityAnswer(capability);
}

FFMixed Dispatch(uint32_t functionCode, FFMixed input, EffectBase* instance) {
  const uint32_t number = NumberFromMixed(input);
  switch (functionCode) {
    case FF_GETINFO:
      return MixedFromPointer(descriptor != nullptr ? descriptor->Info() : nullptr);
    case FF_INITIALISE:
      return MixedFromNumber(Initialise());
    case FF_DEINITIALISE:
      return MixedFromNumber(DeInitialise());
    case FF_GETNUMPARAMETERS: {
      const EffectBase* prototype = Template();
      return MixedFromNumber(prototype == nullptr
                                 ? FF_FAIL
                                 : static_cast<uint32_t>(prototype->parameterCount()));
    }
    case FF_GETPARAMETERNAME: {
      const EffectBase* prototype = Template();
      return MixedFromPointer(prototype == nullptr ? nullptr
                                                   : prototype->FindParameterName(number));
    }
    case FF_GETPARAMETERDEFAULT: {
      const EffectBase* prototype = Template();
      const void* found = prototype == nullptr ? nullptr : prototype->FindParameterDefault(number);
      if (found == nullptr) return MixedFromNumber(FF_FAIL);
      uint32_t bits;
      std::memcpy(&bits, found, sizeof bits);
      return MixedFromNumber(bits);
    }
    case FF_GETPARAMETERTYPE: {
      const EffectBase* prototype = Template();
      return MixedFromNumber(prototype == nullptr ? FF_FAIL : prototype->FindParameterType(number));
    }
    case FF_GETPLUGINCAPS:
      return MixedFromNumber(Capability(number));
    case FF_INSTANTIATE:
      return Instantiate(static_cast<const VideoInfoStruct*>(input.PointerValue));
    case FF_GETEXTENDEDINFO:
      return MixedFromPointer(descriptor != nullptr ? descriptor->ExtendedInfo() : nullptr);
    default:
      break;
  }

  if (functionCode > FF_GETINPUTSTATUS || instance == nullptr) return MixedFromNumber(FF_FAIL);
  switch (functionCode) {
    case FF_PROCESSFRAME:
      return MixedFromNumber(instance->ProcessFrame(input.PointerValue));
    case FF_GETPARAMETERDISPLAY:
      return MixedFromPointer(instance->GetParameterDisplay(number));
    case FF_SETPARAMETER:
      return MixedFromNumber(
          instance->SetParameter(static_cast<const SetParameterStruct*>(input.PointerValue)));
    case FF_GETPARAMETER:
      return MixedFromNumber(instance->GetParameter(number));
    case FF_DEINSTANTIATE:
      delete instance;
      return MixedFromNumber(FF_SUCCESS);
    case FF_PROCESSFRAMECOPY:
      return MixedFromNumber(
          instance->ProcessFrameCopy(static_cast<ProcessFrameCopyStruct*>(input.PointerValue)));
    case FF_GETINPUTSTATUS:
      return MixedFromNumber(instance->GetInputStatus(number));
    default:
      return MixedFromNumber(FF_FAIL);
  }
}

}  // namespace

void RegisterDescriptor(PluginDescriptor* registered) { descriptor = registered; }

void UnregisterDescriptor(PluginDescriptor* registered) {
  if (descriptor != registered) return;
  DeInitialise();
  descriptor = nullptr;
}

}  // namespace ff

extern "C" FF_EXPORT ff::FFMixed FF_CALLCONV plugMain(uint32_t functionCode,
                                                      ff::FFMixed inputValue,
                                                      ff::FFInstanceID instanceID) {
  try {
    std::lock_guard<std::mutex> guard(ff::CallLock());
    return ff::Dispatch(functionCode, inputValue, static_cast<ff::EffectBase*>(instanceID));
  } catch (...) {
    return ff::MixedFromNumber(ff::FF_FAIL);
  }
}
