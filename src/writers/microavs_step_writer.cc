#include "writers/microavs_step_writer.h"

#include <span>
#include <string_view>

#include "common/line_layout.h"
#include "model/elem_columns.h"

namespace {

constexpr LayoutItem kStepLine[] = {LiteralItem("step"), IntegerItem(5), FractionRealItem(15, 7)};

// A node or element number, then up to seven values, each followed by a
// blank: the line ends after the last value given.
constexpr LayoutItem kValueLine[] = {
    IntegerItem(8), BlanksItem(1), GroupItem(7, 2), ScaledRealItem(12, 5), BlanksItem(1),
};

// The fixed lines before the node lines (component counts, the node
// components' sizes and labels) and before the element lines.
constexpr std::string_view kKorinNodeHead[] = {
    "5   3",       "5   1   1   1   1   1", "Pressure,", "Total Head,",
    "Velocity X,", "Velocity Y,",           "Velocity,"};
constexpr std::string_view kKorinCellHead[] = {"3   1   1   1", "Velocity X,", "Velocity Y,",
                                               "Velocity,"};
constexpr std::string_view kDelmNodeHead[] = {"7   6",         "7   1   1   1   1   1   1   1",
                                              "Total Head,",   "D*Velocity X,",
                                              "D*Velocity Y,", "D*Velocity,",
                                              "Velocity X,",   "Velocity Y,",
                                              "Velocity,"};
constexpr std::string_view kDelmCellHead[] = {"6   1   1   1   1   1   1",
                                              "D*Velocity X,",
                                              "D*Velocity Y,",
                                              "D*Velocity,",
                                              "Velocity X,",
                                              "Velocity Y,",
                                              "Velocity,"};

void WriteFixedLines(TextOutput& out, std::span<const std::string_view> lines) {
  for (std::string_view line : lines) {
    const LayoutItem layout[] = {LiteralItem(line)};
    WriteLayout(out, layout, {});
  }
}

void WriteKorinNodeLines(TextOutput& out, const ModelStore& m, const NodeAverages& a) {
  for (int32_t n = 1; n <= m.NUMNP; ++n) {
    const double vx = a.NodeVX[n], vy = a.NodeVY[n];
    const FieldValue values[] = {
        IntegerValue(n),
        SingleRealValue(m.NodeHead[n]),
        SingleRealValue(m.NodeHead[n] + m.NodeY[n]),
        SingleRealValue(vx),
        SingleRealValue(vy),
        SingleRealValue(Magnitude(vx, vy)),
    };
    WriteLayout(out, kValueLine, values);
  }
}

void WriteDelmNodeLines(TextOutput& out, const ModelStore& m, const NodeAverages& a) {
  for (int32_t n = 1; n <= m.NUMNP; ++n) {
    const double vx = a.NodeVX[n], vy = a.NodeVY[n];
    const double divided_vx = a.NodeWorkA[n], divided_vy = a.NodeWorkB[n];
    const FieldValue values[] = {
        IntegerValue(n),
        SingleRealValue(m.NodeHead[n]),
        SingleRealValue(vx),
        SingleRealValue(vy),
        SingleRealValue(Magnitude(vx, vy)),
        SingleRealValue(divided_vx),
        SingleRealValue(divided_vy),
        SingleRealValue(Magnitude(divided_vx, divided_vy)),
    };
    WriteLayout(out, kValueLine, values);
  }
}

// Every element, active or not.
void WriteKorinElemLines(TextOutput& out, const ModelStore& m) {
  for (int32_t e = 1; e <= m.NUMEL; ++e) {
    const double vx = m.ElemVX[e], vy = m.ElemVY[e];
    const FieldValue values[] = {
        IntegerValue(e),
        SingleRealValue(vx),
        SingleRealValue(vy),
        SingleRealValue(Magnitude(vx, vy)),
    };
    WriteLayout(out, kValueLine, values);
  }
}

// The stored values (D times velocity), then the same times 1/D.
void WriteDelmElemLines(TextOutput& out, const ModelStore& m) {
  for (int32_t e = 1; e <= m.NUMEL; ++e) {
    const double vx = m.ElemVX[e], vy = m.ElemVY[e], v = Magnitude(vx, vy);
    const double reciprocal = 1.0 / m.ElemD[e];
    const FieldValue values[] = {
        IntegerValue(e),
        SingleRealValue(vx),
        SingleRealValue(vy),
        SingleRealValue(v),
        SingleRealValue(vx * reciprocal),
        SingleRealValue(vy * reciprocal),
        SingleRealValue(v * reciprocal),
    };
    WriteLayout(out, kValueLine, values);
  }
}

}  // namespace

void WriteMicroAvsStep(TextOutput& out, const ModelStore& model, int32_t ProgramFlag,
                       NodeAverages& averages, int32_t& AvsStepCount) {
  AverageElemVelocities(model, ProgramFlag, averages);
  ++AvsStepCount;
  const FieldValue step_values[] = {IntegerValue(AvsStepCount), RealValue(model.StepTime)};
  WriteLayout(out, kStepLine, step_values);
  if (ProgramFlag == 1) {
    WriteFixedLines(out, kDelmNodeHead);
    WriteDelmNodeLines(out, model, averages);
    WriteFixedLines(out, kDelmCellHead);
    WriteDelmElemLines(out, model);
  } else {
    WriteFixedLines(out, kKorinNodeHead);
    WriteKorinNodeLines(out, model, averages);
    WriteFixedLines(out, kKorinCellHead);
    WriteKorinElemLines(out, model);
  }
}
