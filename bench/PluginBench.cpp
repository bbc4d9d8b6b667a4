// How long each plug-in takes per frame, driven through plugMain as a host drives it, on a test
// card at 1920 x 1080 and 3840 x 2160, with its defaults and with its most expensive parameters.
// The unit is a memcpy of one frame of the same size, measured in the same run; for effects that
// draw random numbers the bench also counts the draws per frame and prices them at the measured
// cost of one rand() call, the floor under which no implementation of those draws can go.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "FreeFrame.h"

namespace {

using Clock = std::chrono::steady_clock;
using PlugMain = ff::FFMixed (*)(uint32_t, ff::FFMixed, ff::FFInstanceID);
using RandFunction = int (*)();

uint64_t randCalls = 0;

RandFunction LibraryRand() {
  static const auto libraryRand = reinterpret_cast<RandFunction>(dlsym(RTLD_NEXT, "rand"));
  return libraryRand;
}

}  // namespace

// The plug-ins' rand() calls arrive here, are counted and answered by the C library.
extern "C" int rand(void) noexcept {
  ++randCalls;
  return LibraryRand()();
}

namespace {

struct Setting {
  std::string label;
  std::map<std::string, float> values;  // by parameter name; the rest keep their defaults
};

// The most expensive values within 0.0 to 1.0 of each plug-in.
const std::map<std::string, std::map<std::string, float>> kMostExpensive = {
    {"Glimbrook", {{"Value", 1.0f}}},
    {"Vontekel", {{"Value", 0.0f}, {"Col", 1.0f}}},                     // two half-frame rectangles
    {"Kestrowel", {{"Value", 0.999f}, {"Size", 1.0f}, {"col", 0.9f}}},  // 255 boxes of up to 127
    {"Dwero", {{"Amount", 0.999f}, {"Range", 1.0f}, {"Speed", 1.0f}}},  // 255 lines
    {"Halmire", {{"Value", 1.0f}, {"Blank", 1.0f}, {"Width", 0.99f}}},  // 30 pairs, wide strips
    {"Lumbrask",
     {{"Value", 1.0f}, {"SizeX", 1.0f}, {"SizeY", 1.0f}, {"Mode", 0.2f}, {"Speed", 1.0f}}},
    {"Ostrin", {{"Value", 1.0f}, {"threshold", 0.0f}}},  // 256 long searches
    {"Morvidan", {{"Value", 1.0f}, {"Swap", 0.03f}, {"Time", 0.0f}, {"Col", 1.0f}}},
    {"Zinva", {{"Size", 0.0f}}},  // every pixel a block
    {"Tessaloy", {{"Value", 0.999f}, {"Size", 1.0f}, {"Speed", 1.0f}, {"col", 0.9f}}},
    {"Quillmar",
     {{"Value", 1.0f}, {"Swap", 1.0f}, {"Width", 1.0f}, {"Col", 1.0f}, {"Speed", 1.0f}}},
    {"Nubrato", {{"density", 1.0f}, {"Size", 0.0f}}},  // 4 x 3 boxes everywhere
    {"Sarrowind", {{"Value", 0.999f}}},                // 255 lines
};

// Colour bars, smooth gradients, a dark noisy region and fine detail, so that every effect has
// something of each kind to work on.
std::vector<uint8_t> TestCard(int width, int height) {
  std::vector<uint8_t> card(static_cast<std::size_t>(width) * height * 3);
  static const uint8_t kBars[8][3] = {{235, 235, 235}, {16, 235, 235}, {235, 235, 16},
                                      {16, 235, 16},   {235, 16, 235}, {16, 16, 235},
                                      {235, 16, 16},   {16, 16, 16}};
  uint32_t noise = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* pixel = &card[(static_cast<std::size_t>(y) * width + x) * 3];
      noise = noise * 1664525u + 1013904223u;
      const int grain = static_cast<int>(noise >> 28);
      if (y < height * 2 / 5) {
        std::memcpy(pixel, kBars[x * 8 / width], 3);
      } else if (y < height * 7 / 10) {
        pixel[0] = static_cast<uint8_t>(x * 255 / width);
        pixel[1] = static_cast<uint8_t>((y - height * 2 / 5) * 255 / (height * 3 / 10 + 1));
        pixel[2] = static_cast<uint8_t>(128 + 100 * std::sin(x * 0.02 + y * 0.01));
      } else if (x < width / 2) {
        pixel[0] = pixel[1] = pixel[2] = static_cast<uint8_t>(grain + (x + y) % 24);
      } else {
        const double r = std::hypot(x - width * 0.75, y - height * 0.85);
        const auto level = static_cast<uint8_t>(127.5 + 127.5 * std::cos(r * r * 0.002));
        pixel[0] = level;
        pixel[1] = static_cast<uint8_t>(255 - level);
        pixel[2] = static_cast<uint8_t>(grain * 16);
      }
    }
  }
  return card;
}

