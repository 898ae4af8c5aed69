#include "driver/transfer_run.h"

#include <memory>

#include "common/bounded_line.h"
#include "common/free_form.h"
#include "common/input_file.h"
#include "common/notes.h"
#include "common/output_files.h"
#include "common/platform_lock.h"
#include "common/progress_line.h"
#include "common/run_error.h"
#include "driver/dialogue_texts.h"
#include "driver/stop_run.h"
#include "driver/transfer_settings.h"
#include "model/model_store.h"
#include "reader/result_file.h"
#include "reader/step_read_ahead.h"
#include "reader/step_selection.h"
#include "writers/output_kind.h"

namespace {

constexpr int kRejectedModelStop = 1111;

template <size_t N>
void WriteFixedLines(Console& console, const std::array<std::string_view, N>& lines) {
  for (std::string_view line : lines) console.FixedLine(line);
}

// A 0-or-1 answer; any other is refused, with a note, and the question repeats.
bool IsZeroOrOne(int32_t answer, const Question& question) {
  if (answer == 0 || answer == 1) return true;
  WriteNote("answer " + std::to_string(answer) + " to \"" + std::string(question.shown) +
            "\" is neither 0 nor 1; the question is asked again");
  return false;
}

int32_t AskZeroOrOne(Console& console, const Question& question) {
  for (;;) {
    console.Prompt(dialogue::kInputNumber);
    int32_t answer = console.ReadInteger(question);
    if (IsZeroOrOne(answer, question)) return answer;
  }
}

// The program question: 0 (RX-KORIN) or 1 (RX-DELM).
Simulator AskSimulator(Console& console) {
  for (;;) {
    console.EmptyLine();
    console.Prompt(dialogue::kProgramQuestion);
    int32_t answer = console.ReadInteger(dialogue::kProgramAnswer);
    if (answer == 0) console.Prompt(dialogue::kOutputOfKorin);
    if (answer == 1) console.Prompt(dialogue::kOutputOfDelm);
    if (IsZeroOrOne(answer, dialogue::kProgramAnswer)) {
      return answer == 1 ? Simulator::kDelm : Simulator::kKorin;
    }
  }
}

// The fourth line of the job list names the result file.
std::string ResultFileFromWorkList(OutputFiles& files) {
  constexpr size_t kKeptBytes = 4096;  // far more than a name needs
  const std::string work_list(dialogue::kWorkList);
  files.RegisterInput(work_list);
  InputFile in(work_list, "the job list");
  BoundedLine line;
  for (int i = 0; i < 4; ++i) {
    if (!ReadBoundedLine(in, kKeptBytes, LongLines::kSkip, line)) {
      throw ErrorAbout(work_list, "holds fewer than four lines");
    }
    if (i == 0) DropByteOrderMark(line.text);
  }
  if (line.holds_nul) throw ErrorAbout(work_list, "its fourth line holds a NUL byte");
  std::string name = FileNameFromReply(line.text, work_list + ", line 4");
  if (name.empty()) throw ErrorAbout(work_list, "its fourth line names no file");
  return name;
}

std::string AskResultFileName(Console& console, OutputFiles& files) {
  console.EmptyLine();
  WriteFixedLines(console, dialogue::kFileChoiceBox);
  console.EmptyLine();
  for (;;) {
    console.Prompt(dialogue::kInputNumber);
    int32_t choice = console.ReadInteger(dialogue::kFileChoiceAnswer);
    if (choice == 0) return ResultFileFromWorkList(files);
    if (choice == 1) {
      console.Prompt(dialogue::kResultFileQuestion);
      return console.ReadFileName(dialogue::kResultFileAnswer);
    }
    IsZeroOrOne(choice, dialogue::kFileChoiceAnswer);
  }
}

void ConfirmModel(Console& console, const ModelStore& model) {
  console.Prompt(std::string_view(model.Title.data(), model.Title.size()));
  FreeFormLine(console.out())
      .Text(dialogue::kNodeCountLabel)
      .Integer(model.NUMNP)
      .Text(dialogue::kElemCountLabel)
      .Integer(model.NUMEL)
      .End();
  console.EmptyLine();
  console.Prompt(dialogue::kDataOkQuestion);
  console.EmptyLine();
  console.Prompt(dialogue::kInputNumber);
  if (console.ReadInteger(dialogue::kDataOkAnswer) != 0) throw StopRun{kRejectedModelStop};
}

// The menu answer, and the head style when the chosen kind asks for it.
const OutputKind* AskOutputKind(Console& console, TransferSettings& settings) {
  for (std::string_view line : dialogue::kKindMenu) console.Prompt(line);
  console.Prompt(dialogue::kInputNumber);
  settings.output_kind = console.ReadInteger(dialogue::kKindAnswer);
  const OutputKind* kind = FindOutputKind(settings.output_kind);
  if (kind == nullptr) {
    WriteNote("menu answer " + std::to_string(settings.output_kind) +
              " selects no output; the main output file is created and stays empty");
  }
  if (kind != nullptr && kind->asks_head_style && settings.simulator == Simulator::kKorin) {
    console.Prompt(dialogue::kHeadStyleQuestion);
    console.Prompt(dialogue::kInputNumber);
    settings.head_style = console.ReadInteger(dialogue::kHeadStyleAnswer);
  }
  return kind;
}

WriterOptions OptionsFor(const OutputKind& kind, const TransferSettings& settings) {
  return {.simulator = settings.simulator,
          .head_style = settings.head_style,
          .no_head_flag = kind.no_head_lines ? 1 : 0};
}

std::string AskMainOutputName(Console& console) {
  console.BlankLine();
  console.BlankLine();
  console.Prompt(dialogue::kMainOutputQuestion);
  console.Prompt(dialogue::kOverwriteCaution);
  return console.ReadFileName(dialogue::kMainOutputAnswer);
}

int32_t AskRequestedStep(Console& console) {
  for (std::string_view line : dialogue::kStepQuestion) console.Prompt(line);
  console.Prompt(dialogue::kInputNumber);
  return console.ReadInteger(dialogue::kStepAnswer);
}

// Reads every remaining step; each selected one (every one for a kind that
// follows all steps) goes to the kind's run, when there is one. Returns how
// many steps were handed to the run.
int64_t PassOverSteps(StepReadAhead& steps, int64_t step_count, const ModelStore& model,
                      int32_t requested_step, const OutputKind* kind, KindRun* run,
                      ProgressLine& progress) {
  int64_t steps_read = 0, steps_selected = 0;
  while (steps.Next()) {
    ++steps_read;
    progress.Step(steps_read, step_count, model.StepNo, model.StepTime);
    if (run == nullptr) continue;
    const bool is_last_step = steps_read == step_count;
    if (kind->every_step || IsStepSelected(model.StepNo, requested_step, is_last_step)) {
      run->Step(model);
      ++steps_selected;
    }
  }
  return steps_selected;
}

void NoteUnmatchedStepRequest(const TransferSettings& settings, int64_t step_count) {
  WriteNote("the step request " + std::to_string(settings.requested_step) +
            " matches no step of \"" + EscapedText(settings.result_file_name) + "\" (" +
            std::to_string(step_count) + " steps read); no step is written");
}

constexpr std::string_view kLooksLikeDelm =
    "the node record holds 36 bytes a node, as RX-DELM results do";

// Loads the model; a file that looks like RX-DELM results read as RX-KORIN
// gets a note, or a hint in the error it causes.
void LoadModelOrExplain(ResultFile& file, ModelStore& model, const std::string& name) {
  try {
    file.LoadModel(model);
  } catch (const StepCutShort& error) {
    throw RunError(std::string(error.what()) +
                   " (the simulation may still be writing it; `rxpost info` and `rxpost vtk` "
                   "read the complete steps)");
  } catch (const RunError& error) {
    if (!file.LooksLikeDelmResults()) throw;
    throw RunError(std::string(error.what()) + " (" + std::string(kLooksLikeDelm) +
                   ": answer 1 to the program question)");
  }
  if (file.LooksLikeDelmResults()) {
    WriteNote(EscapedText(name) + ": " + std::string(kLooksLikeDelm) +
              "; it is read as RX-KORIN results, as answered");
  }
}

constexpr std::string_view kLockFileName = "rxpost.lock";

// A kind's fixed-name outputs are this run's alone for its whole length: the
// main output may be none of them, and no other run in the folder may be
// writing them. Returns the held lock (none for a kind without such files).
std::unique_ptr<LockFile> ClaimFixedOutputs(const OutputKind& kind, const std::string& main) {
  if (kind.fixed_outputs.empty()) return nullptr;
  for (std::string_view name : kind.fixed_outputs) {
    if (OutputFiles::SameFile(main, std::string(name))) {
      throw ErrorAbout(main, "is " + std::string(name) +
                                 ", which this output kind writes itself; give the main output "
                                 "another name");
    }
  }
  if (OutputFiles::SameFile(main, std::string(kLockFileName))) {
    throw ErrorAbout(main, "is the lock file of rxpost runs; give the main output another name");
  }
  auto lock = std::make_unique<LockFile>(std::string(kLockFileName));
  for (std::string_view name : kind.fixed_outputs) {
    if (!lock->TryClaim(name)) {
      throw ErrorAbout(std::string(name),
                       "is being written by another rxpost run in this folder; wait until it "
                       "ends, or run in another folder");
    }
  }
  return lock;
}

}  // namespace

