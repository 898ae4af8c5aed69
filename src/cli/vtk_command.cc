#include "cli/vtk_command.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/program_choice.h"
#include "common/output_files.h"
#include "common/progress_line.h"
#include "common/run_error.h"
#include "model/node_averages.h"
#include "reader/result_file.h"
#include "writers/pvd_writer.h"
#include "writers/vtu_writer.h"

namespace {

constexpr std::string_view kCollectionEnding = ".pvd";

// "out.pvd" and 3 give "out_000003.vtu".
std::string StepFilePath(const std::string& collection_path, int64_t written) {
  const std::string stem =
      collection_path.substr(0, collection_path.size() - kCollectionEnding.size());
  char number[32];
  std::snprintf(number, sizeof number, "_%06lld.vtu", static_cast<long long>(written));
  return stem + number;
}

// The name of the file at `path`, as the collection refers to it from its folder.
std::string FileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

}  // namespace

void RunVtk(const VtkOptions& options) {
  const std::string& collection_path = options.collection_path;
  if (!collection_path.ends_with(kCollectionEnding) ||
      FileName(collection_path).size() == kCollectionEnding.size()) {
    throw ErrorAbout(collection_path, "the collection's name must end in .pvd, as out.pvd does");
  }
  const ProgramChoice program = ChooseProgram(options.result_path, options.program);
  OutputFiles files;
  files.RegisterInput(options.result_path);
  // Created first, so that a missing folder or a refused file stops the run
  // before the long work.
  auto collection = files.Create(collection_path);

  auto model = std::make_unique<ModelStore>();
  auto averages = std::make_unique<NodeAverages>();
  ResultFile file(options.result_path, program.simulator);
  file.LoadModel(*model);

  ProgressLine progress;
  std::vector<PvdDataSet> data_sets;
  for (int64_t index = 1; file.ReadNextStep(*model); ++index) {
    progress.Step(index, file.StepCount(), model->StepNo, model->StepTime);
    if (!options.steps.Selects(model->StepNo, index == file.StepCount())) continue;
    const std::string path = StepFilePath(collection_path, std::ssize(data_sets) + 1);
    auto step_file = files.CreateOver(path);
    WriteVtuStep(*step_file, *model, program.simulator, *averages);
    step_file->Finish();
    data_sets.push_back({model->StepTime, FileName(path)});
  }
  WritePvdCollection(*collection, data_sets);
  collection->Flush();
  progress.Finish(files.FilesCreated(), std::ssize(data_sets), files.BytesWritten());
  if (data_sets.empty()) {
    std::cerr << "rxpost: warning: " << options.result_path
              << ": no step matches --steps; the collection lists no data set\n";
  }
}