// The median of 30 back-to-back copies of one frame between two buffers.
double SecondsPerMemcpy(std::size_t bytes) {
  std::vector<uint8_t> source(bytes, 1), target(bytes, 2);
  std::vector<double> samples;
  for (int i = 0; i < 30; ++i) {
    const auto start = Clock::now();
    std::memcpy(target.data(), source.data(), bytes);
    benchmark::ClobberMemory();
    samples.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    source[i] = target[bytes - 1 - i];
  }
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

// The cost of one rand() call as a plug-in makes it: through the counting rand() above.
double SecondsPerRand() {
  static int (*volatile const pluginsRand)() = &rand;
  const int calls = 2000000;
  int sink = 0;
  const auto start = Clock::now();
  for (int i = 0; i < calls; ++i) sink ^= pluginsRand();
  benchmark::DoNotOptimize(sink);
  return std::chrono::duration<double>(Clock::now() - start).count() / calls;
}

class LoadedPlugin {
 public:
  explicit LoadedPlugin(const std::string& path) {
    library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) throw std::runtime_error(dlerror());
    plugMain = reinterpret_cast<PlugMain>(dlsym(library, "plugMain"));
    if (plugMain == nullptr) throw std::runtime_error(path + " has no plugMain");
  }

  uint32_t Number(uint32_t code, uint32_t input, void* instance = nullptr) const {
    return ff::NumberFromMixed(plugMain(code, ff::MixedFromNumber(input), instance));
  }

  void* Instantiate(int width, int height) const {
    const ff::VideoInfoStruct info{static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                                   ff::FF_DEPTH_24, 1};
    return plugMain(ff::FF_INSTANTIATE, ff::MixedFromPointer(&info), nullptr).PointerValue;
  }

  void Set(void* instance, const std::string& name, float value) const {
    const uint32_t count = Number(ff::FF_GETNUMPARAMETERS, 0);
    for (uint32_t index = 0; index < count; ++index) {
      const auto* field = static_cast<const char*>(
          plugMain(ff::FF_GETPARAMETERNAME, ff::MixedFromNumber(index), nullptr).PointerValue);
      if (field != nullptr && name == std::string(field, strnlen(field, 16))) {
        ff::SetParameterStruct parameter{};
        parameter.ParameterNumber = index;
        parameter.NewParameterValue.FloatValue = value;
        plugMain(ff::FF_SETPARAMETER, ff::MixedFromPointer(&parameter), instance);
        return;
      }
    }
    throw std::runtime_error("no parameter " + name);
  }

  PlugMain plugMain = nullptr;

 private:
  void* library = nullptr;
};

// The memcpy unit and the price of one rand() call are measured just before each benchmark, so
// that a machine that speeds up or slows down between benchmarks moves both sides of the ratios.
void RunPlugin(benchmark::State& state, const LoadedPlugin* plugin, const Setting& setting,
               int width, int height) {
  const std::vector<uint8_t> card = TestCard(width, height);
  std::vector<uint8_t> frame = card;
  void* instance = plugin->Instantiate(width, height);
  for (const auto& value : setting.values) plugin->Set(instance, value.first, value.second);

  const double memcpySeconds = SecondsPerMemcpy(frame.size());
  const double randSeconds = SecondsPerRand();
  double seconds = 0;
  uint64_t draws = 0;
  for (auto _ : state) {
    std::memcpy(frame.data(), card.data(), frame.size());
    const uint64_t drawsBefore = randCalls;
    const auto start = Clock::now();
    const uint32_t result = ff::NumberFromMixed(
        plugin->plugMain(ff::FF_PROCESSFRAME, ff::MixedFromPointer(frame.data()), instance));
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    if (result != ff::FF_SUCCESS) state.SkipWithError("processFrame failed");
    state.SetIterationTime(elapsed);
    seconds += elapsed;
    draws += randCalls - drawsBefore;
  }
  plugin->Number(ff::FF_DEINSTANTIATE, 0, instance);

  const double frames = static_cast<double>(state.iterations());
  state.counters["ms"] = 1000 * seconds / frames;
  state.counters["memcpy_ms"] = 1000 * memcpySeconds;
  state.counters["x_memcpy"] = seconds / frames / memcpySeconds;
  state.counters["rand_per_frame"] = static_cast<double>(draws) / frames;
  state.counters["rand_floor_ms"] = 1000 * randSeconds * static_cast<double>(draws) / frames;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::directory_iterator(PLUGIN_DIR)) {
    if (entry.path().extension() == ".so") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());

  struct Size {
    int width, height;
    const char* label;
  };
  const std::vector<Size> sizes = {{1920, 1080, "1080p"}, {3840, 2160, "2160p"}};
  for (const Size& size : sizes) {
    const std::size_t bytes = static_cast<std::size_t>(size.width) * size.height * 3;
    benchmark::RegisterBenchmark(
        (std::string("memcpy/") + size.label).c_str(),
        [bytes](benchmark::State& state) {
          std::vector<uint8_t> source(bytes, 1), target(bytes, 2);
          for (auto _ : state) {
            const auto start = Clock::now();
            std::memcpy(target.data(), source.data(), bytes);
            benchmark::ClobberMemory();
            state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
          }
        })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  }

  std::vector<std::unique_ptr<LoadedPlugin>> plugins;
  for (const auto& path : paths) {
    plugins.push_back(std::make_unique<LoadedPlugin>(path.string()));
    const LoadedPlugin* plugin = plugins.back().get();
    const std::string name = path.stem().string();
    std::vector<Setting> settings = {{"defaults", {}}};
    const auto expensive = kMostExpensive.find(name);
    if (expensive != kMostExpensive.end())
      settings.push_back({"most_expensive", expensive->second});
    for (const Size& size : sizes) {
      for (const Setting& setting : settings) {
        benchmark::RegisterBenchmark((name + "/" + setting.label + "/" + size.label).c_str(),
                                     [=](benchmark::State& state) {
                                       RunPlugin(state, plugin, setting, size.width, size.height);
                                     })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
      }
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
