#include "cli/info_command.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string_view>

#include "cli/model_summary.h"
#include "cli/program_choice.h"
#include "cli/step_notes.h"
#include "common/text_output.h"
#include "reader/result_file.h"

namespace {

// Text into the output, each '\n' as the platform's line end.
void PrintText(TextOutput& out, std::string_view text) {
  for (size_t end; (end = text.find('\n')) != std::string_view::npos;) {
    out.Append(text.substr(0, end));
    out.EndLine();
    text.remove_prefix(end + 1);
  }
  out.Append(text);
}

// printf into the output; every use here is far below the room given.
[[gnu::format(printf, 2, 3)]] void Print(TextOutput& out, const char* format, ...) {
  constexpr size_t kRoom = 1024;
  char text[kRoom];
  va_list args;
  va_start(args, format);
  const int size = std::vsnprintf(text, kRoom, format, args);
  va_end(args);
  PrintText(out, std::string_view(text, std::min<size_t>(static_cast<size_t>(size), kRoom - 1)));
}

// Text form: a readable value, or "-" for an empty range.
void PrintRange(TextOutput& out, const ValueRange& range) {
  if (range.IsEmpty()) {
    Print(out, "%15s %15s", "-", "-");
  } else {
    Print(out, "%15.6g %15.6g", range.min, range.max);
  }
}

void PrintTextMesh(TextOutput& out, const InfoOptions& options, const ProgramChoice& program,
                   const ModelStore& model, const MeshSummary& mesh, const ResultFile& file) {
  const int64_t steps = file.StepCount();
  Print(out, "file       %s\n", options.result_path.c_str());
  Print(out, "simulator  %s (%s)\n", SimulatorName(program.simulator).data(), program.how.c_str());
  Print(out, "title      %s\n", ShownTitle(model).c_str());
  Print(out, "nodes      %d\n", mesh.nodes);
  Print(out, "elements   %d: %d active, %d inactive; %d quadrilaterals, %d triangles\n",
        mesh.elements, mesh.active, mesh.inactive, mesh.quadrilaterals, mesh.triangles);
  const std::pair<const char*, const ValueRange*> extents[] = {{"x", &mesh.x}, {"y", &mesh.y}};
  for (const auto& [axis, range] : extents) {
    if (range->IsEmpty()) {
      Print(out, "%s extent   -\n", axis);
    } else {
      Print(out, "%s extent   %.6g to %.6g\n", axis, range->min, range->max);
    }
  }
  Print(out, "steps      %lld", static_cast<long long>(steps));
  if (const std::optional<IncompleteStep>& tail = file.Incomplete()) {
    Print(out, " complete; step %lld incomplete, %lld bytes of it so far",
          static_cast<long long>(tail->index), static_cast<long long>(tail->bytes));
  }
  out.EndLine();
  if (steps == 0) return;
  Print(out, "\n%8s %11s %15s %15s %15s %15s %15s %15s %15s\n", "step", "number", "time",
        "total head min", "total head max", "discharge min", "discharge max", "velocity min",
        "velocity max");
}

void PrintTextStep(TextOutput& out, int64_t index, const StepSummary& step) {
  Print(out, "%8lld %11d %15.6g ", static_cast<long long>(index), step.number, step.time);
  for (const ValueRange* range : {&step.head, &step.discharge, &step.velocity}) {
    PrintRange(out, *range);
    if (range == &step.velocity) {
      out.EndLine();
    } else {
      out.Append(' ');
    }
  }
}

// CSV form: the shortest text that reads back as the same double; an empty
// range gives empty fields.
void AppendCsvNumber(TextOutput& out, double value) {
  char* room = out.Reserve(32);
  out.Commit(std::to_chars(room, room + 32, value).ptr);
}

void AppendCsvRange(TextOutput& out, const ValueRange& range) {
  out.Append(',');
  if (!range.IsEmpty()) AppendCsvNumber(out, range.min);
  out.Append(',');
  if (!range.IsEmpty()) AppendCsvNumber(out, range.max);
}

void PrintCsvMesh(TextOutput& out, const ProgramChoice& program, const ModelStore& model,
                  const MeshSummary& mesh, int64_t steps) {
  PrintText(out,
            "simulator,title,nodes,elements,active,inactive,quadrilaterals,triangles,"
            "x_min,x_max,y_min,y_max,steps\n");
  Print(out, "%s,\"", SimulatorName(program.simulator).data());
  for (char c : ShownTitle(model)) {
    if (c == '"') out.Append('"');
    out.Append(c);
  }
  Print(out, "\",%d,%d,%d,%d,%d,%d", mesh.nodes, mesh.elements, mesh.active, mesh.inactive,
        mesh.quadrilaterals, mesh.triangles);
  AppendCsvRange(out, mesh.x);
  AppendCsvRange(out, mesh.y);
  Print(out, ",%lld\n\n", static_cast<long long>(steps));
  PrintText(out,
            "step,number,time,total_head_min,total_head_max,discharge_min,discharge_max,"
            "velocity_min,velocity_max\n");
}

void PrintCsvStep(TextOutput& out, int64_t index, const StepSummary& step) {
  Print(out, "%lld,%d,", static_cast<long long>(index), step.number);
  AppendCsvNumber(out, step.time);
  AppendCsvRange(out, step.head);
  AppendCsvRange(out, step.discharge);
  AppendCsvRange(out, step.velocity);
  out.EndLine();
}

}  // namespace

void RunInfo(const InfoOptions& options) {
  const ProgramChoice program = ChooseProgram(options.result_path, options.program);
  auto model = std::make_unique<ModelStore>();
  ResultFile file(options.result_path, program.simulator);
  file.LoadModel(*model, EndInsideStep::kEndsTheSteps);
  NoteIncompleteStep(options.result_path, file);

  const std::unique_ptr<TextOutput> standard_output = TextOutput::StandardOutput();
  TextOutput& out = *standard_output;
  const MeshSummary mesh = SummarizeMesh(*model);
  if (options.csv) {
    PrintCsvMesh(out, program, *model, mesh, file.StepCount());
  } else {
    PrintTextMesh(out, options, program, *model, mesh, file);
  }
  for (int64_t index = 1; file.ReadNextStep(*model); ++index) {
    const StepSummary step = SummarizeStep(*model, program.simulator);
    if (options.csv) {
      PrintCsvStep(out, index, step);
    } else {
      PrintTextStep(out, index, step);
    }
  }
  out.Flush();
}
