#include "writers/interp_writer.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "common/line_layout.h"
#include "common/notes.h"
#include "model/step_quantities.h"
#include "writers/pickup_file.h"
#include "writers/point_locator.h"
#include "writers/time_history_tables.h"

namespace {

// "interporate" is the spelling the file format keeps.
constexpr LayoutItem kHeadingLines[] = {
    LiteralItem("interporate"),
    LineBreakItem(),
    LiteralItem("time,x,y,total-head,pressure-head(KORIN)"),
};
// Five comma-separated reals; RX-DELM rows give four and so end with a comma.
constexpr LayoutItem kPointRow[] = {ScaledRealItem(15, 7), GroupItem(4, 2), LiteralItem(","),
                                    ScaledRealItem(15, 7)};

// One note for the points that lie in no element, which get no head of
// their own: it counts them and gives the first few with their coordinates.
void NoteOutsidePoints(const std::vector<PointPick>& picks, std::span<const double> x,
                       std::span<const double> y, Simulator simulator) {
  constexpr int kListed = 5;
  std::string listed;
  int outside = 0;
  for (size_t k = 0; k < picks.size(); ++k) {
    if (picks[k].nodes[0] != 0) continue;
    if (++outside > kListed) continue;
    char point[96];
    std::snprintf(point, sizeof point, "%s%zu (x %g, y %g)", listed.empty() ? "" : ", ", k + 1,
                  x[k], y[k]);
    listed += point;
  }
  if (outside == 0) return;
  WriteNote(std::string(kPickupFileName) + ": " + std::to_string(outside) + " of " +
            std::to_string(picks.size()) + " interpolation points lie in no element and get " +
            (simulator == Simulator::kDelm ? "head 0" : "pressure head 0 (total head = y)") +
            ": point" + (outside == 1 ? " " : "s ") + listed + (outside > kListed ? ", ..." : ""));
}

class InterpRun : public KindRun {
 public:
  explicit InterpRun(const KindContext& context)
      : out_(context.main_output), files_(context.files), simulator_(context.options.simulator) {}

  void Prepare(const ModelStore& model) override {
    const PickupLists picks =
        ReadPickupFile(std::string(kPickupFileName), model.NUMNP, model.NUMEL);
    tables_.emplace(picks, model, simulator_, files_);
    interp_x_ = picks.interp_x;
    interp_y_ = picks.interp_y;
    if (interp_x_.empty()) return;
    WriteLayout(out_, kHeadingLines, {});
    const std::vector<PointPick> picks_in_mesh = LocatePoints(model, interp_x_, interp_y_);
    NoteOutsidePoints(picks_in_mesh, interp_x_, interp_y_, simulator_);
    for (const PointPick& pick : picks_in_mesh) {
      interp_nodes_.push_back(pick.nodes);
      interp_weights_.push_back(pick.weights);
    }
  }

  void Step(const ModelStore& model) override {
    for (size_t k = 0; k < interp_x_.size(); ++k) {
      const double h = InterpolateHead(model, {interp_nodes_[k], interp_weights_[k]});
      const FieldValue korin_row[] = {RealValue(model.StepTime), RealValue(interp_x_[k]),
                                      RealValue(interp_y_[k]),
                                      RealValue(KorinTotalHeadAt(interp_y_[k], h)), RealValue(h)};
      const FieldValue delm_row[] = {RealValue(model.StepTime), RealValue(interp_x_[k]),
                                     RealValue(interp_y_[k]), RealValue(h)};
      if (simulator_ == Simulator::kDelm) {
        WriteLayout(out_, kPointRow, delm_row);
      } else {
        WriteLayout(out_, kPointRow, korin_row);
      }
    }
    tables_->WriteStepRows(model);
  }

  void Finish(const ModelStore&) override { tables_->Finish(); }

 private:
  TextOutput& out_;
  OutputFiles& files_;
  Simulator simulator_;
  std::optional<TimeHistoryTables> tables_;
  std::vector<double> interp_x_, interp_y_;
  // The corner nodes and weights of each point; zeros for a point in no triangle.
  std::vector<std::array<int32_t, 3>> interp_nodes_;
  std::vector<std::array<double, 3>> interp_weights_;
};

}  // namespace

std::unique_ptr<KindRun> StartInterpKind(const KindContext& context) {
  return std::make_unique<InterpRun>(context);
}
