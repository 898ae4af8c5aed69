#include "cli/model_summary.h"

#include "model/elem_columns.h"

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

StepSummary SummarizeStep(const ModelStore& model, int32_t ProgramFlag) {
  StepSummary step;
  step.number = model.StepNo;
  step.time = model.StepTime;
  const bool delm = ProgramFlag == 1;
  for (int32_t n = 1; n <= model.NUMNP; ++n) {
    step.head.Add(delm ? model.NodeHead[n] : model.NodeHead[n] + model.NodeY[n]);
    step.discharge.Add(model.NodeFlow[n]);
  }
  const ElemColumns elems(model);
  for (int32_t e = 1; e <= model.NUMEL; ++e) {
    if (!elems.IsActive(e)) continue;
    const double scale = delm ? 1.0 / model.ElemD[e] : 1.0;
    step.velocity.Add(Magnitude(model.ElemVX[e] * scale, model.ElemVY[e] * scale));
  }
  return step;
}
