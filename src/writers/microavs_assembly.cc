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

// The widths to which the lines of a step block are copied, by kind of line.
constexpr int kStepLineWidth = 26;
constexpr int kComponentCountWidth = 5;
struct BlockWidths {
  int node_sizes;  // the line of the node components' sizes
  std::span<const int> node_labels;
  int node_line;
  int cell_sizes;
  std::span<const int> cell_labels;
  int elem_line;
};
constexpr int kKorinNodeLabels[] = {9, 11, 13, 13, 13};
constexpr int kKorinCellLabels[] = {13, 13, 13};
constexpr int kDelmNodeLabels[] = {11, 13, 13, 13, 13, 13, 13};
constexpr int kDelmCellLabels[] = {13, 13, 13, 13, 13, 13};
constexpr BlockWidths kKorinWidths{25, kKorinNodeLabels, 85, 13, kKorinCellLabels, 48};
constexpr BlockWidths kDelmWidths{29, kDelmNodeLabels, 100, 25, kDelmCellLabels, 87};

int64_t BlockLength(const BlockWidths& widths, const ModelStore& model) {
  return 3 + static_cast<int64_t>(widths.node_labels.size()) + model.NUMNP + 1 +
         static_cast<int64_t>(widths.cell_labels.size()) + model.NUMEL;
}

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
void CopyBlockAfterStepLine(PaddedLineCopier& copier, const BlockWidths& widths,
                            const ModelStore& model) {
  copier.Copy(1, kComponentCountWidth);
  copier.Copy(1, widths.node_sizes);
  for (int width : widths.node_labels) copier.Copy(1, width);
  copier.Copy(model.NUMNP, widths.node_line);
  copier.Copy(1, widths.cell_sizes);
  for (int width : widths.cell_labels) copier.Copy(1, width);
  copier.Copy(model.NUMEL, widths.elem_line);
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
                          int32_t AvsStepCount, const std::string& TempFileName) {
  const FieldValue step_count[] = {IntegerValue(AvsStepCount)};
  const std::span<const LayoutItem> head = simulator == Simulator::kDelm ? kDelmHead : kKorinHead;
  WriteLayout(out, head, step_count);
  if (AvsStepCount < 1) return;
  const BlockWidths& widths = simulator == Simulator::kDelm ? kDelmWidths : kKorinWidths;
  LineBlockReader temp(TempFileName);
  PaddedLineCopier copier(temp, out, AvsStepCount * BlockLength(widths, model));
  copier.Copy(1, kStepLineWidth);
  WriteMesh(out, model);
  CopyBlockAfterStepLine(copier, widths, model);
  for (int32_t block = 2; block <= AvsStepCount; ++block) {
    copier.Copy(1, kStepLineWidth);
    CopyBlockAfterStepLine(copier, widths, model);
  }
}

namespace {

constexpr std::string_view kTempFileName = "AVS.tmp";

// The step blocks would be overwritten by the main output while they are
// copied when both names lead to one file.
void RefuseTempFileAsMainOutput(const std::string& main_output_name) {
  platform::FileStatus main_output, temp;
  if (!platform::StatusOfPath(main_output_name, &main_output)) return;
  if (!platform::StatusOfPath(std::string(kTempFileName), &temp)) return;
  if (main_output.id == temp.id) {
    throw ErrorAbout(main_output_name, "is the MicroAVS temporary file " +
                                           std::string(kTempFileName) +
                                           "; give the main output another name");
  }
}

class MicroAvsRun : public KindRun {
 public:
  explicit MicroAvsRun(const KindContext& context)
      : main_output_(context.main_output),
        files_(context.files),
        simulator_(context.options.simulator) {}

  void Prepare(const ModelStore&) override {
    RefuseTempFileAsMainOutput(main_output_.name());
    // Written over in place: a big AVS.tmp of an earlier run needs no new blocks.
    temp_ = files_.CreateOver(std::string(kTempFileName));
  }
  void Step(const ModelStore& model) override {
    WriteMicroAvsStep(*temp_, model, simulator_, averages_, AvsStepCount_);
  }
  void Finish(const ModelStore& model) override {
    temp_->Finish();
    AssembleMicroAvsFile(main_output_, model, simulator_, AvsStepCount_, temp_->name());
  }

 private:
  TextOutput& main_output_;
  OutputFiles& files_;
  Simulator simulator_;
  std::unique_ptr<TextOutput> temp_;
  NodeAverages averages_;
  int32_t AvsStepCount_ = 0;
};

}  // namespace

std::unique_ptr<KindRun> StartMicroAvsKind(const KindContext& context) {
  return std::make_unique<MicroAvsRun>(context);
}
