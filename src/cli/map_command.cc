#include "cli/map_command.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <vector>

#include "charts/charts.h"
#include "cli/model_summary.h"
#include "cli/program_choice.h"
#include "common/output_files.h"
#include "common/progress_line.h"
#include "common/run_error.h"
#include "model/step_quantities.h"
#include "reader/result_file.h"

namespace {

enum class MapQuantity { kTotalHead, kPressureHead, kDischarge, kVelocity };

MapQuantity QuantityOf(const std::string& name, Simulator simulator) {
  if (name == "total head") return MapQuantity::kTotalHead;
  if (name == "discharge") return MapQuantity::kDischarge;
  if (name == "velocity") return MapQuantity::kVelocity;
  if (name != "pressure head") {
    throw ErrorAbout("--quantity", "'" + EscapedText(name) +
                                       "' is none of \"total head\", \"pressure head\", "
                                       "discharge, velocity");
  }
  if (simulator == Simulator::kDelm) {
    throw ErrorAbout("--quantity", "RX-DELM results hold total heads, not pressure heads");
  }
  return MapQuantity::kPressureHead;
}

// 0 for "final", else the step number (above 0).
int32_t StepNumberOf(const std::string& text) {
  if (text == "final") return 0;
  int32_t number = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, number);
  if (error != std::errc() || stop != end || number <= 0) {
    throw ErrorAbout("--step", "'" + EscapedText(text) + "' is neither final nor a step number");
  }
  return number;
}

// Reads steps up to the chosen one: the last, or the first numbered `number`.
bool ReadChosenStep(ResultFile& file, ModelStore& model, int32_t number, ProgressLine& progress) {
  bool found = false;
  for (int64_t index = 1; file.ReadNextStep(model); ++index) {
    progress.Step(index, file.StepCount(), model.StepNo, model.StepTime);
    found = number == 0 || model.StepNo == number;
    if (number != 0 && found) break;
  }
  return found;
}

std::vector<double> ValuesOf(const ModelStore& m, Simulator simulator, MapQuantity quantity) {
  if (quantity == MapQuantity::kVelocity) {
    std::vector<double> values(static_cast<size_t>(m.NUMEL) + 1);
    for (int32_t e = 1; e <= m.NUMEL; ++e) values[e] = Magnitude(ElemVelocity(m, simulator, e));
    return values;
  }
  std::vector<double> values(static_cast<size_t>(m.NUMNP) + 1);
  for (int32_t n = 1; n <= m.NUMNP; ++n) {
    values[n] = quantity == MapQuantity::kTotalHead      ? TotalHead(m, simulator, n)
                : quantity == MapQuantity::kPressureHead ? m.NodeHead[n]
                                                         : m.NodeFlow[n];
  }
  return values;
}

std::string Caption(const ModelStore& model, Simulator simulator, const std::string& path) {
  char text[256];
  std::snprintf(text, sizeof text, "%s, step number %d, time %g (%s)", path.c_str(), model.StepNo,
                model.StepTime, SimulatorName(simulator).data());
  return text;
}

}  // namespace

void RunMap(const MapOptions& options) {
  CheckChartFile(options.image_path, "map");
  const int32_t step_number = StepNumberOf(options.step);
  const ProgramChoice program = ChooseProgram(options.result_path, options.program);
  const MapQuantity quantity = QuantityOf(options.quantity, program.simulator);
  OutputFiles files;
  files.RegisterInput(options.result_path);
  auto image = files.Create(options.image_path);

  auto model = std::make_unique<ModelStore>();
  ResultFile file(options.result_path, program.simulator);
  file.LoadModel(*model);
  ProgressLine progress;
  if (!ReadChosenStep(file, *model, step_number, progress)) {
    throw ErrorAbout(options.result_path, file.StepCount() == 0
                                              ? "holds no step to draw"
                                              : "holds no step numbered " + options.step);
  }
  MeshMap map{model.get(),
              ValuesOf(*model, program.simulator, quantity),
              quantity == MapQuantity::kVelocity,
              options.quantity,
              ShownTitle(*model),
              Caption(*model, program.simulator, EscapedText(options.result_path)),
              options.edges};
  DrawMeshMap(map, *image);
  progress.Finish(files.FilesCreated(), 1, files.BytesWritten());
}
