#include "Demo.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "BitmapFont.h"
#include "Failure.h"
#include "Progress.h"
#include "Render.h"
#include "TestCard.h"

namespace ffrun {
namespace {

struct Showcase {
  const char* plugin;  // the library's file name without ".so"
  std::vector<const char*> settings;
};

// Settings chosen to show each effect at work, beside its defaults.
const Showcase kShowcases[] = {
    {"Glimbrook", {"Value=0.5", "Value=1"}},
    {"Vontekel", {"Value=0.5,Col=0.5", "Col=1,Wait=0.3"}},
    {"Kestrowel", {"Value=0.5,Size=0.6", "Value=0.99,Size=0.2,col=0.5"}},
    {"Dwero", {"Amount=0.4,Range=0.3", "Amount=0.8,Range=1,Speed=0.5"}},
    {"Halmire", {"Value=0.6,Width=0.3", "Value=0.3,Blank=1,Width=0.1"}},
    {"Lumbrask", {"Value=0.6,SizeX=0.3,SizeY=0.3", "Value=1,Mode=0.6,Speed=0.2"}},
    {"Ostrin", {"Value=0.5,threshold=0.3", "Value=1,threshold=0.5"}},
    {"Morvidan", {"Value=0.6,Swap=0.5", "Value=0.1,Time=0.05,Col=0.5"}},
    {"Zinva", {"Size=0.1", "Size=0.6"}},
    {"Tessaloy", {"Value=0.5,Size=0.5,Speed=0.3", "Value=1,Size=0.15,col=0.5"}},
    {"Quillmar", {"Value=0.6,Width=0.1", "Value=1,Swap=1,Speed=0.5"}},
    {"Nubrato", {"density=0.5", "density=1,Size=0.1"}},
    {"Sarrowind", {"Value=0.5", "Value=0.9"}},
};

constexpr int kMargin = 12;
constexpr int kLabelScale = 1;
constexpr int kNameScale = 2;
constexpr uint8_t kBackground = 28;
constexpr uint8_t kLabelColour[3] = {200, 200, 200};
constexpr uint8_t kNameColour[3] = {255, 255, 255};

struct Tile {
  std::string label;
  Image frame;
};

struct GalleryRow {
  std::string name;
  std::vector<Tile> tiles;
};

// One setting of the clip: every parameter back to its default, then the showcase values, so
// that settings do not pile up.
struct Segment {
  std::string label;
  std::vector<EffectChain::Change> changes;
};

std::vector<Segment> SegmentsOf(const Showcase& showcase, const EffectChain& chain,
                                const PluginLibrary& library) {
  std::vector<EffectChain::Change> defaults;
  for (const ParameterInfo& parameter : library.Parameters())
    if (parameter.type != ff::FF_TYPE_TEXT)
      defaults.push_back({0, parameter, parameter.defaultValue});
  std::vector<Segment> segments{{"defaults", defaults}};
  for (const char* setting : showcase.settings) {
    try {
      Segment segment{setting, defaults};
      for (const EffectChain::Change& change : chain.Resolve("1", ParseAssignments(setting)))
        segment.changes.push_back(change);
      segments.push_back(std::move(segment));
    } catch (const Failure& failure) {
      std::fprintf(stderr, "ffrun: demo leaves out %s of %s: %s\n", setting, showcase.plugin,
                   failure.what());
    }
  }
  return segments;
}

GalleryRow RenderShowcase(const Showcase& showcase, const DemoOptions& options) {
  std::srand(options.seed);
  EffectChain chain({StepRequest{showcase.plugin, {}}}, options.size, false);
  const PluginLibrary& library = chain.Library(0);
  GalleryRow row;
  row.name = library.Name() == showcase.plugin ? library.Name()
                                               : library.Name() + " (" + showcase.plugin + ".so)";
  const std::vector<Segment> segments = SegmentsOf(showcase, chain, library);
  const Image card = DrawTestCard(options.size);
  const std::unique_ptr<FrameSink> clip =
      OpenSink(options.folder + "/" + showcase.plugin + ".gif", options.size, 12.0);
  Progress progress(!options.quiet, showcase.plugin,
                    static_cast<int64_t>(segments.size()) * options.framesPerSetting);
  int64_t frameNumber = 0;
  for (const Segment& segment : segments) {
    chain.Apply(segment.changes);
    Image frame;
    for (int64_t i = 0; i < options.framesPerSetting; ++i, ++frameNumber) {
      ThrowIfInterrupted();
      frame = card;
      chain.Process(frame, frameNumber);
      clip->Write(frame, frameNumber);
      progress.FrameDone();
    }
    row.tiles.push_back({segment.label, std::move(frame)});
  }
  clip->Finish();
  return row;
}

Image ContactSheet(const std::vector<GalleryRow>& rows, Size tileSize) {
  std::size_t columns = 1;
  for (const GalleryRow& row : rows) columns = std::max(columns, row.tiles.size());
  const int labelHeight = kGlyphHeight * kLabelScale + 6;
  const int nameHeight = kGlyphHeight * kNameScale + 10;
  const int64_t rowHeight = tileSize.height + labelHeight + nameHeight + kMargin;
  Image sheet({static_cast<uint32_t>(kMargin + columns * (tileSize.width + kMargin)),
               static_cast<uint32_t>(kMargin + static_cast<int64_t>(rows.size()) * rowHeight)});
  std::fill(sheet.pixels.begin(), sheet.pixels.end(), kBackground);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const int64_t top = kMargin + static_cast<int64_t>(r) * rowHeight;
    for (std::size_t c = 0; c < rows[r].tiles.size(); ++c) {
      const Tile& tile = rows[r].tiles[c];
      const auto left = static_cast<uint32_t>(kMargin + c * (tileSize.width + kMargin));
      const std::size_t rowBytes = std::size_t{tileSize.width} * 3;
      for (uint32_t y = 0; y < tileSize.height; ++y)
        std::memcpy(sheet.PixelAt(left, static_cast<uint32_t>(top) + y),
                    tile.frame.pixels.data() + y * rowBytes, rowBytes);
      DrawText(sheet, left, top + tileSize.height + 4, tile.label, kLabelScale, kLabelColour);
    }
    DrawText(sheet, kMargin, top + tileSize.height + labelHeight + 4, rows[r].name, kNameScale,
             kNameColour);
  }
  return sheet;
}

}  // namespace

void RunDemo(const DemoOptions& options) {
  if (mkdir(options.folder.c_str(), 0777) != 0 && errno != EEXIST)
    throw Failure("cannot make folder " + options.folder + ": " + std::strerror(errno));
  std::vector<GalleryRow> rows;
  std::vector<std::string> skipped;
  for (const Showcase& showcase : kShowcases) {
    try {
      rows.push_back(RenderShowcase(showcase, options));
    } catch (const Failure& failure) {
      ThrowIfInterrupted();
      std::fprintf(stderr, "ffrun: demo skips %s: %s\n", showcase.plugin, failure.what());
      skipped.push_back(showcase.plugin);
    }
  }
  if (rows.empty()) throw Failure("demo found none of the pack's plug-ins (build them first)");
  const std::string gallery = options.folder + "/gallery.png";
  WriteStill(gallery, ContactSheet(rows, options.size));
  std::printf("wrote %zu clip(s) and the contact sheet %s\n", rows.size(), gallery.c_str());
  if (!skipped.empty()) {
    std::string names;
    for (const std::string& name : skipped) names += (names.empty() ? "" : ", ") + name;
    std::printf("skipped (not found or failing): %s\n", names.c_str());
  }
}

}  // namespace ffrun
