#include "cli/history_command.h"

#include <cmath>
#include <iostream>
#include <memory>
#include <vector>

#include "charts/charts.h"
#include "cli/model_summary.h"
#include "cli/program_choice.h"
#include "common/output_files.h"
#include "common/progress_line.h"
#include "reader/result_file.h"

namespace {

std::string PlaceLabel(const HistoryPlace& place) {
  if (place.kind == PlaceKind::kNode) return "node " + std::to_string(place.id);
  if (place.kind == PlaceKind::kElement) return "element " + std::to_string(place.id);
  char text[96];
  std::snprintf(text, sizeof text, "point %d (%g, %g)%s", place.id, place.x, place.y,
                place.IsOutsideMesh() ? " outside" : "");
  return text;
}

// The chart's panels: total head and pressure head (nodes and points),
// discharge (nodes), velocity magnitude (elements); a panel without places
// is left out.
class ChartCollector {
 public:
  ChartCollector(const std::vector<HistoryPlace>& places, Simulator simulator)
      : panels_{{"total head", {}}, {"pressure head", {}}, {"discharge", {}}, {"velocity", {}}} {
    for (size_t k = 0; k < places.size(); ++k) {
      const bool node = places[k].kind == PlaceKind::kNode;
      const bool heads = places[k].kind != PlaceKind::kElement;
      const bool wanted[] = {heads, heads && simulator == Simulator::kKorin, node, !heads};
      for (size_t p = 0; p < panels_.size(); ++p) {
        if (!wanted[p]) continue;
        panels_[p].series.push_back({PlaceLabel(places[k]), {}});
        members_[p].push_back(k);
      }
    }
  }

  void AddStep(double time, const std::vector<HistoryValues>& values) {
    times_.push_back(time);
    for (size_t p = 0; p < panels_.size(); ++p) {
      for (size_t s = 0; s < members_[p].size(); ++s) {
        const HistoryValues& v = values[members_[p][s]];
        const double pick[] = {v.total_head, v.pressure_head, v.discharge, v.velocity};
        panels_[p].series[s].values.push_back(pick[p]);
      }
    }
  }

  HistoryChart Chart(std::string title) {
    HistoryChart chart{std::move(title), std::move(times_), {}};
    for (ChartPanel& panel : panels_) {
      if (!panel.series.empty()) chart.panels.push_back(std::move(panel));
    }
    return chart;
  }

 private:
  std::vector<ChartPanel> panels_;
  std::vector<size_t> members_[4];  // the places of each panel's lines
  std::vector<double> times_;
};

}  // namespace

void RunHistory(const HistoryOptions& options) {
  CheckPlaceRequest(options.places);
  if (!options.plot_path.empty()) CheckChartFile(options.plot_path, "--plot");
  const ProgramChoice program = ChooseProgram(options.result_path, options.program);
  OutputFiles files;
  files.RegisterInput(options.result_path);
  if (!options.places.pickup_path.empty()) files.RegisterInput(options.places.pickup_path);
  // Created first, so that a refused file stops the run before the long work.
  auto csv =
      options.csv_path.empty() ? TextOutput::StandardOutput() : files.Create(options.csv_path);
  auto plot = options.plot_path.empty() ? nullptr : files.Create(options.plot_path);

  auto model = std::make_unique<ModelStore>();
  ResultFile file(options.result_path, program.simulator);
  file.LoadModel(*model);
  const std::vector<HistoryPlace> places = ChoosePlaces(options.places, *model);
  ChartCollector collector(places, program.simulator);

  WriteHistoryHeading(*csv);
  ProgressLine progress;
  std::vector<HistoryValues> values(places.size());
  int64_t written = 0;
  for (int64_t index = 1; file.ReadNextStep(*model); ++index) {
    progress.Step(index, file.StepCount(), model->StepNo, model->StepTime);
    if (!options.steps.Selects(model->StepNo, index == file.StepCount())) continue;
    for (size_t k = 0; k < places.size(); ++k) {
      values[k] = ValuesAt(*model, program.simulator, places[k]);
      WriteHistoryRow(*csv, *model, places[k], values[k]);
    }
    if (plot) collector.AddStep(model->StepTime, values);
    ++written;
  }
  csv->Finish();
  if (written == 0) {
    std::cerr << "rxpost: warning: " << options.result_path
              << ": no step matches --steps; the table has its heading only\n";
  }
  if (plot) {
    DrawHistoryChart(collector.Chart(ShownTitle(*model) + " (" +
                                     std::string(SimulatorName(program.simulator)) + ")"),
                     *plot);
  }
  progress.Finish(files.FilesCreated(), written, files.BytesWritten());
}
