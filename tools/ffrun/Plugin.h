// Loading FreeFrame 1.0 effect plug-ins and driving them through plugMain, as any host does.
// Everything a plug-in answers is treated as untrusted: texts are read only up to their field
// size and counts are bounded.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FreeFrame.h"

namespace ffrun {

struct ParameterInfo {
  uint32_t index;
  std::string name;
  uint32_t type;
  float defaultValue;
};

struct Capabilities {
  uint32_t video16, video24, video32, frameCopy, minimumInputs, maximumInputs, copyOrInPlace;
};

class PluginLibrary {
 public:
  // Loads, checks for plugMain and getInfo, and initialises; throws Failure otherwise.
  static std::unique_ptr<PluginLibrary> Load(const std::string& path);
  // Loads and reads the identity only: no effect constructor runs, so nothing draws random
  // numbers or resets shared state.
  static std::unique_ptr<PluginLibrary> Open(const std::string& path);
  void Initialise();
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  const std::string& Path() const { return path; }
  std::string FileName() const;
  const std::string& Name() const { return name; }
  const std::string& UniqueId() const { return uniqueId; }
  uint32_t ApiMajor() const { return apiMajor; }
  uint32_t ApiMinor() const { return apiMinor; }
  uint32_t PluginType() const { return pluginType; }
  bool HasExtendedInfo() const { return hasExtendedInfo; }
  uint32_t VersionMajor() const { return versionMajor; }
  uint32_t VersionMinor() const { return versionMinor; }
  const std::string& Description() const { return description; }
  const std::string& About() const { return about; }
  const std::vector<ParameterInfo>& Parameters() const { return parameters; }
  Capabilities QueryCapabilities() const;

  // True when PLUGIN names this library: its file name with or without ".so", or its
  // reported name.
  bool Answers(const std::string& plugin) const;
  // A parameter by its reported name (exact, else the one name equal ignoring case) or by its
  // index; nothing when no parameter matches.
  std::optional<ParameterInfo> FindParameter(const std::string& nameOrIndex) const;
  std::string ParameterNames() const;

  // Throws unless the library is an effect that takes 24-bit frames.
  void RequireVideoEffect() const;

  ff::FFMixed Call(uint32_t code, ff::FFMixed input, ff::FFInstanceID instance) const;
  uint32_t CallNumber(uint32_t code, uint32_t input, ff::FFInstanceID instance = nullptr) const;

 private:
  using PlugMainFunction = ff::FFMixed (*)(uint32_t, ff::FFMixed, ff::FFInstanceID);
  PluginLibrary(std::string path, void* handle, PlugMainFunction plugMain);
  void ReadIdentity();
  void ReadParameters();

  std::string path;
  void* handle;
  PlugMainFunction plugMain;
  std::string name, uniqueId, description, about;
  uint32_t apiMajor = 0, apiMinor = 0, pluginType = 0;
  bool hasExtendedInfo = false;
  bool initialised = false;
  uint32_t versionMajor = 0, versionMinor = 0;
  std::vector<ParameterInfo> parameters;
};

// One working instance for frames of one size; deInstantiated when it goes.
class PluginInstance {
 public:
  PluginInstance(const PluginLibrary& library, uint32_t width, uint32_t height);
  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  const PluginLibrary& Library() const { return library; }
  void SetParameter(const ParameterInfo& parameter, float value);
  // The plug-in's display text of a parameter, empty when it has none.
  std::string Display(uint32_t index) const;
  // Rewrites one 24-bit frame in place; false when the plug-in answers FF_FAIL.
  bool ProcessFrame(uint8_t* pixels);

 private:
  const PluginLibrary& library;
  ff::VideoInfoStruct videoInfo;
  ff::FFInstanceID id = nullptr;
};

// The folders searched for plug-ins: FREEFRAME_PATH when set, else the build's plug-in folder for
// the ffrun of the build tree and PREFIX/lib/freeframe for an ffrun installed in PREFIX/bin.
std::vector<std::string> PluginSearchFolders();
// The *.so files of the folders, sorted by name within each folder.
std::vector<std::string> LibraryFilesIn(const std::vector<std::string>& folders);
// A path (anything with a '/'), else the first library of the search folders that answers to
// the name. Throws Failure when none does.
std::unique_ptr<PluginLibrary> FindPlugin(const std::string& plugin);

std::string FormatValue(float value);

}  // namespace ffrun
