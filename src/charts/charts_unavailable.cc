// The charts of a build without the plotting library: every request for a
// chart ends the run with one line saying that this build draws none.
#include "charts/charts.h"
#include "common/run_error.h"

namespace {

RunError Unavailable(std::string_view what) {
  return ErrorAbout(std::string(what),
                    "not available in this build (rxpost was built without PLplot, which "
                    "draws the charts)");
}

}  // namespace

void CheckChartFile(const std::string&, std::string_view option) { throw Unavailable(option); }

void DrawHistoryChart(const HistoryChart&, TextOutput& image) { throw Unavailable(image.name()); }

void DrawMeshMap(const MeshMap&, TextOutput& image) { throw Unavailable(image.name()); }
