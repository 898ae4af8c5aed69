#include "writers/microavs_assembly.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>

#include "common/fixed_line.h"
#include "common/line_block_reader.h"
#include "common/line_layout.h"
#include "common/parallel_lines.h"
#include "common/platform.h"
#include "common/run_error.h"
#include "model/elem_columns.h"
#include "model/node_averages.h"
#include "writers/microavs_layout.h"
#include "writers/microavs_step_writer.h"

namespace {

constexpr LayoutItem kKorinHead[] = {
    LiteralItem("# RX-KORIN "), LineBreakItem(), IntegerItem(5), LineBreakItem(),
    LiteralItem("data"),
};
constexpr LayoutItem kDelmHead[] = {
    LiteralItem("# RX-DELM "), LineBreakItem(),     IntegerItem(5),
    LineBreakItem(),           LiteralItem("data"),
};
constexpr LayoutItem kCountLine[] = {IntegerItem(10), BlanksItem(1), IntegerItem(10)};
constexpr LayoutItem kNodeLine[] = {
    IntegerItem(8),
    GroupItem(3, 2),
    BlanksItem(1),
    ScaledRealItem(12, 5),
};
constexpr LayoutItem kTriangleCellLine[] = {
    IntegerItem(8),  BlanksItem(1), IntegerItem(8), LiteralItem(" tri "),
    GroupItem(3, 2), BlanksItem(1), IntegerItem(8),
};
constexpr LayoutItem kQuadCellLine[] = {
    IntegerItem(8),  BlanksItem(1), IntegerItem(8), LiteralItem(" quad "),
    GroupItem(4, 2), BlanksItem(1), IntegerItem(8),
};

// Copies lines of the temporary file to the output, each as its first
// `width` characters padded with blanks to exactly `width`.
class PaddedLineCopier {
 public:
  PaddedLineCopier(LineBlockReader& temp, TextOutput& out, int64_t lines_expected)
      : temp_(temp), out_(out), lines_expected_(lines_expected) {}

  void Copy(int64_t count, int width) {
    const size_t w = static_cast<size_t>(width);
    std::string_view line;
    for (int64_t i = 0; i < count; ++i) {
      if (!temp_.NextLine(&line)) EndedEarly();
      ++lines_copied_;
      const size_t kept = std::min(line.size(), w);
      constexpr std::string_view kLineEnd = platform::kLineEnd;
      char* p = out_.Reserve(w + kLineEnd.size());
      std::memcpy(p, line.data(), kept);
      std::memset(p + kept, ' ', w - kept);
      std::memcpy(p + w, kLineEnd.data(), kLineEnd.size());
      out_.Commit(p + w + kLineEnd.size());
    }
  }

 private:
  [[noreturn]] void EndedEarly() const {
    throw ErrorAbout(temp_.name(), "ends after " + std::to_string(lines_copied_) +
                                       " lines, where its step blocks need " +
                                       std::to_string(lines_expected_));
  }

  LineBlockReader& temp_;
  TextOutput& out_;
  int64_t lines_expected_;
  int64_t lines_copied_ = 0;
};

// The lines of a block after its step line.
void CopyBlockAfterStepLine(PaddedLineCopier& copier, const MicroAvsBlockLayout& block,
                            const ModelStore& model) {
  for (const MicroAvsFixedLine& line : block.node_head) copier.Copy(1, line.width);
  copier.Copy(model.NUMNP, block.node_line_width);
  for (const MicroAvsFixedLine& line : block.cell_head) copier.Copy(1, line.width);
  copier.Copy(model.NUMEL, block.elem_line_width);
}

void WriteNodeLines(TextOutput& out, const ModelStore& model, int32_t first, int32_t last) {
  for (int32_t n = first; n <= last; ++n) {
    WriteFixedLine<kNodeLine>(out, n, model.NodeX[n], model.NodeY[n], 0.0);
  }
}

// Every element, active or not, with its attribute as the material.
void WriteCellLines(TextOutput& out, const ModelStore& model, int32_t first, int32_t last) {
  const ElemColumns elems(model);
  for (int32_t e = first; e <= last; ++e) {
    if (elems.IsTriangle(e)) {
      WriteFixedLine<kTriangleCellLine>(out, e, elems.Attribute[e], elems.Corner1[e],
                                        elems.Corner2[e], elems.Corner3[e]);
    } else {
      WriteFixedLine<kQuadCellLine>(out, e, elems.Attribute[e], elems.Corner1[e], elems.Corner2[e],
                                    elems.Corner3[e], elems.Corner4[e]);
    }
  }
}

// The count line, a line per node (x, y, 0) and a cell line per element.
void WriteMesh(TextOutput& out, const ModelStore& model) {
  const FieldValue counts[] = {IntegerValue(model.NUMNP), IntegerValue(model.NUMEL)};
  WriteLayout(out, kCountLine, counts);
  FormatLinesInOrder(out, 1, model.NUMNP, [&](TextOutput& chunk, int32_t first, int32_t last) {
    WriteNodeLines(chunk, model, first, last);
  });
  FormatLinesInOrder(out, 1, model.NUMEL, [&](TextOutput& chunk, int32_t first, int32_t last) {
    WriteCellLines(chunk, model, first, last);
  });
}

}  // namespace

void AssembleMicroAvsFile(TextOutput& out, const ModelStore& model, Simulator simulator,
                          int32_t avs_step_count, const std::string& temp_file_name) {
  const FieldValue step_count[] = {IntegerValue(avs_step_count)};
  const std::span<const LayoutItem> head = simulator == Simulator::kDelm ? kDelmHead : kKorinHead;
  WriteLayout(out, head, step_count);
  if (avs_step_count < 1) return;
  const MicroAvsBlockLayout& block = MicroAvsBlockOf(simulator);
  LineBlockReader temp(temp_file_name);
  PaddedLineCopier copier(temp, out, avs_step_count * block.LineCount(model));
  copier.Copy(1, kMicroAvsStepLineWidth);
  WriteMesh(out, model);
  CopyBlockAfterStepLine(copier, block, model);
  for (int32_t k = 2; k <= avs_step_count; ++k) {
    copier.Copy(1, kMicroAvsStepLineWidth);
    CopyBlockAfterStepLine(copier, block, model);
  }
}

namespace {

class MicroAvsRun : public KindRun {
 public:
  explicit MicroAvsRun(const KindContext& context)
      : main_output_(context.main_output),
        files_(context.files),
        simulator_(context.options.simulator) {}

  void Prepare(const ModelStore& model) override {
    temp_ = files_.Create(std::string(kAvsTempFile));
    averages_.Prepare(model, NodeAverages::Corners::kDistinctOfActive);
  }
  void Step(const ModelStore& model) override {
    WriteMicroAvsStep(*temp_, model, simulator_, averages_, avs_step_count_);
  }
  // AVS.tmp takes its place together with the main output, once both are whole.
  void Finish(const ModelStore& model) override {
    temp_->Flush();
    AssembleMicroAvsFile(main_output_, model, simulator_, avs_step_count_, temp_->written_path());
    main_output_.Flush();
    temp_->Finish();
  }

 private:
  TextOutput& main_output_;
  OutputFiles& files_;
  Simulator simulator_;
  std::unique_ptr<TextOutput> temp_;
  NodeAverages averages_;
  int32_t avs_step_count_ = 0;
};

}  // namespace

std::unique_ptr<KindRun> StartMicroAvsKind(const KindContext& context) {
  return std::make_unique<MicroAvsRun>(context);
}
