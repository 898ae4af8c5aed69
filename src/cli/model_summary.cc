#include "cli/model_summary.h"

#include "common/shown_text.h"
#include "model/elem_columns.h"
#include "model/step_quantities.h"

std::string DescribeNotNumbers(
    std::initializer_list<std::pair<const char*, const ValueRange*>> ranges) {
  std::string text;
  for (const auto& [name, range] : ranges) {
    if (range->not_numbers == 0) continue;
    text += (text.empty() ? "" : ", ") + std::string(name) + " " +
            std::to_string(range->not_numbers) + " of " + std::to_string(range->values);
  }
  return text;
}

MeshSummary SummarizeMesh(const ModelStore& model) {
  MeshSummary mesh;
  mesh.nodes = model.NUMNP;
  mesh.elements = model.NUMEL;
  for (int32_t n = 1; n <= model.NUMNP; ++n) {
    mesh.x.Add(model.NodeX[n]);
    mesh.y.Add(model.NodeY[n]);
  }
  const ElemColumns elems(model);
  for (int32_t e = 1; e <= model.NUMEL; ++e) {
    ++(elems.IsActive(e) ? mesh.active : mesh.inactive);
    ++(elems.IsTriangle(e) ? mesh.triangles : mesh.quadrilaterals);
  }
  return mesh;
}

StepSummary SummarizeStep(const ModelStore& model, Simulator simulator) {
  StepSummary step;
  step.number = model.StepNo;
  step.time = model.StepTime;
  for (int32_t n = 1; n <= model.NUMNP; ++n) {
    step.head.Add(TotalHead(model, simulator, n));
    step.discharge.Add(model.NodeFlow[n]);
  }
  const ElemColumns elems(model);
  for (int32_t e = 1; e <= model.NUMEL; ++e) {
    if (!elems.IsActive(e)) continue;
    step.velocity.Add(Magnitude(ElemVelocity(model, simulator, e)));
  }
  return step;
}

std::string ShownTitle(const ModelStore& model) {
  std::string title(model.TitleText());
  while (!title.empty() && (title.back() == ' ' || title.back() == '\0')) title.pop_back();
  return EscapedText(title);
}
