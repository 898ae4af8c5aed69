#include "writers/mkview_writer.h"

#include <string_view>

#include "common/fixed_line.h"
#include "common/line_layout.h"
#include "common/parallel_lines.h"
#include "model/elem_columns.h"
#include "model/step_quantities.h"
#include "writers/averaging_step_run.h"

namespace {

constexpr LayoutItem kTimeLine[] = {LiteralItem("TIME="), ScaledRealItem(12, 4)};
// "TITTLE" is the spelling the file format keeps.
constexpr LayoutItem kTitleLine[] = {LiteralItem("TITTLE= \""), TextItem(80), LiteralItem("\"")};
constexpr LayoutItem kKorinZoneLine[] = {
    LiteralItem("ZONE N= "), IntegerItem(8), LiteralItem(", E= "),         IntegerItem(8),
    LiteralItem(", M="),     IntegerItem(5), LiteralItem(",NV= 6 ,EV= 5"),
};
constexpr LayoutItem kDelmZoneLine[] = {
    LiteralItem("ZONE N= "),
    IntegerItem(8),
    LiteralItem(", E= "),
    IntegerItem(8),
    LiteralItem(",M= 1 ,NV= 9 ,EV= 5"),
};
constexpr LayoutItem kKorinNodeVariablesLine[] = {
    LiteralItem("NVARIABLES = \"SW\",\"X\",\"Y\",\"P\",\"H\",\"VX\",\"VY\",\"V\",\"Q\""),
};
constexpr LayoutItem kDelmNodeVariablesLine[] = {
    LiteralItem("NVARIABLES = \"SW\",\"X\",\"Y\",\"H\",\"VX\",\"VY\",\"V\",\"VX*D\",\"VY*D\","
                "\"V*D\",\"BL\",\"Q\""),
};
constexpr LayoutItem kElemVariablesLine[] = {
    LiteralItem(
        "EVARIABLES = \"SW\",\"I\",\"J\",\"K\",\"L\",\"P\",\"X\",\"Y\",\"VX\",\"VY\",\"V\""),
};
// SW, then 8 reals and a comma at the end (RX-KORIN) or 11 reals (RX-DELM).
constexpr LayoutItem kKorinNodeLine[] = {
    IntegerItem(2), GroupItem(8, 2), LiteralItem(","), ScaledRealItem(12, 4), LiteralItem(","),
};
constexpr LayoutItem kDelmNodeLine[] = {
    IntegerItem(2),
    GroupItem(11, 2),
    LiteralItem(","),
    ScaledRealItem(12, 4),
};
// SW, corners I J K L, property P, centre X Y, velocity VX VY V.
constexpr LayoutItem kElemLine[] = {
    IntegerItem(2),  GroupItem(5, 2),  LiteralItem(","),      IntegerItem(8),
    GroupItem(5, 2), LiteralItem(","), ScaledRealItem(12, 4),
};

// The SW column: always 0.
constexpr int32_t kSwitch = 0;

void WriteZoneLine(TextOutput& out, int32_t NUMNP, int32_t active_elem_count, Simulator simulator) {
  if (simulator == Simulator::kDelm) {
    WriteFixedLine<kDelmZoneLine>(out, NUMNP, active_elem_count);
  } else {
    WriteFixedLine<kKorinZoneLine>(out, NUMNP, active_elem_count, 1);
  }
}

void WriteBlockHead(TextOutput& out, const ModelStore& model, int32_t active_elem_count,
                    Simulator simulator) {
  const FieldValue time_values[] = {RealValue(model.StepTime)};
  WriteLayout(out, kTimeLine, time_values);
  const FieldValue title_values[] = {TextValue(model.TitleText())};
  WriteLayout(out, kTitleLine, title_values);
  WriteZoneLine(out, model.NUMNP, active_elem_count, simulator);
  if (simulator == Simulator::kDelm) {
    WriteLayout(out, kDelmNodeVariablesLine, {});
  } else {
    WriteLayout(out, kKorinNodeVariablesLine, {});
  }
}

void WriteKorinNodeLines(TextOutput& out, const ModelStore& m, const NodeAverages& a, int32_t first,
                         int32_t last) {
  for (int32_t n = first; n <= last; ++n) {
    const PlaneVector v = StoredMeanAt(a, n);
    WriteFixedLine<kKorinNodeLine>(out, kSwitch, m.NodeX[n], m.NodeY[n], m.NodeHead[n],
                                   KorinTotalHead(m, n), v.x, v.y, Magnitude(v), m.NodeFlow[n]);
  }
}

// The velocity first, then the flow on the layer (D times velocity).
void WriteDelmNodeLines(TextOutput& out, const ModelStore& m, const NodeAverages& a, int32_t first,
                        int32_t last) {
  for (int32_t n = first; n <= last; ++n) {
    const PlaneVector v = VelocityMeanAt(a, n), flow = StoredMeanAt(a, n);
    WriteFixedLine<kDelmNodeLine>(out, kSwitch, m.NodeX[n], m.NodeY[n], m.NodeHead[n], v.x, v.y,
                                  Magnitude(v), flow.x, flow.y, Magnitude(flow), m.NodeExtraB[n],
                                  m.NodeFlow[n]);
  }
}

struct Point {
  double x, y;
};

// Mean of the coordinates of the element's distinct corners.
Point ElemCentre(const ElemColumns& elems, int32_t e, const ModelStore& model) {
  const double* NodeX = model.NodeX;
  const double* NodeY = model.NodeY;
  const int32_t n1 = elems.Corner1[e], n2 = elems.Corner2[e], n3 = elems.Corner3[e];
  const double x = NodeX[n1] + NodeX[n2] + NodeX[n3];
  const double y = NodeY[n1] + NodeY[n2] + NodeY[n3];
  if (elems.IsTriangle(e)) return {x / 3.0, y / 3.0};
  const int32_t n4 = elems.Corner4[e];
  return {(x + NodeX[n4]) / 4.0, (y + NodeY[n4]) / 4.0};
}

// RX-KORIN: P is the attribute, the velocity as stored. RX-DELM: P is 1, the
// velocity and speed from the stored values (D times velocity).
void WriteElemLines(TextOutput& out, const ModelStore& model, Simulator simulator, int32_t first,
                    int32_t last) {
  const ElemColumns elems(model);
  const bool delm = simulator == Simulator::kDelm;
  for (int32_t e = first; e <= last; ++e) {
    if (!elems.IsActive(e)) continue;
    const Point centre = ElemCentre(elems, e, model);
    const PlaneVector v = ElemVelocity(model, simulator, e);
    const double speed = delm ? DelmElemSpeed(model, e) : Magnitude(v);
    WriteFixedLine<kElemLine>(out, kSwitch, elems.Corner1[e], elems.Corner2[e], elems.Corner3[e],
                              elems.WrittenCorner4(e), delm ? 1 : elems.Attribute[e], centre.x,
                              centre.y, v.x, v.y, speed);
  }
}

}  // namespace

void WriteMkViewStep(TextOutput& out, const ModelStore& model, Simulator simulator,
                     NodeAverages& averages) {
  const int32_t active_elem_count = CountActiveElems(model);
  WriteBlockHead(out, model, active_elem_count, simulator);
  AverageElemVelocities(model, simulator, averages);
  FormatLinesInOrder(out, 1, model.NUMNP, [&](TextOutput& chunk, int32_t first, int32_t last) {
    if (simulator == Simulator::kDelm) {
      WriteDelmNodeLines(chunk, model, averages, first, last);
    } else {
      WriteKorinNodeLines(chunk, model, averages, first, last);
    }
  });
  WriteLayout(out, kElemVariablesLine, {});
  if (active_elem_count > 0) {
    FormatLinesInOrder(out, 1, model.NUMEL, [&](TextOutput& chunk, int32_t first, int32_t last) {
      WriteElemLines(chunk, model, simulator, first, last);
    });
  }
}

std::unique_ptr<KindRun> StartMkViewKind(const KindContext& context) {
  return StartAveragingStepRun(context, WriteMkViewStep);
}
