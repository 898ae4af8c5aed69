#include "writers/microavs_step_writer.h"

#include <span>
#include <string_view>

#include "common/fixed_line.h"
#include "common/line_layout.h"
#include "common/parallel_lines.h"
#include "model/elem_columns.h"
#include "model/step_quantities.h"

namespace {

constexpr LayoutItem kStepLine[] = {LiteralItem("step"), IntegerItem(5), FractionRealItem(15, 7)};

// A node or element number, then its values, each followed by a blank.
constexpr LayoutItem kKorinNodeLine[] = {
    IntegerItem(8), BlanksItem(1), GroupItem(5, 2), ScaledRealItem(12, 5), BlanksItem(1),
};
constexpr LayoutItem kDelmNodeLine[] = {
    IntegerItem(8), BlanksItem(1), GroupItem(7, 2), ScaledRealItem(12, 5), BlanksItem(1),
};
constexpr LayoutItem kKorinElemLine[] = {
    IntegerItem(8), BlanksItem(1), GroupItem(3, 2), ScaledRealItem(12, 5), BlanksItem(1),
};
constexpr LayoutItem kDelmElemLine[] = {
    IntegerItem(8), BlanksItem(1), GroupItem(6, 2), ScaledRealItem(12, 5), BlanksItem(1),
};

// The value written for a real: rounded to a 4-byte real.
inline double Single(double value) { return static_cast<double>(static_cast<float>(value)); }

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

using FixedLines = std::span<const std::string_view>;

void WriteFixedLines(TextOutput& out, FixedLines lines) {
  for (std::string_view line : lines) {
    const LayoutItem layout[] = {LiteralItem(line)};
    WriteLayout(out, layout, {});
  }
}

void WriteKorinNodeLines(TextOutput& out, const ModelStore& m, const NodeAverages& a, int32_t first,
                         int32_t last) {
  for (int32_t n = first; n <= last; ++n) {
    const double vx = a.NodeVX[n], vy = a.NodeVY[n];
    WriteFixedLine<kKorinNodeLine>(out, n, Single(m.NodeHead[n]), Single(KorinTotalHead(m, n)),
                                   Single(vx), Single(vy), Single(Magnitude(vx, vy)));
  }
}

void WriteDelmNodeLines(TextOutput& out, const ModelStore& m, const NodeAverages& a, int32_t first,
                        int32_t last) {
  for (int32_t n = first; n <= last; ++n) {
    const double vx = a.NodeVX[n], vy = a.NodeVY[n];
    const double divided_vx = a.NodeWorkA[n], divided_vy = a.NodeWorkB[n];
    WriteFixedLine<kDelmNodeLine>(out, n, Single(m.NodeHead[n]), Single(vx), Single(vy),
                                  Single(Magnitude(vx, vy)), Single(divided_vx), Single(divided_vy),
                                  Single(Magnitude(divided_vx, divided_vy)));
  }
}

// Every element, active or not. RX-DELM: the stored values (D times
// velocity), then the same times 1/D.
void WriteElemLines(TextOutput& out, const ModelStore& m, Simulator simulator, int32_t first,
                    int32_t last) {
  for (int32_t e = first; e <= last; ++e) {
    const PlaneVector stored = StoredElemVector(m, e);
    const double v = Magnitude(stored);
    if (simulator != Simulator::kDelm) {
      WriteFixedLine<kKorinElemLine>(out, e, Single(stored.x), Single(stored.y), Single(v));
      continue;
    }
    const PlaneVector velocity = DelmElemVelocity(m, e);
    WriteFixedLine<kDelmElemLine>(out, e, Single(stored.x), Single(stored.y), Single(v),
                                  Single(velocity.x), Single(velocity.y),
                                  Single(DelmElemSpeed(m, e)));
  }
}

}  // namespace

void WriteMicroAvsStep(TextOutput& out, const ModelStore& model, Simulator simulator,
                       NodeAverages& averages, int32_t& AvsStepCount) {
  AverageElemVelocities(model, simulator, averages);
  ++AvsStepCount;
  const FieldValue step_values[] = {IntegerValue(AvsStepCount), RealValue(model.StepTime)};
  WriteLayout(out, kStepLine, step_values);
  WriteFixedLines(
      out, simulator == Simulator::kDelm ? FixedLines(kDelmNodeHead) : FixedLines(kKorinNodeHead));
  FormatLinesInOrder(out, 1, model.NUMNP, [&](TextOutput& chunk, int32_t first, int32_t last) {
    if (simulator == Simulator::kDelm) {
      WriteDelmNodeLines(chunk, model, averages, first, last);
    } else {
      WriteKorinNodeLines(chunk, model, averages, first, last);
    }
  });
  WriteFixedLines(
      out, simulator == Simulator::kDelm ? FixedLines(kDelmCellHead) : FixedLines(kKorinCellHead));
  FormatLinesInOrder(out, 1, model.NUMEL, [&](TextOutput& chunk, int32_t first, int32_t last) {
    WriteElemLines(chunk, model, simulator, first, last);
  });
}
