// What a plug-in shows a host without drawing a random number, written as text lines: its
// identity, parameters, capabilities, display texts, and frames of the effects and settings
// that draw nothing. Builds of the pack for two platforms must give the same lines; the C
// libraries' rand() sequences differ between platforms, so frames that draw are left out.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "PluginHost.h"
#include "TestFrame.h"

namespace test {

// Identity, parameters, capabilities, input status and the parameter values and display texts
// an instance answers, for any plug-in.
std::vector<std::string> SurveyProtocol(const PluginHost& host);

// How the survey hands a frame to an instance; the Linux suite counts the draws around it
// (making an instance may draw, processing these frames must not).
using FrameProcessor = std::function<uint32_t(const Instance& instance, TestFrame& frame)>;

// Digests of frames that draw no random number: refused frame formats for any plug-in, and
// processed frames of the settings known to draw nothing for plug-ins that have them.
std::vector<std::string> SurveyDrawFreeFrames(const PluginHost& host, const std::string& name,
                                              const FrameProcessor& process);

// Both of the above, as one platform's build is compared with another's.
std::vector<std::string> SurveyPlugin(const PluginHost& host, const std::string& name);

}  // namespace test
