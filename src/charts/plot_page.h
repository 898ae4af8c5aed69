// PlotPage: one PLplot picture. PLplot writes it to a temporary file (PNG
// through its cairo driver, SVG through its own, which keeps texts as text);
// Finish checks that the picture is whole and copies it into the output file,
// which the run created (and checked) before the long work.
//
// The colours: cmap0 holds the fixed colours below, cmap1 the colour scale of
// the maps (from dark blue through green to yellow).
#pragma once

#include <string>

#include "common/text_output.h"

enum PageColour {
  kBackground = 0,
  kInk = 1,       // axes, texts
  kInactive = 2,  // inactive elements of a map
  kEdge = 3,      // element outlines
  kGrid = 4,      // grid lines of the history panels
  kFirstSeries = 5,
};
// Colours for the lines of a panel, used in turn.
inline constexpr int kSeriesColours = 10;

class PlotPage {
 public:
  // Starts a picture of width x height pixels for `image` (PNG or SVG by the
  // ending of its name). Lines are smoothed (anti-aliased) in PNG pictures
  // when `smooth`.
  PlotPage(TextOutput& image, int width, int height, bool smooth);
  ~PlotPage();
  PlotPage(const PlotPage&) = delete;
  PlotPage& operator=(const PlotPage&) = delete;

  // Ends the picture and copies it into the output; throws RunError when the
  // picture is not whole or cannot be written.
  void Finish();

 private:
  TextOutput& image_;
  std::string temporary_path_;
  bool png_;
  bool open_ = true;
};
