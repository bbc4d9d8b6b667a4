#include "Plugin.h"

#include <dirent.h>
#include <dlfcn.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "Failure.h"

namespace ffrun {
namespace {

// A plug-in reporting more parameters than this is taken to answer garbage.
constexpr uint32_t kMostParameters = 1024;
// Description and about texts are C strings of the plug-in; read no further than this.
constexpr std::size_t kLongestText = 4096;
constexpr std::size_t kLongestDisplay = 64;

// An address a plug-in answered, or null when it answered 0 or FF_FAIL instead.
const void* AddressFrom(ff::FFMixed answer) {
  return ff::NumberFromMixed(answer) == ff::FF_FAIL ? nullptr : answer.PointerValue;
}

std::string FixedText(const void* field, std::size_t size) {
  if (field == nullptr) return {};
  const char* text = static_cast<const char*>(field);
  return std::string(text, strnlen(text, size));
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsRegularFile(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

float FloatFromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace

std::string FormatValue(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

PluginLibrary::PluginLibrary(std::string path, void* handle, PlugMainFunction plugMain)
    : path(std::move(path)), handle(handle), plugMain(plugMain) {}

std::unique_ptr<PluginLibrary> PluginLibrary::Load(const std::string& path) {
  std::unique_ptr<PluginLibrary> library = Open(path);
  library->Initialise();
  return library;
}

void PluginLibrary::Initialise() {
  if (CallNumber(ff::FF_INITIALISE, 0) != ff::FF_SUCCESS)
    throw Failure("plug-in " + name + " (" + path + ") fails initialise");
  initialised = true;
  ReadParameters();
}

std::unique_ptr<PluginLibrary> PluginLibrary::Open(const std::string& path) {
  if (!IsRegularFile(path)) throw Failure("cannot open plug-in " + path + ": no such file");
  // A bare file name would make dlopen search the system's library folders instead.
  const std::string loadPath = path.find('/') == std::string::npos ? "./" + path : path;
  void* handle = dlopen(loadPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    throw Failure(path + " is not a FreeFrame plug-in (cannot load it: " +
                  (reason ? reason : "unknown reason") + ")");
  }
  auto plugMain = reinterpret_cast<PlugMainFunction>(dlsym(handle, "plugMain"));
  if (plugMain == nullptr) {
    dlclose(handle);
    throw Failure(path + " is not a FreeFrame plug-in: it has no plugMain");
  }
  std::unique_ptr<PluginLibrary> library(new PluginLibrary(path, handle, plugMain));
  library->ReadIdentity();
  return library;
}

PluginLibrary::~PluginLibrary() {
  if (initialised) CallNumber(ff::FF_DEINITIALISE, 0);
  dlclose(handle);
}

ff::FFMixed PluginLibrary::Call(uint32_t code, ff::FFMixed input, ff::FFInstanceID instance) const {
  return plugMain(code, input, instance);
}

uint32_t PluginLibrary::CallNumber(uint32_t code, uint32_t input, ff::FFInstanceID instance) const {
  return ff::NumberFromMixed(Call(code, ff::MixedFromNumber(input), instance));
}

void PluginLibrary::ReadIdentity() {
  const auto* info = static_cast<const ff::PluginInfoStruct*>(
      AddressFrom(Call(ff::FF_GETINFO, ff::MixedFromNumber(0), nullptr)));
  if (info == nullptr) throw Failure(path + " is not a FreeFrame plug-in: getInfo answers nothing");
  apiMajor = info->APIMajorVersion;
  apiMinor = info->APIMinorVersion;
  uniqueId = FixedText(info->PluginUniqueID, sizeof info->PluginUniqueID);
  name = FixedText(info->PluginName, sizeof info->PluginName);
  pluginType = info->PluginType;
  if (name.empty()) name = FileName();
  const auto* extended = static_cast<const ff::PluginExtendedInfoStruct*>(
      AddressFrom(Call(ff::FF_GETEXTENDEDINFO, ff::MixedFromNumber(0), nullptr)));
  if (extended != nullptr) {
    hasExtendedInfo = true;
    versionMajor = extended->PluginMajorVersion;
    versionMinor = extended->PluginMinorVersion;
    description = FixedText(extended->Description, kLongestText);
    about = FixedText(extended->About, kLongestText);
  }
}

void PluginLibrary::ReadParameters() {
  uint32_t count = CallNumber(ff::FF_GETNUMPARAMETERS, 0);
  if (count == ff::FF_FAIL) count = 0;
  if (count > kMostParameters)
    throw Failure("plug-in " + name + " reports " + std::to_string(count) + " parameters");
  for (uint32_t index = 0; index < count; ++index) {
    ParameterInfo parameter{index, "", 0, 0.0f};
    parameter.name = FixedText(
        AddressFrom(Call(ff::FF_GETPARAMETERNAME, ff::MixedFromNumber(index), nullptr)), 16);
    if (parameter.name.empty()) parameter.name = std::to_string(index);
    parameter.type = CallNumber(ff::FF_GETPARAMETERTYPE, index);
    const uint32_t defaultBits = CallNumber(ff::FF_GETPARAMETERDEFAULT, index);
    if (parameter.type != ff::FF_TYPE_TEXT && defaultBits != ff::FF_FAIL)
      parameter.defaultValue = FloatFromBits(defaultBits);
    parameters.push_back(parameter);
  }
}

std::string PluginLibrary::FileName() const {
  return BaseName(path);
}

Capabilities PluginLibrary::QueryCapabilities() const {
  return {CallNumber(ff::FF_GETPLUGINCAPS, ff::FF_CAP_16BITVIDEO),
          CallNumber(ff::FF_GETPLUGINCAPS, ff::FF_CAP_24BITVIDEO),
          CallNumber(ff::FF_GETPLUGINCAPS, ff::FF_CAP_32BITVIDEO),
          CallNumber(ff::FF_GETPLUGINCAPS, ff::FF_CAP_PROCESSFRAMECOPY),
          CallNumber(ff::FF_GETPLUGINCAPS, ff::FF_CAP_MINIMUMINPUTFRAMES),
          CallNumber(ff::FF_GETPLUGINCAPS, ff::FF_CAP_MAXIMUMINPUTFRAMES),
          CallNumber(ff::FF_GETPLUGINCAPS, ff::FF_CAP_COPYORINPLACE)};
}

bool PluginLibrary::Answers(const std::string& plugin) const {
  const std::string file = FileName();
  return plugin == file || plugin + ".so" == file || plugin == name;
}

std::optional<ParameterInfo> PluginLibrary::FindParameter(const std::string& nameOrIndex) const {
  for (const ParameterInfo& parameter : parameters)
    if (parameter.name == nameOrIndex) return parameter;
  std::optional<ParameterInfo> caseless;
  for (const ParameterInfo& parameter : parameters) {
    if (strcasecmp(parameter.name.c_str(), nameOrIndex.c_str()) != 0) continue;
    if (caseless) return std::nullopt;
    caseless = parameter;
  }
  if (caseless) return caseless;
  const bool allDigits = !nameOrIndex.empty() && nameOrIndex.size() < 6 &&
                         std::all_of(nameOrIndex.begin(), nameOrIndex.end(),
                                     [](char c) { return c >= '0' && c <= '9'; });
  if (allDigits) {
    const unsigned long index = std::strtoul(nameOrIndex.c_str(), nullptr, 10);
    if (index < parameters.size()) return parameters[index];
  }
  return std::nullopt;
}

std::string PluginLibrary::ParameterNames() const {
  if (parameters.empty()) return "it has no parameters";
  std::string names;
  for (const ParameterInfo& parameter : parameters)
    names += (names.empty() ? "" : ", ") + parameter.name;
  return names;
}

void PluginLibrary::RequireVideoEffect() const {
  if (pluginType != ff::FF_EFFECT)
    throw Failure("plug-in " + name + " is not an effect (plugin type " +
                  std::to_string(pluginType) + ")");
  if (CallNumber(ff::FF_GETPLUGINCAPS, ff::FF_CAP_24BITVIDEO) != 1)
    throw Failure("plug-in " + name + " does not take 24-bit frames");
}

PluginInstance::PluginInstance(const PluginLibrary& library, uint32_t width, uint32_t height)
    : library(library), videoInfo{width, height, ff::FF_DEPTH_24, 1} {
  id = const_cast<void*>(
      AddressFrom(library.Call(ff::FF_INSTANTIATE, ff::MixedFromPointer(&videoInfo), nullptr)));
  if (id == nullptr)
    throw Failure("plug-in " + library.Name() + " fails instantiate for " + std::to_string(width) +
                  "x" + std::to_string(height) + " frames");
}

PluginInstance::~PluginInstance() {
  library.CallNumber(ff::FF_DEINSTANTIATE, 0, id);
}

void PluginInstance::SetParameter(const ParameterInfo& parameter, float value) {
  ff::SetParameterStruct change{};
  change.ParameterNumber = parameter.index;
  change.NewParameterValue.FloatValue = value;
  if (ff::NumberFromMixed(library.Call(ff::FF_SETPARAMETER, ff::MixedFromPointer(&change), id)) ==
      ff::FF_FAIL)
    throw Failure("plug-in " + library.Name() + " refuses " + parameter.name + "=" +
                  FormatValue(value));
}

std::string PluginInstance::Display(uint32_t index) const {
  const ff::FFMixed answer =
      library.Call(ff::FF_GETPARAMETERDISPLAY, ff::MixedFromNumber(index), id);
  return FixedText(AddressFrom(answer), kLongestDisplay);
}

bool PluginInstance::ProcessFrame(uint8_t* pixels) {
  return ff::NumberFromMixed(library.Call(ff::FF_PROCESSFRAME, ff::MixedFromPointer(pixels), id)) !=
         ff::FF_FAIL;
}

std::vector<std::string> PluginSearchFolders() {
  std::vector<std::string> folders;
  const char* variable = std::getenv("FREEFRAME_PATH");
  if (variable != nullptr && *variable != '\0') {
    std::string list = variable;
    std::size_t start = 0;
    while (start <= list.size()) {
      const std::size_t colon = std::min(list.find(':', start), list.size());
      if (colon > start) folders.push_back(list.substr(start, colon - start));
      start = colon + 1;
    }
    return folders;
  }
  // An installed ffrun looks beside itself, in the lib/freeframe of its own prefix, wherever the
  // package or `cmake --install --prefix` put it; the one in the build tree uses the build's
  // folder.
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path programFolder = fs::canonical("/proc/self/exe", error).parent_path();
  if (error || programFolder == fs::weakly_canonical(FFRUN_BUILD_PROGRAM_DIR, error))
    return {FFRUN_BUILD_PLUGIN_DIR};
  return {(programFolder.parent_path() / "lib" / "freeframe").string()};
}

std::vector<std::string> LibraryFilesIn(const std::vector<std::string>& folders) {
  std::vector<std::string> files;
  for (const std::string& folder : folders) {
    DIR* directory = opendir(folder.c_str());
    if (directory == nullptr) continue;
    std::vector<std::string> found;
    while (const dirent* entry = readdir(directory)) {
      const std::string file = entry->d_name;
      const std::string path = folder + "/" + file;
      if (EndsWith(file, ".so") && IsRegularFile(path)) found.push_back(path);
    }
    closedir(directory);
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
  }
  return files;
}

std::unique_ptr<PluginLibrary> FindPlugin(const std::string& plugin) {
  if (plugin.find('/') != std::string::npos) return PluginLibrary::Load(plugin);
  const std::vector<std::string> folders = PluginSearchFolders();
  const std::string fileName = EndsWith(plugin, ".so") ? plugin : plugin + ".so";
  for (const std::string& folder : folders)
    if (IsRegularFile(folder + "/" + fileName)) return PluginLibrary::Load(folder + "/" + fileName);
  // The reported name may differ from the file name: ask every library.
  for (const std::string& path : LibraryFilesIn(folders)) {
    std::unique_ptr<PluginLibrary> library;
    try {
      library = PluginLibrary::Open(path);
    } catch (const Failure&) {
      continue;  // not a plug-in, so not the one asked for
    }
    if (library->Answers(plugin)) {
      library->Initialise();
      return library;
    }
  }
  if (IsRegularFile(plugin)) return PluginLibrary::Load(plugin);
  std::string searched;
  for (const std::string& folder : folders) searched += (searched.empty() ? "" : ":") + folder;
  throw Failure("no plug-in named " + plugin + " in " + searched +
                " (give a path, or set FREEFRAME_PATH)");
}

}  // namespace ffrun
