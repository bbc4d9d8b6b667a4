#include "PluginSurvey.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>

namespace test {

namespace {

std::string Hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
  return text;
}

// Bytes as C escapes, so that zero padding and unprintable bytes show.
std::string Escaped(const void* bytes, std::size_t size) {
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    const auto byte = static_cast<const uint8_t*>(bytes)[i];
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      text += static_cast<char>(byte);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", byte);
      text += escape;
    }
  }
  return text;
}

std::string Text(const char* text) {
  return text == nullptr ? "(null)" : '"' + Escaped(text, std::strlen(text)) + '"';
}

// FNV-1a over the frame's bytes and its guard bytes' state.
std::string Digest(const TestFrame& frame) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (std::size_t i = 0; i < frame.Bytes(); ++i) hash = (hash ^ frame.data()[i]) * 0x100000001b3u;
  return Hex(hash) + (frame.GuardsIntact() ? "" : " guards broken");
}

// Settings, one value per registered parameter in index order, under which a plug-in draws no
// random number; the Linux suite checks that they draw none.
const std::map<std::string, std::vector<std::vector<float>>>& DrawFreeSettings() {
  static const std::map<std::string, std::vector<std::vector<float>>> settings = {
      {"Glimbrook", {{0.1f}, {0.0f}, {0.5f}, {1.0f}, {2.0f}}},
      {"Nubrato", {{0.1f, 0.32f}, {0.0f, 0.0f}, {0.5f, 0.75f}, {1.0f, 1.0f}, {0.05f, 0.1f}}},
      // "Wait" at 0.01 or below keeps the pattern that "Value" selects.
      {"Vontekel",
       {{0.01f, 0.01f, 0.01f}, {0.37f, 0.5f, 0.0f}, {1.0f, 1.0f, 0.01f}, {0.6f, 0.2f, 0.005f}}},
  };
  return settings;
}

}  // namespace

std::vector<std::string> SurveyProtocol(const PluginHost& host) {
  std::vector<std::string> lines;
  const ff::PluginInfoStruct* info = host.Info();
  if (info == nullptr) return {"getInfo (null)"};
  lines.push_back("id " + Escaped(info->PluginUniqueID, 4) + " name " +
                  Escaped(info->PluginName, 16) + " api " + std::to_string(info->APIMajorVersion) +
                  "." + std::to_string(info->APIMinorVersion) + " type " +
                  std::to_string(info->PluginType));
  const ff::PluginExtendedInfoStruct* extended = host.ExtendedInfo();
  if (extended == nullptr) return lines.push_back("getExtendedInfo (null)"), lines;
  lines.push_back("version " + std::to_string(extended->PluginMajorVersion) + "." +
                  std::to_string(extended->PluginMinorVersion) + " description " +
                  Text(extended->Description) + " about " + Text(extended->About) +
                  " extended data " + std::to_string(extended->FreeFrameExtendedDataSize) +
                  (extended->FreeFrameExtendedDataBlock == nullptr ? " null" : " set"));

  const uint32_t count = host.NumParameters();
  lines.push_back("parameters " + std::to_string(count));
  // Two indices past the registered ones, which some effects still accept.
  const uint32_t indices = count + 2;
  for (uint32_t index = 0; index < indices; ++index) {
    const char* field = host.ParameterNameField(index);
    lines.push_back("parameter " + std::to_string(index) + " name " +
                    (field == nullptr ? "(null)" : Escaped(field, 16)) + " type " +
                    Hex(host.ParameterType(index)) + " default " +
                    Hex(host.ParameterDefaultBits(index)));
  }
  for (uint32_t capability = 0; capability <= 20; ++capability) {
    lines.push_back("capability " + std::to_string(capability) + " " + Hex(host.Caps(capability)));
  }
  lines.push_back("capability ffffffff " + Hex(host.Caps(0xFFFFFFFFu)));

  Instance instance(host, 16, 12);
  for (uint32_t input : {0u, 1u, 0xFFFFFFFFu}) {
    lines.push_back("input status " + Hex(input) + " " +
                    Hex(host.InputStatus(instance.id(), input)));
  }
  const float inf = std::numeric_limits<float>::infinity();
  const float values[] = {0.5f, 0.01f, 1.0f, 0.0f, 0.999999f,     -1.0f,
                          2.0f, 1e30f, inf,  -inf, std::nanf(""), 1e-40f};
  for (uint32_t index = 0; index < indices; ++index) {
    lines.push_back("initial " + std::to_string(index) + " " +
                    Hex(host.GetParameterBits(instance.id(), index)) + " display " +
                    Text(host.ParameterDisplay(instance.id(), index)));
    for (float value : values) {
      lines.push_back("set " + std::to_string(index) + " " + Hex(BitsFromFloat(value)) + " " +
                      Hex(host.SetParameter(instance.id(), index, value)) + " get " +
                      Hex(host.GetParameterBits(instance.id(), index)) + " display " +
                      Text(host.ParameterDisplay(instance.id(), index)));
    }
  }
  return lines;
}

std::vector<std::string> SurveyDrawFreeFrames(const PluginHost& host, const std::string& name,
                                              const FrameProcessor& process) {
  std::vector<std::string> lines;
  for (uint32_t depth : {ff::FF_DEPTH_16, ff::FF_DEPTH_32, 3u}) {
    Instance instance(host, 16, 12, depth);
    TestFrame frame = TestFrame::Random(16, 12, depth);
    lines.push_back("bit depth " + std::to_string(depth) + " " + Hex(process(instance, frame)) +
                    " " + Digest(frame));
  }
  const auto found = DrawFreeSettings().find(name);
  if (found == DrawFreeSettings().end()) return lines;
  const struct {
    int width, height;
  } sizes[] = {{0, 0}, {1, 1}, {8, 6}, {37, 23}, {320, 240}, {641, 479}};
  for (const std::vector<float>& setting : found->second) {
    std::string settingText;
    for (float value : setting) settingText += " " + Hex(BitsFromFloat(value));
    for (const auto& size : sizes) {
      Instance instance(host, static_cast<uint32_t>(size.width),
                        static_cast<uint32_t>(size.height));
      for (uint32_t index = 0; index < setting.size(); ++index) instance.Set(index, setting[index]);
      TestFrame frame = TestFrame::Random(size.width, size.height, 17);
      // Several frames in a row, for effects whose picture moves from frame to frame.
      for (int frameNumber = 0; frameNumber < 3; ++frameNumber) {
        const uint32_t result = process(instance, frame);
        lines.push_back("setting" + settingText + " " + std::to_string(size.width) + "x" +
                        std::to_string(size.height) + " frame " + std::to_string(frameNumber) +
                        " " + Hex(result) + " " + Digest(frame));
      }
    }
  }
  return lines;
}

std::vector<std::string> SurveyPlugin(const PluginHost& host, const std::string& name) {
  std::vector<std::string> lines = SurveyProtocol(host);
  const std::vector<std::string> frames = SurveyDrawFreeFrames(
      host, name,
      [](const Instance& instance, TestFrame& frame) { return instance.Process(frame.data()); });
  lines.insert(lines.end(), frames.begin(), frames.end());
  return lines;
}

}  // namespace test
