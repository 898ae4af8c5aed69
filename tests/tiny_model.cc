#include "tiny_model.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "text_capture.h"
#include "writers/average_elem_velocities.h"
#include "writers/mkview_writer.h"
#include "writers/restart_writer.h"
#include "writers/tecplot_writer.h"

namespace {

int32_t CheckedStride(int32_t elems, std::optional<int32_t> stride) {
  const int32_t chosen = stride.value_or(elems + 2);
  if (chosen < elems) throw std::invalid_argument("TinyModel: stride below element count");
  return chosen;
}

}  // namespace

TinyModel::TinyModel(int32_t nodes, int32_t elems, std::optional<int32_t> stride)
    : NUMNP(nodes),
      NUMEL(elems),
      ElemStride(CheckedStride(elems, stride)),
      NodeCode(nodes + 1),
      NodeExtraCode(nodes + 1),
      NodeX(nodes + 1),
      NodeY(nodes + 1),
      NodeHead(nodes + 1),
      NodeFlow(nodes + 1),
      NodeExtraA(nodes + 1),
      NodeExtraB(nodes + 1),
      NodeElemCount(nodes + 1),
      NodeVX(nodes + 1),
      NodeVY(nodes + 1),
      NodeWorkA(nodes + 1),
      NodeWorkB(nodes + 1),
      ElemNodes(5 * ElemStride + 1),
      ElemVX(ElemStride + 1),
      ElemVY(ElemStride + 1),
      ElemD(ElemStride + 1, 1.0) {
  Title.fill(' ');
}

void TinyModel::SetTitle(std::string_view title) {
  Title.fill(' ');
  std::copy_n(title.begin(), std::min(title.size(), Title.size()), Title.begin());
}

void TinyModel::SetNode(int32_t n, double x, double y, double head) {
  NodeX[n] = x, NodeY[n] = y, NodeHead[n] = head;
}

void TinyModel::SetElem(int32_t e, const std::array<int32_t, 5>& columns, double vx, double vy,
                        double d) {
  for (int c = 0; c < 5; ++c) ElemNodes[c * ElemStride + e] = columns[c];
  ElemVX[e] = vx, ElemVY[e] = vy, ElemD[e] = d;
}

void TinyModel::AppendRestartStep(TextOutput& out, int32_t StepNo, double StepTime,
                                  int32_t HeadStyle, int32_t ProgramFlag,
                                  int32_t NoHeadFlag) const {
  WriteRestartStep(out, NodeCode.data(), NodeX.data(), NodeY.data(), NodeHead.data(),
                   NodeFlow.data(), NodeExtraCode.data(), NodeExtraA.data(), NodeExtraB.data(),
                   NUMNP, StepNo, StepTime, HeadStyle, ProgramFlag, NoHeadFlag);
}

std::string TinyModel::RestartStep(int32_t StepNo, double StepTime, int32_t HeadStyle,
                                   int32_t ProgramFlag, int32_t NoHeadFlag) const {
  return CaptureText([&](TextOutput& out) {
    AppendRestartStep(out, StepNo, StepTime, HeadStyle, ProgramFlag, NoHeadFlag);
  });
}

void TinyModel::AppendTecplotZone(TextOutput& out, double StepTime, int32_t ProgramFlag) {
  WriteTecplotZone(out, Title, NodeX.data(), NodeY.data(), NodeHead.data(), ElemVX.data(),
                   ElemVY.data(), ElemNodes.data(), NodeVX.data(), NodeVY.data(),
                   NodeElemCount.data(), ElemD.data(), NodeWorkA.data(), NodeWorkB.data(), NUMNP,
                   NUMEL, ElemStride, StepTime, ProgramFlag);
}

std::string TinyModel::TecplotZone(double StepTime, int32_t ProgramFlag) {
  return CaptureText([&](TextOutput& out) { AppendTecplotZone(out, StepTime, ProgramFlag); });
}

std::string TinyModel::MkViewStep(double StepTime, int32_t ProgramFlag) {
  return CaptureText([&](TextOutput& out) {
    WriteMkViewStep(out, Title, NodeX.data(), NodeY.data(), NodeHead.data(), ElemVX.data(),
                    ElemVY.data(), ElemNodes.data(), NodeVX.data(), NodeVY.data(),
                    NodeElemCount.data(), NodeExtraB.data(), NodeFlow.data(), NodeWorkA.data(),
                    NodeWorkB.data(), ElemD.data(), NUMNP, NUMEL, ElemStride, StepTime,
                    ProgramFlag);
  });
}

void TinyModel::Average(int32_t ProgramFlag) {
  AverageElemVelocities(NodeElemCount.data(), NodeVX.data(), NodeVY.data(), NodeWorkA.data(),
                        NodeWorkB.data(), ElemNodes.data(), ElemVX.data(), ElemVY.data(),
                        ElemD.data(), NUMNP, NUMEL, ElemStride, ProgramFlag);
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
