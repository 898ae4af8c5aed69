#include "writers/microavs_step_writer.h"

#include <span>

#include "common/fixed_line.h"
#include "common/line_layout.h"
#include "common/parallel_lines.h"
#include "model/elem_columns.h"
#include "model/step_quantities.h"
#include "writers/microavs_layout.h"

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

void WriteFixedLines(TextOutput& out, std::span<const MicroAvsFixedLine> lines) {
  for (const MicroAvsFixedLine& line : lines) {
    const LayoutItem layout[] = {LiteralItem(line.text)};
    WriteLayout(out, layout, {});
  }
}

void WriteKorinNodeLines(TextOutput& out, const ModelStore& m, const NodeAverages& a, int32_t first,
                         int32_t last) {
  for (int32_t n = first; n <= last; ++n) {
    const PlaneVector v = StoredMeanAt(a, n);
    WriteFixedLine<kKorinNodeLine>(out, n, Single(m.NodeHead[n]), Single(KorinTotalHead(m, n)),
                                   Single(v.x), Single(v.y), Single(Magnitude(v)));
  }
}

void WriteDelmNodeLines(TextOutput& out, const ModelStore& m, const NodeAverages& a, int32_t first,
                        int32_t last) {
  for (int32_t n = first; n <= last; ++n) {
    const PlaneVector flow = StoredMeanAt(a, n), v = VelocityMeanAt(a, n);
    WriteFixedLine<kDelmNodeLine>(out, n, Single(m.NodeHead[n]), Single(flow.x), Single(flow.y),
                                  Single(Magnitude(flow)), Single(v.x), Single(v.y),
                                  Single(Magnitude(v)));
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
                       NodeAverages& averages, int32_t& avs_step_count) {
  AverageElemVelocities(model, simulator, averages);
  ++avs_step_count;
  const FieldValue step_values[] = {IntegerValue(avs_step_count), RealValue(model.StepTime)};
  WriteLayout(out, kStepLine, step_values);
  const MicroAvsBlockLayout& block = MicroAvsBlockOf(simulator);
  WriteFixedLines(out, block.node_head);
  FormatLinesInOrder(out, 1, model.NUMNP, [&](TextOutput& chunk, int32_t first, int32_t last) {
    if (simulator == Simulator::kDelm) {
      WriteDelmNodeLines(chunk, model, averages, first, last);
    } else {
      WriteKorinNodeLines(chunk, model, averages, first, last);
    }
  });
  WriteFixedLines(out, block.cell_head);
  FormatLinesInOrder(out, 1, model.NUMEL, [&](TextOutput& chunk, int32_t first, int32_t last) {
    WriteElemLines(chunk, model, simulator, first, last);
  });
}
