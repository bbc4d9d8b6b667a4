// Checks an effect whose animation state all its instances share against a reference model of
// it. Live instances of several frame sizes come and go, their parameters change, and every frame
// must match the model byte for byte, after the same number of rand() draws from the same
// sequence.
//
// The model provides:
//   struct Settings;  what one instance's parameters give; default-constructed: the defaults
//   void Restart();   an instance of the plug-in was constructed
//   void ChangeSetting(std::mt19937& choices, Settings& settings, const Instance& instance);
//                     picks a parameter and value and sets it both in `settings` and on the
//                     instance
//   void Render(TestFrame& frame, const Settings& settings);
//                     one frame call, drawing rand() exactly as the effect must
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "PluginHost.h"
#include "ScriptedRand.h"
#include "TestFrame.h"

namespace test {

template <class Model>
void ExpectFramesMatchModel(const char* plugin, const std::vector<int>& widths,
                            const std::vector<int>& heights, uint32_t scenarios, uint32_t steps) {
  for (uint32_t scenario = 0; scenario < scenarios; ++scenario) {
    PluginHost host(plugin, /*freshCopy=*/true);
    Model model;
    struct Live {
      std::unique_ptr<Instance> instance;
      int width, height;
      typename Model::Settings settings;
    };
    std::vector<Live> live;
    std::mt19937 choices(scenario);
    auto makeInstance = [&] {
      const int width = widths[choices() % widths.size()];
      const int height = heights[choices() % heights.size()];
      live.push_back({std::make_unique<Instance>(host, width, height), width, height, {}});
      model.Restart();
    };
    makeInstance();
    for (uint32_t step = 0; step < steps; ++step) {
      Live& target = live[choices() % live.size()];
      const auto action = choices() % 20;
      if (action == 0) {
        makeInstance();
      } else if (action == 1) {
        if (live.size() > 1) live.erase(live.begin());
      } else if (action < 6) {
        model.ChangeSetting(choices, target.settings, *target.instance);
      } else {
        SCOPED_TRACE(testing::Message() << "scenario " << scenario << " step " << step << ", "
                                        << target.width << " x " << target.height);
        const uint32_t seed = scenario * 1000 + step;
        TestFrame frame = TestFrame::Random(target.width, target.height, seed);
        TestFrame expected = frame;
        rand_script::Reset(seed);
        ASSERT_EQ(target.instance->Process(frame.data()), ff::FF_SUCCESS);
        const std::size_t draws = rand_script::Calls();
        rand_script::Reset(seed);
        model.Render(expected, target.settings);
        ASSERT_EQ(draws, rand_script::Calls());
        ASSERT_EQ(frame.Contents(), expected.Contents());
        ASSERT_TRUE(frame.GuardsIntact());
      }
    }
  }
}

}  // namespace test
