// TinyModel: a small model in plain arrays, in the form the restart, TECPLOT
// and mkVIEW writers and AverageElemVelocities take it, for the writer tests
// to fill by hand and run each writer on; and the text helpers those tests
// read the written lines back with.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_output.h"

// Every array is indexed from 1 (slot 0 is unused). The element table is
// column-major with a column stride of the model's own (ElemStride), never the
// program's MaxDim, so that a writer reading it with another stride reads the
// wrong columns. The node and element counts are public: a test may lower them
// below the room made, to check that slots beyond them are left alone.
struct TinyModel {
  // Room for `nodes` nodes and `elems` elements, all zero (ElemD 1), and a
  // blank title. The stride is elems + 2 unless one is given (at least elems).
  TinyModel(int32_t nodes, int32_t elems, std::optional<int32_t> stride = std::nullopt);

  void SetTitle(std::string_view title);
  void SetNode(int32_t n, double x, double y, double head);
  // Columns: corners 1 to 4, then the attribute (active above 0).
  void SetElem(int32_t e, const std::array<int32_t, 5>& columns, double vx, double vy,
               double d = 1);

  // Each writer run on the model, appending to `out` or giving its text.
  void AppendRestartStep(TextOutput& out, int32_t StepNo, double StepTime, int32_t HeadStyle,
                         int32_t ProgramFlag, int32_t NoHeadFlag) const;
  std::string RestartStep(int32_t StepNo, double StepTime, int32_t HeadStyle, int32_t ProgramFlag,
                          int32_t NoHeadFlag) const;
  void AppendTecplotZone(TextOutput& out, double StepTime, int32_t ProgramFlag);
  std::string TecplotZone(double StepTime, int32_t ProgramFlag);
  std::string MkViewStep(double StepTime, int32_t ProgramFlag);
  // AverageElemVelocities into the node work arrays.
  void Average(int32_t ProgramFlag);

  int32_t NUMNP, NUMEL, ElemStride;
  std::array<char, 80> Title;
  std::vector<int32_t> NodeCode, NodeExtraCode;
  std::vector<double> NodeX, NodeY, NodeHead, NodeFlow, NodeExtraA, NodeExtraB;
  // Work arrays the TECPLOT and mkVIEW writers fill with node averages.
  std::vector<int32_t> NodeElemCount;
  std::vector<double> NodeVX, NodeVY, NodeWorkA, NodeWorkB;
  std::vector<int32_t> ElemNodes;
  std::vector<double> ElemVX, ElemVY, ElemD;
};

// The lines of `text`, without their line ends.
std::vector<std::string> SplitLines(const std::string& text);
// The comma-separated fields of `line`, as text and as numbers (strtod).
std::vector<std::string> CommaTexts(const std::string& line);
std::vector<double> CommaFields(const std::string& line);
