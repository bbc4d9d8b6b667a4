// The FreeFrame 1.0 plug-in interface as this pack implements it: function codes, result
// values and the records that cross plugMain.
//
// Every word that crosses plugMain is one pointer-wide FFMixed. On a 32-bit platform that is the
// classic 32-bit word; on LP64 it is 64 bits wide so that it can carry an instance address, and
// numbers travel in its low 32 bits with the upper bits ignored on input and zero on output.
#pragma once

#include <cstdint>

// 32-bit Windows hosts call plugMain with the callee-cleans convention; every other platform
// has one convention. Windows libraries export through framework/plugMain.def, elsewhere the
// symbol is made visible here and a version script hides the rest.
#if defined(_WIN32) && !defined(_WIN64)
#define FF_CALLCONV __stdcall
#else
#define FF_CALLCONV
#endif
#if defined(_WIN32)
#define FF_EXPORT
#else
#define FF_EXPORT __attribute__((visibility("default")))
#endif

namespace ff {

union FFMixed {
  uint32_t UIntValue;
  float FloatValue;
  void* PointerValue;
};

using FFInstanceID = void*;
using FFResult = uint32_t;

constexpr FFResult FF_SUCCESS = 0;
constexpr FFResult FF_FAIL = 0xFFFFFFFFu;

constexpr uint32_t FF_TYPE_STANDARD = 10;
constexpr uint32_t FF_TYPE_TEXT = 100;

constexpr uint32_t FF_EFFECT = 0;

enum FunctionCode : uint32_t {
  FF_GETINFO = 0,
  FF_INITIALISE = 1,
  FF_DEINITIALISE = 2,
  FF_PROCESSFRAME = 3,
  FF_GETNUMPARAMETERS = 4,
  FF_GETPARAMETERNAME = 5,
  FF_GETPARAMETERDEFAULT = 6,
  FF_GETPARAMETERDISPLAY = 7,
  FF_SETPARAMETER = 8,
  FF_GETPARAMETER = 9,
  FF_GETPLUGINCAPS = 10,
  FF_INSTANTIATE = 11,
  FF_DEINSTANTIATE = 12,
  FF_GETEXTENDEDINFO = 13,
  FF_PROCESSFRAMECOPY = 14,
  FF_GETPARAMETERTYPE = 15,
  FF_GETINPUTSTATUS = 16,
};

enum CapabilityCode : uint32_t {
  FF_CAP_16BITVIDEO = 0,
  FF_CAP_24BITVIDEO = 1,
  FF_CAP_32BITVIDEO = 2,
  FF_CAP_PROCESSFRAMECOPY = 3,
  FF_CAP_MINIMUMINPUTFRAMES = 10,
  FF_CAP_MAXIMUMINPUTFRAMES = 11,
  FF_CAP_COPYORINPLACE = 15,
};

constexpr uint32_t FF_DEPTH_16 = 0;
constexpr uint32_t FF_DEPTH_24 = 1;
constexpr uint32_t FF_DEPTH_32 = 2;

struct PluginInfoStruct {
  uint32_t APIMajorVersion;
  uint32_t APIMinorVersion;
  uint8_t PluginUniqueID[4];
  uint8_t PluginName[16];
  uint32_t PluginType;
};

struct PluginExtendedInfoStruct {
  uint32_t PluginMajorVersion;
  uint32_t PluginMinorVersion;
  char* Description;
  char* About;
  uint32_t FreeFrameExtendedDataSize;
  void* FreeFrameExtendedDataBlock;
};

struct VideoInfoStruct {
  uint32_t frameWidth;
  uint32_t frameHeight;
  uint32_t bitDepth;
  uint32_t orientation;
};

struct SetParameterStruct {
  uint32_t ParameterNumber;
  FFMixed NewParameterValue;
};

struct ProcessFrameCopyStruct {
  uint32_t numInputFrames;
  void** ppInputFrames;
  void* pOutputFrame;
};

static_assert(sizeof(PluginInfoStruct) == 32, "PluginInfoStruct is 32 bytes");
static_assert(sizeof(VideoInfoStruct) == 16, "VideoInfoStruct is four 32-bit words");
static_assert(sizeof(FFMixed) == sizeof(void*), "FFMixed is one pointer-wide word");

// A numeric FFMixed: the number in the low 32 bits, the rest of the word zero.
inline FFMixed MixedFromNumber(uint32_t number) {
  FFMixed mixed;
  mixed.PointerValue = reinterpret_cast<void*>(static_cast<uintptr_t>(number));
  return mixed;
}

inline FFMixed MixedFromPointer(const void* pointer) {
  FFMixed mixed;
  mixed.PointerValue = const_cast<void*>(pointer);
  return mixed;
}

// The low 32 bits of a word, whatever the host left in the rest of it.
inline uint32_t NumberFromMixed(FFMixed mixed) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(mixed.PointerValue));
}

// plugMain as a host holds it after looking it up by name.
using PlugMainFunction = FFMixed(FF_CALLCONV*)(uint32_t functionCode, FFMixed inputValue,
                                               FFInstanceID instanceID);

}  // namespace ff

extern "C" FF_EXPORT ff::FFMixed FF_CALLCONV plugMain(uint32_t functionCode, ff::FFMixed inputValue,
                                                      ff::FFInstanceID instanceID);
