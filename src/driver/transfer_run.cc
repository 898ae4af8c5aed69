#include "driver/transfer_run.h"

#include <fstream>
#include <iostream>
#include <memory>

#include "common/free_form.h"
#include "common/output_files.h"
#include "common/progress_line.h"
#include "common/run_error.h"
#include "driver/dialogue_texts.h"
#include "driver/result_file.h"
#include "driver/step_selection.h"
#include "driver/stop_run.h"
#include "driver/transfer_settings.h"
#include "model/model_store.h"
#include "writers/output_kind.h"

namespace {

constexpr int kRejectedModelStop = 1111;

template <size_t N>
void WriteFixedLines(Console& console, const std::array<std::string_view, N>& lines) {
  for (std::string_view line : lines) console.FixedLine(line);
}

int32_t AskZeroOrOne(Console& console, std::string_view question) {
  for (;;) {
    console.Prompt(dialogue::kInputNumber);
    int32_t answer = console.ReadInteger(question);
    if (answer == 0 || answer == 1) return answer;
  }
}

int32_t AskProgramFlag(Console& console) {
  for (;;) {
    console.EmptyLine();
    console.Prompt(dialogue::kProgramQuestion);
    int32_t answer = console.ReadInteger(dialogue::kProgramQuestion);
    if (answer == 0) console.Prompt(dialogue::kOutputOfKorin);
    if (answer == 1) console.Prompt(dialogue::kOutputOfDelm);
    if (answer == 0 || answer == 1) return answer;
  }
}

// The fourth line of the job list names the result file.
std::string ResultFileFromWorkList() {
  const std::string work_list(dialogue::kWorkList);
  std::ifstream in(work_list);
  if (!in) throw ErrorAbout(work_list, "cannot open the job list");
  std::string line;
  for (int i = 0; i < 4; ++i) {
    if (!std::getline(in, line)) throw ErrorAbout(work_list, "holds fewer than four lines");
  }
  std::string name = FileNameFromLine(line);
  if (name.empty()) throw ErrorAbout(work_list, "its fourth line names no file");
  return name;
}

std::string AskResultFileName(Console& console) {
  console.EmptyLine();
  WriteFixedLines(console, dialogue::kFileChoiceBox);
  console.EmptyLine();
  for (;;) {
    console.Prompt(dialogue::kInputNumber);
    int32_t choice = console.ReadInteger("file choice");
    if (choice == 0) return ResultFileFromWorkList();
    if (choice == 1) {
      console.Prompt(dialogue::kResultFileQuestion);
      return console.ReadFileName(dialogue::kResultFileQuestion);
    }
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
  if (kind != nullptr && kind->asks_head_style && settings.ProgramFlag == 0) {
    console.Prompt(dialogue::kHeadStyleQuestion);
    console.Prompt(dialogue::kInputNumber);
    settings.HeadStyle = console.ReadInteger(dialogue::kHeadStyleQuestion);
  }
  return kind;
}

WriterOptions OptionsFor(const OutputKind& kind, const TransferSettings& settings) {
  return {.ProgramFlag = settings.ProgramFlag,
          .HeadStyle = settings.HeadStyle,
          .NoHeadFlag = kind.no_head_lines ? 1 : 0};
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
// follows all steps) goes to the kind's run, when there is one. Returns the
// number of steps handed to the run.
int64_t PassOverSteps(ResultFile& file, ModelStore& model, int32_t RequestedStep,
                      const OutputKind* kind, KindRun* run, ProgressLine& progress) {
  int64_t steps_read = 0, steps_written = 0;
  while (file.ReadNextStep(model)) {
    ++steps_read;
    progress.Step(steps_read, file.StepCount(), model.StepNo, model.StepTime);
    if (run == nullptr) continue;
    const bool is_last_step = steps_read == file.StepCount();
    if (kind->every_step || IsStepSelected(model.StepNo, RequestedStep, is_last_step)) {
      run->Step(model);
      ++steps_written;
    }
  }
  return steps_written;
}

constexpr std::string_view kLooksLikeDelm =
    "the node record holds 36 bytes a node, as RX-DELM results do";

// Loads the model; a file that looks like RX-DELM results read as RX-KORIN
// gets a warning, or a hint in the error it causes.
void LoadModelOrExplain(ResultFile& file, ModelStore& model, const std::string& name) {
  try {
    file.LoadModel(model);
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
  settings.ProgramFlag = AskProgramFlag(console);
  settings.ResultFileName = AskResultFileName(console);

  OutputFiles files;
  files.RegisterInput(settings.ResultFileName);
  ResultFile result_file(settings.ResultFileName, settings.ProgramFlag);
  LoadModelOrExplain(result_file, *model, settings.ResultFileName);
  ConfirmModel(console, *model);

  const OutputKind* kind = AskOutputKind(console, settings);
  if (kind != nullptr && !kind->reads_file.empty()) {
    files.RegisterInput(std::string(kind->reads_file));
  }
  settings.MainOutputName = AskMainOutputName(console);
  auto main_output = files.CreateOver(settings.MainOutputName);
  const WriterOptions options = kind ? OptionsFor(*kind, settings) : WriterOptions{};
  std::unique_ptr<KindRun> run;
  if (kind != nullptr) run = kind->start({options, *main_output, files});

  if (kind != nullptr && kind->blank_line_first) console.BlankLine();
  if (run) run->Prepare(*model);
  settings.RequestedStep = AskRequestedStep(console);
  ProgressLine progress;
  const int64_t steps_written =
      PassOverSteps(result_file, *model, settings.RequestedStep, kind, run.get(), progress);
  if (run) run->Finish(*model);
  main_output->Finish();
  progress.Finish(files.FilesCreated(), steps_written, files.BytesWritten());

  console.EmptyLine();
  console.EmptyLine();
  console.FixedLine(dialogue::kClosingBanner);
  console.BlankLine();
}
