#include "tiny_model.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "model/elem_columns.h"
#include "text_capture.h"
#include "writers/mkview_writer.h"
#include "writers/restart_writer.h"
#include "writers/tecplot_writer.h"

TinyModel::TinyModel(int32_t nodes, int32_t elems) {
  NUMNP = nodes;
  NUMEL = elems;
  model.PrepareNodeArrays(nodes);
  model.PrepareElemArrays(elems);
  averages->ShowEntries(nodes);
  model.Title.fill(' ');
  std::fill_n(model.ElemD, elems + 1, 1.0);
}

void TinyModel::SetTitle(std::string_view title) {
  model.Title.fill(' ');
  std::copy_n(title.begin(), std::min(title.size(), model.Title.size()), model.Title.begin());
}

void TinyModel::SetNode(int32_t n, double x, double y, double head) {
  model.NodeX[n] = x, model.NodeY[n] = y, model.NodeHead[n] = head;
}

void TinyModel::SetElem(int32_t e, const std::array<int32_t, 5>& columns, double vx, double vy,
                        double d) {
  for (int c = 0; c < 5; ++c) model.ElemNodes[ElemColumns::Index(e, c + 1)] = columns[c];
  model.ElemVX[e] = vx, model.ElemVY[e] = vy, model.ElemD[e] = d;
}

std::string TinyModel::RestartStep(int32_t StepNo, double StepTime, int32_t HeadStyle,
                                   int32_t ProgramFlag, int32_t NoHeadFlag) {
  model.StepNo = StepNo, model.StepTime = StepTime;
  const WriterOptions options{ProgramFlag, HeadStyle, NoHeadFlag};
  return CaptureText([&](TextOutput& out) { WriteRestartStep(out, model, options); });
}

std::string TinyModel::TecplotZone(double StepTime, int32_t ProgramFlag) {
  model.StepTime = StepTime;
  return CaptureText(
      [&](TextOutput& out) { WriteTecplotZone(out, model, ProgramFlag, *averages); });
}

std::string TinyModel::MkViewStep(double StepTime, int32_t ProgramFlag) {
  model.StepTime = StepTime;
  return CaptureText([&](TextOutput& out) { WriteMkViewStep(out, model, ProgramFlag, *averages); });
}

void TinyModel::Average(int32_t ProgramFlag) {
  AverageElemVelocities(model, ProgramFlag, *averages);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> CommaTexts(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream stream(line);
  for (std::string field; std::getline(stream, field, ',');) fields.push_back(field);
  return fields;
}

std::vector<double> CommaFields(const std::string& line) {
  std::vector<double> fields;
  for (const std::string& text : CommaTexts(line)) {
    fields.push_back(std::strtod(text.c_str(), nullptr));
  }
  return fields;
}
