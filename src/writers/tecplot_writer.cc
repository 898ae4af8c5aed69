#include "writers/tecplot_writer.h"

#include <string_view>

#include "common/fixed_line.h"
#include "common/line_layout.h"
#include "common/parallel_lines.h"
#include "model/elem_columns.h"
#include "model/step_quantities.h"
#include "writers/averaging_step_run.h"

namespace {

// "TITTLE" is the spelling the file format keeps.
constexpr LayoutItem kTitleLine[] = {
    LiteralItem("TITTLE = \"TIME="),
    ScaledRealItem(15, 7),
    BlanksItem(1),
    TextItem(80),
    LiteralItem("\""),
};
constexpr LayoutItem kKorinVariablesLine[] = {
    LiteralItem("VARIABLES = \"X\",\"Y\",\"P\",\"H\",\"VX\",\"VY\",\"V\""),
};
constexpr LayoutItem kDelmVariablesLine[] = {
    LiteralItem("VARIABLES = \"X\",\"Y\",\"H\",\"VX\",\"VY\",\"V\",\"VX/D\",\"VY/D\",\"V/D\""),
};
constexpr LayoutItem kZoneLine[] = {
    LiteralItem("ZONE N= "),    IntegerItem(8), LiteralItem(", E= "), IntegerItem(8),
    LiteralItem(", F=FEPOINT"),
};
// Comma-separated reals with a comma after the last: 7 of them for
// RX-KORIN, 9 for RX-DELM.
constexpr LayoutItem kKorinNodeLine[] = {
    ScaledRealItem(15, 7), GroupItem(6, 2),  LiteralItem(","),
    ScaledRealItem(15, 7), LiteralItem(","),
};
constexpr LayoutItem kDelmNodeLine[] = {
    ScaledRealItem(15, 7), GroupItem(8, 2),  LiteralItem(","),
    ScaledRealItem(15, 7), LiteralItem(","),
};
constexpr LayoutItem kElemLine[] = {
    IntegerItem(8),
    GroupItem(3, 2),
    LiteralItem(","),
    IntegerItem(8),
};

void WriteZoneHead(TextOutput& out, const ModelStore& model, int32_t active_elem_count,
                   Simulator simulator) {
  const FieldValue title_values[] = {RealValue(model.StepTime), TextValue(model.TitleText())};
  WriteLayout(out, kTitleLine, title_values);
  if (simulator == Simulator::kDelm) {
    WriteLayout(out, kDelmVariablesLine, {});
  } else {
    WriteLayout(out, kKorinVariablesLine, {});
  }
  const FieldValue zone_values[] = {IntegerValue(model.NUMNP), IntegerValue(active_elem_count)};
  WriteLayout(out, kZoneLine, zone_values);
}

void WriteKorinNodeLines(TextOutput& out, const ModelStore& m, const NodeAverages& a, int32_t first,
                         int32_t last) {
  for (int32_t n = first; n <= last; ++n) {
    const PlaneVector v = StoredMeanAt(a, n);
    WriteFixedLine<kKorinNodeLine>(out, m.NodeX[n], m.NodeY[n], m.NodeHead[n], KorinTotalHead(m, n),
                                   v.x, v.y, Magnitude(v));
  }
}

void WriteDelmNodeLines(TextOutput& out, const ModelStore& m, const NodeAverages& a, int32_t first,
                        int32_t last) {
  for (int32_t n = first; n <= last; ++n) {
    const PlaneVector flow = StoredMeanAt(a, n), v = VelocityMeanAt(a, n);
    WriteFixedLine<kDelmNodeLine>(out, m.NodeX[n], m.NodeY[n], m.NodeHead[n], flow.x, flow.y,
                                  Magnitude(flow), v.x, v.y, Magnitude(v));
  }
}

void WriteElemLines(TextOutput& out, const ModelStore& model, int32_t first, int32_t last) {
  const ElemColumns elems(model);
  for (int32_t e = first; e <= last; ++e) {
    if (!elems.IsActive(e)) continue;
    WriteFixedLine<kElemLine>(out, elems.Corner1[e], elems.Corner2[e], elems.Corner3[e],
                              elems.WrittenCorner4(e));
  }
}

}  // namespace

void WriteTecplotZone(TextOutput& out, const ModelStore& model, Simulator simulator,
                      NodeAverages& averages) {
  const int32_t active_elem_count = CountActiveElems(model);
  WriteZoneHead(out, model, active_elem_count, simulator);
  AverageElemVelocities(model, simulator, averages);
  FormatLinesInOrder(out, 1, model.NUMNP, [&](TextOutput& chunk, int32_t first, int32_t last) {
    if (simulator == Simulator::kDelm) {
      WriteDelmNodeLines(chunk, model, averages, first, last);
    } else {
      WriteKorinNodeLines(chunk, model, averages, first, last);
    }
  });
  if (active_elem_count > 0) {
    FormatLinesInOrder(out, 1, model.NUMEL, [&](TextOutput& chunk, int32_t first, int32_t last) {
      WriteElemLines(chunk, model, first, last);
    });
  }
}

std::unique_ptr<KindRun> StartTecplotKind(const KindContext& context) {
  return StartAveragingStepRun(context, WriteTecplotZone);
}
