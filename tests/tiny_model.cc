#include "tiny_model.h"

#include <algorithm>
#include <sstream>

#include "model/elem_columns.h"

TinyModel::TinyModel(int32_t nodes, int32_t elems) {
  model.PrepareNodeArrays(nodes);
  model.PrepareElemArrays(elems);
  model.NUMNP = nodes;
  model.NUMEL = elems;
  model.Title.fill(' ');
  std::fill_n(model.ElemD, elems + 1, 1.0);
}

void TinyModel::SetNode(int32_t n, double x, double y, double head) {
  model.NodeX[n] = x, model.NodeY[n] = y, model.NodeHead[n] = head;
}

void TinyModel::SetElem(int32_t e, const std::array<int32_t, 5>& columns, double vx, double vy,
                        double d) {
  for (int c = 0; c < 5; ++c) model.ElemNodes[ElemColumns::Index(e, c + 1)] = columns[c];
  model.ElemVX[e] = vx, model.ElemVY[e] = vy, model.ElemD[e] = d;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}
