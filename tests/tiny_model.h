// TinyModel: a small model in a ModelStore, for the writer tests to fill by
// hand and run each writer on; and the text helpers those tests read the
// written lines back with.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_output.h"
#include "model/model_store.h"
#include "model/node_averages.h"

// Every array is indexed from 1 (slot 0 is unused). The node and element
// counts are public: a test may lower them below what it filled, to check
// that slots beyond them are left alone.
struct TinyModel {
  // `nodes` nodes and `elems` elements, all zero (ElemD 1), and a blank title.
  TinyModel(int32_t nodes, int32_t elems);

  void SetTitle(std::string_view title);
  void SetNode(int32_t n, double x, double y, double head);
  // Columns: corners 1 to 4, then the attribute (active above 0).
  void SetElem(int32_t e, const std::array<int32_t, 5>& columns, double vx, double vy,
               double d = 1);

  // Each writer run on the model, giving its text.
  std::string RestartStep(int32_t StepNo, double StepTime, int32_t HeadStyle, int32_t ProgramFlag,
                          int32_t NoHeadFlag);
  std::string TecplotZone(double StepTime, int32_t ProgramFlag);
  std::string MkViewStep(double StepTime, int32_t ProgramFlag);
  // AverageElemVelocities into `averages`.
  void Average(int32_t ProgramFlag);

  std::unique_ptr<ModelStore> store = std::make_unique<ModelStore>();
  std::unique_ptr<NodeAverages> averages = std::make_unique<NodeAverages>();
  ModelStore& model = *store;
  int32_t& NUMNP = model.NUMNP;
  int32_t& NUMEL = model.NUMEL;
};

// The lines of `text`, without their line ends.
std::vector<std::string> SplitLines(const std::string& text);
// The comma-separated fields of `line`, as text and as numbers (strtod).
std::vector<std::string> CommaTexts(const std::string& line);
std::vector<double> CommaFields(const std::string& line);
