#include "driver/transfer_run.h"

#include <iostream>
#include <memory>

#include "common/bounded_line.h"
#include "common/free_form.h"
#include "common/input_file.h"
#include "common/notes.h"
#include "common/output_files.h"
#include "common/progress_line.h"
#include "common/run_error.h"
#include "driver/dialogue_texts.h"
#include "driver/stop_run.h"
#include "driver/transfer_settings.h"
#include "model/model_store.h"
#include "reader/result_file.h"
#include "reader/step_selection.h"
#include "writers/output_kind.h"

namespace {

constexpr int kRejectedModelStop = 1111;

template <size_t N>
void WriteFixedLines(Console& console, const std::array<std::string_view, N>& lines) {
  for (std::string_view line : lines) console.FixedLine(line);
}

// A 0-or-1 answer; any other is refused, with a note, and the question repeats.
bool IsZeroOrOne(int32_t answer, std::string_view question) {
  if (answer == 0 || answer == 1) return true;
  WriteNote("answer " + std::to_string(answer) + " to \"" + std::string(question) +
            "\" is neither 0 nor 1; the question is asked again");
  return false;
}

int32_t AskZeroOrOne(Console& console, std::string_view question) {
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
    int32_t answer = console.ReadInteger(dialogue::kProgramQuestion);
    if (answer == 0) console.Prompt(dialogue::kOutputOfKorin);
    if (answer == 1) console.Prompt(dialogue::kOutputOfDelm);
    if (IsZeroOrOne(answer, dialogue::kProgramQuestion)) {
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
    int32_t choice = console.ReadInteger("file choice");
    if (choice == 0) return ResultFileFromWorkList(files);
    if (choice == 1) {
      console.Prompt(dialogue::kResultFileQuestion);
      return console.ReadFileName(dialogue::kResultFileQuestion);
    }
    IsZeroOrOne(choice, "file choice");
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
  if (console.ReadInteger("data OK question") != 0) throw StopRun{kRejectedModelStop};
}

// The menu answer, and the head style when the chosen kind asks for it.
const OutputKind* AskOutputKind(Console& console, TransferSettings& settings) {
  for (std::string_view line : dialogue::kKindMenu) console.Prompt(line);
  console.Prompt(dialogue::kInputNumber);
  settings.output_kind = console.ReadInteger("output type menu");
  const OutputKind* kind = FindOutputKind(settings.output_kind);
  if (kind == nullptr) {
    WriteNote("menu answer " + std::to_string(settings.output_kind) +
              " selects no output; the main output file is created and stays empty");
  }
  if (kind != nullptr && kind->asks_head_style && settings.simulator == Simulator::kKorin) {
    console.Prompt(dialogue::kHeadStyleQuestion);
    console.Prompt(dialogue::kInputNumber);
    settings.head_style = console.ReadInteger(dialogue::kHeadStyleQuestion);
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
  return console.ReadFileName(dialogue::kMainOutputQuestion);
}

int32_t AskRequestedStep(Console& console) {
  for (std::string_view line : dialogue::kStepQuestion) console.Prompt(line);
  console.Prompt(dialogue::kInputNumber);
  return console.ReadInteger("time step question");
}

// Reads every remaining step; each selected one (every one for a kind that
// follows all steps) goes to the kind's run, when there is one. Returns how
// many steps were handed to the run.
int64_t PassOverSteps(ResultFile& file, ModelStore& model, int32_t requested_step,
                      const OutputKind* kind, KindRun* run, ProgressLine& progress) {
  int64_t steps_read = 0, steps_selected = 0;
  while (file.ReadNextStep(model)) {
    ++steps_read;
    progress.Step(steps_read, file.StepCount(), model.StepNo, model.StepTime);
    if (run == nullptr) continue;
    const bool is_last_step = steps_read == file.StepCount();
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
// gets a warning, or a hint in the error it causes.
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
    std::cerr << "rxpost: warning: " << name << ": " << kLooksLikeDelm
              << "; it is read as RX-KORIN results, as answered\n";
  }
}

}  // namespace

void RunTransfer(Console& console) {
  TransferSettings settings;
  auto model = std::make_unique<ModelStore>();
  console.EmptyLine();
  console.EmptyLine();
  WriteFixedLines(console, dialogue::kInformationBox);
  AskZeroOrOne(console, "information box");
  settings.simulator = AskSimulator(console);
  OutputFiles files;
  settings.result_file_name = AskResultFileName(console, files);
  files.RegisterInput(settings.result_file_name);
  ResultFile result_file(settings.result_file_name, settings.simulator);
  LoadModelOrExplain(result_file, *model, settings.result_file_name);
  ConfirmModel(console, *model);

  const OutputKind* kind = AskOutputKind(console, settings);
  if (kind != nullptr && !kind->reads_file.empty()) {
    files.RegisterInput(std::string(kind->reads_file));
  }
  settings.main_output_name = AskMainOutputName(console);
  auto main_output = files.CreateOver(settings.main_output_name);
  const WriterOptions options = kind ? OptionsFor(*kind, settings) : WriterOptions{};
  std::unique_ptr<KindRun> run;
  if (kind != nullptr) run = kind->start({options, *main_output, files});

  if (kind != nullptr && kind->blank_line_first) console.BlankLine();
  if (run) run->Prepare(*model);
  settings.requested_step = AskRequestedStep(console);
  ProgressLine progress;
  const int64_t steps_selected =
      PassOverSteps(result_file, *model, settings.requested_step, kind, run.get(), progress);
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
