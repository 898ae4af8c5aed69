// `rxpost map`: a picture (PNG or SVG) of one step's values over the mesh:
// total head, pressure head (RX-KORIN), discharge (interpolated over each
// element from its nodes) or velocity magnitude (one colour an element),
// inactive elements grey, with a colour bar, the model's title above and the
// step and its time below.
#pragma once

#include <string>

struct MapOptions {
  std::string result_path;
  std::string image_path;  // ends in .png or .svg
  std::string program;     // "korin", "delm" or empty (detect)
  std::string quantity = "total head";
  std::string step = "final";  // or a step number
  bool edges = false;
};

// Throws RunError on a fault of the result file, of the options or of the
// picture's file.
void RunMap(const MapOptions& options);
