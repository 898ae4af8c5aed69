#include "writers/restart_writer.h"

#include "common/fixed_line.h"
#include "common/free_form.h"
#include "common/line_layout.h"
#include "common/parallel_lines.h"
#include "model/step_quantities.h"

namespace {

// Node, code, X, Y, head, flow, and a comma at the end.
constexpr LayoutItem kKorinNodeLine[] = {
    IntegerItem(10),  LiteralItem(","),       IntegerItem(5),   GroupItem(4, 2),
    LiteralItem(","), ScaledRealItem(25, 17), LiteralItem(","),
};

// Node, code, extra code, X, Y, head, flow, extra A, extra B.
constexpr LayoutItem kDelmNodeLine[] = {
    IntegerItem(10), LiteralItem(","), IntegerItem(5),   LiteralItem(","),
    IntegerItem(5),  GroupItem(6, 2),  LiteralItem(","), ScaledRealItem(25, 17),
};

void WriteKorinNodeLines(TextOutput& out, const ModelStore& m, int32_t head_style, int32_t first,
                         int32_t last) {
  const double elevation_share = static_cast<double>(head_style);
  for (int32_t n = first; n <= last; ++n) {
    WriteFixedLine<kKorinNodeLine>(out, n, m.NodeCode[n], m.NodeX[n], m.NodeY[n],
                                   KorinRestartHead(m, n, elevation_share), m.NodeFlow[n]);
  }
}

void WriteDelmNodeLines(TextOutput& out, const ModelStore& m, int32_t first, int32_t last) {
  for (int32_t n = first; n <= last; ++n) {
    WriteFixedLine<kDelmNodeLine>(out, n, m.NodeCode[n], m.NodeExtraCode[n], m.NodeX[n], m.NodeY[n],
                                  m.NodeHead[n], m.NodeFlow[n], m.NodeExtraA[n], m.NodeExtraB[n]);
  }
}

}  // namespace

void WriteRestartStep(TextOutput& out, const ModelStore& model, const WriterOptions& options) {
  if (options.no_head_flag == 0) {
    FreeFormLine(out).Text(" LA,TIME ").Integer(model.StepNo).Real(model.StepTime).End();
  }
  if (model.NUMNP < 1) return;
  FormatLinesInOrder(out, 1, model.NUMNP, [&](TextOutput& chunk, int32_t first, int32_t last) {
    if (options.simulator == Simulator::kDelm) {
      WriteDelmNodeLines(chunk, model, first, last);
    } else {
      WriteKorinNodeLines(chunk, model, options.head_style, first, last);
    }
  });
}

namespace {

class RestartRun : public KindRun {
 public:
  explicit RestartRun(const KindContext& context)
      : out_(context.main_output), options_(context.options) {}
  void Step(const ModelStore& model) override { WriteRestartStep(out_, model, options_); }

 private:
  TextOutput& out_;
  const WriterOptions& options_;
};

}  // namespace

std::unique_ptr<KindRun> StartRestartKind(const KindContext& context) {
  return std::make_unique<RestartRun>(context);
}
