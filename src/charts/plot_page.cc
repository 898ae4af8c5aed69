#include "charts/plot_page.h"

#include <plplot/plplot.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string_view>

#include "charts/charts.h"
#include "common/platform.h"
#include "common/run_error.h"

namespace {

// The temporary file of the picture being drawn, for the exit handler.
std::string* drawing_path = nullptr;

// PLplot ends the process on a fault of its own (a missing driver or font);
// this says so in one line, removes the temporary file and exits with the
// error status, before PLplot writes its own lines.
int OnPlplotExit(const char* message) {
  std::cerr << "rxpost: the plotting library (PLplot) failed: " << message << '\n';
  if (drawing_path != nullptr) std::remove(drawing_path->c_str());
  std::_Exit(2);
}

std::string MakeTemporaryFile() {
  std::string path = platform::NewTemporaryFile("rxpost-chart-");
  if (path.empty()) {
    throw ErrorAbout(platform::TemporaryFolder(), "cannot create the chart's temporary file");
  }
  return path;
}

void SetColours() {
  // background, ink, inactive grey, edge grey, grid, then ten line colours
  static PLINT red[] = {255, 0, 190, 70, 215, 31, 255, 44, 214, 148, 140, 227, 127, 188, 23};
  static PLINT green[] = {255, 0, 190, 70, 215, 119, 127, 160, 39, 103, 86, 119, 127, 189, 190};
  static PLINT blue[] = {255, 0, 190, 70, 215, 180, 14, 44, 40, 189, 75, 194, 127, 34, 207};
  plscmap0(red, green, blue, static_cast<PLINT>(std::size(red)));
  // A viridis-like scale: dark blue, blue, teal, green, yellow.
  static PLFLT at[] = {0, 0.25, 0.5, 0.75, 1};
  static PLFLT r[] = {68 / 255., 59 / 255., 33 / 255., 94 / 255., 253 / 255.};
  static PLFLT g[] = {1 / 255., 82 / 255., 145 / 255., 201 / 255., 231 / 255.};
  static PLFLT b[] = {84 / 255., 139 / 255., 140 / 255., 98 / 255., 37 / 255.};
  plscmap1n(256);
  plscmap1l(1, static_cast<PLINT>(std::size(at)), at, r, g, b, nullptr);
}

constexpr size_t kTailBytes = 16;  // enough to tell a whole picture

// A PNG ends with its IEND chunk, an SVG with its closing tag (and a line end).
bool IsWhole(std::string_view tail, bool png) {
  if (png) return tail.ends_with(std::string_view("IEND\xae\x42\x60\x82", 8));
  const size_t end = tail.find_last_not_of(" \r\n");
  return end != std::string_view::npos && tail.substr(0, end + 1).ends_with("</svg>");
}

}  // namespace

void CheckChartFile(const std::string& path, std::string_view option) {
  if (!path.ends_with(".png") && !path.ends_with(".svg")) {
    throw ErrorAbout(path, std::string(option) + " takes a picture's name ending in .png or .svg");
  }
}

PlotPage::PlotPage(TextOutput& image, int width, int height, bool smooth)
    : image_(image), temporary_path_(MakeTemporaryFile()), png_(image.name().ends_with(".png")) {
  drawing_path = &temporary_path_;
  plsexit(OnPlplotExit);
  plsdev(png_ ? "pngcairo" : "svg");
  plsfnam(temporary_path_.c_str());
  plspage(0, 0, width, height, 0, 0);
  // Flat shapes meet without seams, and many of them draw fast, unsmoothed.
  if (png_ && !smooth) plsetopt("drvopt", "graphics_anti_aliasing=1");
  SetColours();
  plinit();
  pladv(0);
}

PlotPage::~PlotPage() {
  if (open_) plend();
  std::remove(temporary_path_.c_str());
  drawing_path = nullptr;
}

void PlotPage::Finish() {
  plend();
  open_ = false;
  std::ifstream in(temporary_path_, std::ios::binary);
  std::string chunk(1 << 20, '\0'), tail;
  while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
    const std::string_view read(chunk.data(), static_cast<size_t>(in.gcount()));
    image_.AppendBlock(read);
    tail.append(read.substr(read.size() - std::min(read.size(), kTailBytes)));
    tail.erase(0, tail.size() - std::min(tail.size(), kTailBytes));
  }
  if (!IsWhole(tail, png_)) {
    throw ErrorAbout(image_.name(),
                     "the plotting library did not finish the picture (is the temporary "
                     "folder " +
                         platform::TemporaryFolder() + " full?)");
  }
  image_.Finish();
}
