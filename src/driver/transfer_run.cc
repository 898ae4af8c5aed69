#include "driver/transfer_run.h"

#include <fstream>
#include <iostream>
#include <memory>

#include "common/free_form.h"
#include "common/run_error.h"
#include "driver/dialogue_texts.h"
#include "driver/model_store.h"
#include "driver/result_file.h"
#include "driver/step_selection.h"
#include "driver/step_writers.h"
#include "driver/stop_run.h"
#include "driver/transfer_settings.h"

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

void AskOutputKind(Console& console, TransferSettings& settings) {
  for (std::string_view line : dialogue::kKindMenu) console.Prompt(line);
  console.Prompt(dialogue::kInputNumber);
  settings.output_kind = console.ReadInteger("output type menu");
  settings.NoHeadFlag = settings.output_kind == kRestartNoHead ? 1 : 0;
  bool is_restart = settings.output_kind == kRestart || settings.output_kind == kRestartNoHead;
  if (is_restart && settings.ProgramFlag == 0) {
    console.Prompt(dialogue::kHeadStyleQuestion);
    console.Prompt(dialogue::kInputNumber);
    settings.HeadStyle = console.ReadInteger(dialogue::kHeadStyleQuestion);
  }
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

// Reads every remaining step; each selected one goes to the kind's writer.
void PassOverSteps(ResultFile& file, ModelStore& model, const TransferSettings& settings,
                   TextOutput& main_output) {
  int64_t record_counter = 5;
  while (file.ReadNextStep(model)) {
    record_counter += 3;
    bool is_last_step = record_counter == file.RecordTotal();
    if (IsStepSelected(model.StepNo, settings.RequestedStep, is_last_step)) {
      WriteSelectedStep(settings, model, main_output);
    }
  }
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

  ResultFile result_file(settings.ResultFileName, settings.ProgramFlag);
  LoadModelOrExplain(result_file, *model, settings.ResultFileName);
  ConfirmModel(console, *model);

  AskOutputKind(console, settings);
  settings.MainOutputName = AskMainOutputName(console);
  auto main_output = TextOutput::Create(settings.MainOutputName);
  settings.RequestedStep = AskRequestedStep(console);
  PassOverSteps(result_file, *model, settings, *main_output);
  main_output->Flush();

  console.EmptyLine();
  console.EmptyLine();
  console.FixedLine(dialogue::kClosingBanner);
  console.BlankLine();
}