void RunTransfer(Console& console) {
  TransferSettings settings;
  auto model = std::make_unique<ModelStore>();
  model->WillReadAhead();  // the steps pass through a StepReadAhead
  console.EmptyLine();
  console.EmptyLine();
  WriteFixedLines(console, dialogue::kInformationBox);
  AskZeroOrOne(console, dialogue::kInformationAnswer);
  settings.simulator = AskSimulator(console);
  OutputFiles files;
  settings.result_file_name = AskResultFileName(console, files);
  files.RegisterInput(settings.result_file_name);
  ResultFile result_file(settings.result_file_name, settings.simulator);
  ProgressLine progress;
  progress.Loading(settings.result_file_name);
  LoadModelOrExplain(result_file, *model, settings.result_file_name);
  ConfirmModel(console, *model);
  // Step 1 is read while the questions are answered and the kind's first
  // lines written; each later step while the one before it is written.
  StepReadAhead steps(result_file, *model);

  const OutputKind* kind = AskOutputKind(console, settings);
  if (kind != nullptr && !kind->reads_file.empty()) {
    files.RegisterInput(std::string(kind->reads_file));
  }
  settings.main_output_name = AskMainOutputName(console);
  const std::unique_ptr<LockFile> lock =
      kind ? ClaimFixedOutputs(*kind, settings.main_output_name) : nullptr;
  auto main_output = files.Create(settings.main_output_name);
  const WriterOptions options = kind ? OptionsFor(*kind, settings) : WriterOptions{};
  std::unique_ptr<KindRun> run;
  if (kind != nullptr) run = kind->start({options, *main_output, files});

  if (kind != nullptr && kind->blank_line_first) console.BlankLine();
  if (run) run->Prepare(*model);
  settings.requested_step = AskRequestedStep(console);
  if (kind != nullptr && kind->every_step && settings.requested_step >= 0) {
    WriteNote("menu answer " + std::to_string(settings.output_kind) +
              " writes every step; the step answer " + std::to_string(settings.requested_step) +
              " does not limit it");
  }
  const int64_t steps_selected = PassOverSteps(steps, result_file.StepCount(), *model,
                                               settings.requested_step, kind, run.get(), progress);
  if (run && !kind->every_step && steps_selected == 0) {
    NoteUnmatchedStepRequest(settings, result_file.StepCount());
  }
  if (run) run->Finish(*model);
  main_output->Finish();
  progress.Finish(files.FilesCreated(), steps_selected, files.BytesWritten());

  console.EmptyLine();
  console.EmptyLine();
  console.FixedLine(dialogue::kClosingBanner);
  console.BlankLine();
}
