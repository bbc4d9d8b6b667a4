// ffrun: a command-line FreeFrame 1.0 host that runs effect plug-ins on pictures and video.
#include <dirent.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Demo.h"
#include "Failure.h"
#include "Plugin.h"
#include "Render.h"

namespace ffrun {
namespace {

std::string ParametersText(const PluginLibrary& library) {
  std::string text;
  for (const ParameterInfo& parameter : library.Parameters())
    text += (text.empty() ? "" : " ") + parameter.name + "=" + FormatValue(parameter.defaultValue);
  return text.empty() ? "(no parameters)" : text;
}

int RunList(const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    DIR* directory = opendir(folder.c_str());
    if (directory == nullptr) throw Failure("cannot open folder " + folder);
    closedir(directory);
  }
  const std::vector<std::string> searched = folders.empty() ? PluginSearchFolders() : folders;
  int found = 0;
  for (const std::string& path : LibraryFilesIn(searched)) {
    try {
      const std::unique_ptr<PluginLibrary> library = PluginLibrary::Load(path);
      std::printf("%-16s %-4s  %s  %s  [%s]\n", library->Name().c_str(),
                  library->UniqueId().c_str(), library->Description().c_str(),
                  ParametersText(*library).c_str(), library->FileName().c_str());
      ++found;
    } catch (const Failure& failure) {
      std::fprintf(stderr, "ffrun: skipping %s\n", failure.what());
    }
  }
  if (found == 0) {
    std::string names;
    for (const std::string& folder : searched) names += (names.empty() ? "" : ":") + folder;
    throw Failure("no FreeFrame plug-ins found in " + names);
  }
  return 0;
}

int RunInfo(const std::string& plugin) {
  const std::unique_ptr<PluginLibrary> library = FindPlugin(plugin);
  const Capabilities caps = library->QueryCapabilities();
  std::printf("File:          %s\n", library->Path().c_str());
  std::printf("Name:          %s\n", library->Name().c_str());
  std::printf("Unique ID:     %s\n", library->UniqueId().c_str());
  std::printf("API version:   %u.%u\n", library->ApiMajor(), library->ApiMinor());
  std::printf("Plugin type:   %u (%s)\n", library->PluginType(),
              library->PluginType() == ff::FF_EFFECT ? "effect" : "source");
  if (library->HasExtendedInfo()) {
    std::printf("Version:       %u.%u\n", library->VersionMajor(), library->VersionMinor());
    std::printf("Description:   %s\n", library->Description().c_str());
    std::printf("About:         %s\n", library->About().c_str());
  }
  std::printf(
      "Capabilities:  16-bit %u, 24-bit %u, 32-bit %u, processFrameCopy %u, "
      "input frames %u to %u, copy or in place %u\n",
      caps.video16, caps.video24, caps.video32, caps.frameCopy, caps.minimumInputs,
      caps.maximumInputs, caps.copyOrInPlace);
  // The display texts come from a working instance, which holds the defaults.
  const PluginInstance instance(*library, 640, 360);
  std::printf("Parameters:    %zu\n", library->Parameters().size());
  for (const ParameterInfo& parameter : library->Parameters()) {
    const char* type = parameter.type == ff::FF_TYPE_STANDARD ? "standard"
                       : parameter.type == ff::FF_TYPE_TEXT   ? "text"
                                                              : "unknown";
    std::printf("  %-3u %-16s type %u (%s)  default %s  display \"%s\"\n", parameter.index,
                parameter.name.c_str(), parameter.type, type,
                FormatValue(parameter.defaultValue).c_str(),
                instance.Display(parameter.index).c_str());
  }
  return 0;
}

void AddQuiet(CLI::App& command, bool& quiet) {
  command.add_flag("-q,--quiet", quiet, "No progress line");
}

int Main(int argc, char** argv) {
  CLI::App app("ffrun: runs FreeFrame 1.0 effect plug-ins on pictures and video", "ffrun");
  app.require_subcommand(1);
  app.footer(
      "Examples:\n  ffrun list\n  ffrun apply -p Glimbrook:Value=0.4 -i in.png -o out.png\n"
      "  ffrun demo -o gallery\nPlug-ins are searched in the folders of FREEFRAME_PATH, else in "
      "the build's plug-in folder (ffrun of the build tree) or PREFIX/lib/freeframe (ffrun "
      "installed in PREFIX/bin). Run 'ffrun COMMAND --help' for more.");

  std::vector<std::string> listFolders;
  CLI::App* list = app.add_subcommand("list",
                                      "One line per plug-in found: name, unique ID, "
                                      "description, parameters as Name=default");
  list->add_option("DIR", listFolders, "Folders to search instead of the default ones");
  list->footer("Example:\n  ffrun list build/freeframe");

  std::string infoPlugin;
  CLI::App* info = app.add_subcommand(
      "info", "Every identity field, the capabilities and each parameter of one plug-in");
  info->add_option("PLUGIN", infoPlugin, "A path to a plug-in, its file name or its reported name")
      ->required();
  info->footer("Example:\n  ffrun info Glimbrook");

  ApplyOptions apply;
  std::vector<std::string> stepTexts, changeTexts;
  std::string sizeText;
  int64_t frames = 0;
  double fps = 0.0;
  unsigned seed = 0;
  CLI::App* applyCommand =
      app.add_subcommand("apply", "Renders a still, the test card or a video through a chain");
  applyCommand
      ->add_option("-p,--plugin", stepTexts,
                   "PLUGIN[:Name=value,...]; repeat for a chain, applied in order; without "
                   "any, frames pass unchanged")
      ->allow_extra_args(false);
  applyCommand->add_option("-i,--input", apply.input,
                           "PNG, JPEG, PPM, BMP, TGA or any video ffmpeg reads; the test card "
                           "when left out");
  applyCommand
      ->add_option("-o,--output", apply.output,
                   "A still (.png .jpg .bmp .tga .ppm, keeps the last frame), a numbered "
                   "sequence (out-%04d.png) or a video or GIF through ffmpeg")
      ->required();
  CLI::Option* framesOption =
      applyCommand
          ->add_option("--frames", frames,
                       "Frames to render (from a still: default 1 for a still output, else 60)")
          ->check(CLI::PositiveNumber);
  CLI::Option* sizeOption =
      applyCommand->add_option("--size", sizeText, "Frame size WxH (the test card: 640x360)");
  CLI::Option* fpsOption = applyCommand->add_option("--fps", fps, "Frame rate of a video output")
                               ->check(CLI::Range(0.01, 1000.0));
  CLI::Option* seedOption =
      applyCommand->add_option("--seed", seed, "srand(S) before anything, to repeat a render");
  applyCommand
      ->add_option("--set", changeTexts,
                   "FRAME:[STEP:]Name=value,... changes parameters from frame FRAME on "
                   "(frames count from 0; STEP is a chain position or plug-in name, default 1)")
      ->allow_extra_args(false);
  applyCommand->add_flag("--allow-any-value", apply.allowAnyValue,
                         "Send values outside 0.0 to 1.0 as given");
  AddQuiet(*applyCommand, apply.quiet);
  applyCommand->footer(
      "Examples:\n  ffrun apply -p Dwero:Amount=0.3 -p Zinva -i clip.mp4 -o glitched.mp4\n"
      "  ffrun apply -p Glimbrook -o card.png\n"
      "  ffrun apply -p Dwero -o perf.gif --frames 90 --seed 7 --set 30:Amount=0.8");

  DemoOptions demo;
  std::string demoSizeText;
  CLI::App* demoCommand = app.add_subcommand(
      "demo", "Test card through every plug-in of the pack: a GIF each and gallery.png");
  demoCommand->add_option("-o,--output", demo.folder, "Folder for the clips and gallery.png")
      ->capture_default_str();
  CLI::Option* demoSizeOption =
      demoCommand->add_option("--size", demoSizeText, "Frame size WxH (default 320x180)");
  demoCommand->add_option("--frames", demo.framesPerSetting, "Frames per setting")
      ->check(CLI::PositiveNumber)
      ->capture_default_str();
  demoCommand->add_option("--seed", demo.seed, "srand(S) before each plug-in")
      ->capture_default_str();
  AddQuiet(*demoCommand, demo.quiet);
  demoCommand->footer("Example:\n  ffrun demo -o ffrun-demo");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // --help and --version end the parse too, with exit code 0.
    if (error.get_exit_code() == 0) return app.exit(error);
    std::fprintf(stderr, "ffrun: %s (see ffrun --help)\n", error.what());
    return 2;
  }

  InstallInterruptHandlers();
  try {
    if (*list) return RunList(listFolders);
    if (*info) return RunInfo(infoPlugin);
    if (*applyCommand) {
      for (const std::string& text : stepTexts) apply.steps.push_back(ParseStepRequest(text));
      for (const std::string& text : changeTexts)
        apply.changes.push_back(ParseScheduledChange(text));
      if (*framesOption) apply.frames = frames;
      if (*sizeOption) apply.size = ParseSize(sizeText);
      if (*fpsOption) apply.fps = fps;
      if (*seedOption) apply.seed = seed;
      RunApply(apply);
      return 0;
    }
    if (*demoSizeOption) demo.size = ParseSize(demoSizeText);
    RunDemo(demo);
    return 0;
  } catch (const Failure& failure) {
    // ffmpeg gets the terminal's interrupt too, and its failure is then no news.
    std::fprintf(stderr, "ffrun: %s\n",
                 Interrupted() ? "interrupted; the output was not written" : failure.what());
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "ffrun: out of memory\n");
  }
  return 1;
}

}  // namespace
}  // namespace ffrun

int main(int argc, char** argv) {
  return ffrun::Main(argc, argv);
}
