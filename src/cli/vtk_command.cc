#include "cli/vtk_command.h"

#include <memory>

#include "cli/program_choice.h"
#include "cli/step_notes.h"
#include "cli/vtk_follow.h"
#include "cli/vtk_steps.h"
#include "common/notes.h"
#include "common/output_files.h"
#include "common/platform_file_watch.h"
#include "common/progress_line.h"
#include "common/run_error.h"
#include "reader/result_file.h"
#include "writers/pvd_collection.h"

namespace {

void NoteUnlistableTimes(const std::string& result_path, const PvdCollection& collection) {
  for (const PvdDataSet& data_set : collection.DataSets()) {
    if (!IsUnlistableTime(data_set.time)) continue;
    WriteNote(EscapedText(result_path) + ": a step's time is not a finite number; such a step is " +
              "listed in the collection at its step number as time (step number " +
              std::to_string(data_set.step_number) + ", the first)");
    return;
  }
}

void NoteEmptyCollection(const std::string& result_path, const VtkSteps& steps) {
  WriteNote(EscapedText(result_path) +
            ": no step matches --steps; the collection lists no data set (the step numbers "
            "read: " +
            (steps.StepsRead() == 0 ? "none, the file has no complete step" : steps.NumbersRead()) +
            ")");
}

}  // namespace

void RunVtk(const VtkOptions& options) {
  const ProgramChoice program = ChooseProgram(options.result_path, options.program);
  OutputFiles files;
  files.RegisterInput(options.result_path);
  // Checked and prepared first, so that a missing folder or a refused name
  // stops the run before the long work; nothing of an existing collection is
  // touched until the result file has been read through.
  PvdCollection collection(files, options.collection_path);
  if (options.follow) CatchStopSignals();

  auto model = std::make_unique<ModelStore>();
  ResultFile file(options.result_path, program.simulator);
  ProgressLine progress;
  progress.Loading(options.result_path);
  file.LoadModel(*model, EndInsideStep::kEndsTheSteps);
  if (!options.follow) NoteIncompleteStep(options.result_path, file);

  VtkSteps steps(files, collection, options.steps, program.simulator);
  const auto finish_progress = [&] {
    progress.Finish(files.FilesCreated() + 1, std::ssize(collection.DataSets()),
                    files.BytesWritten());
  };
  steps.TakeCountedSteps(file, *model, progress);
  collection.PutInPlace();
  std::string idle_note;
  if (options.follow) {
    try {
      idle_note = FollowGrowth(options, file, *model, steps, collection, progress);
    } catch (const RunError&) {
      finish_progress();
      throw;
    }
  }
  finish_progress();
  if (!idle_note.empty()) WriteNote(idle_note);
  NoteUnlistableTimes(options.result_path, collection);
  if (collection.DataSets().empty()) NoteEmptyCollection(options.result_path, steps);
}
