#include "writers/interp_writer.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/line_layout.h"
#include "model/step_quantities.h"
#include "writers/pickup_file.h"
#include "writers/point_locator.h"
#include "writers/time_history_tables.h"

namespace {

constexpr LayoutItem kHeadingLines[] = {
    LiteralItem("interporate"),
    LineBreakItem(),
    LiteralItem("time,x,y,total-head,pressure-head(KORIN)"),
};
// Five comma-separated reals; RX-DELM rows give four and so end with a comma.
constexpr LayoutItem kPointRow[] = {ScaledRealItem(15, 7), GroupItem(4, 2), LiteralItem(","),
                                    ScaledRealItem(15, 7)};

class InterpRun : public KindRun {
 public:
  explicit InterpRun(const KindContext& context)
      : out_(context.main_output), files_(context.files), simulator_(context.options.simulator) {}

  void Prepare(const ModelStore& model) override {
    const PickupLists picks =
        ReadPickupFile(std::string(kPickupFileName), model.NUMNP, model.NUMEL);
    tables_.emplace(picks, model, simulator_, files_);
    InterpX = picks.InterpX;
    InterpY = picks.InterpY;
    if (InterpX.empty()) return;
    WriteLayout(out_, kHeadingLines, {});
    for (const PointPick& pick : LocatePoints(model, InterpX, InterpY)) {
      InterpNodes.push_back(pick.nodes);
      InterpWeights.push_back(pick.weights);
    }
  }

  void Step(const ModelStore& model) override {
    for (size_t k = 0; k < InterpX.size(); ++k) {
      const double h = InterpolateHead(model, {InterpNodes[k], InterpWeights[k]});
      const FieldValue korin_row[] = {RealValue(model.StepTime), RealValue(InterpX[k]),
                                      RealValue(InterpY[k]),
                                      RealValue(KorinTotalHeadAt(InterpY[k], h)), RealValue(h)};
      const FieldValue delm_row[] = {RealValue(model.StepTime), RealValue(InterpX[k]),
                                     RealValue(InterpY[k]), RealValue(h)};
      if (simulator_ == Simulator::kDelm) {
        WriteLayout(out_, kPointRow, delm_row);
      } else {
        WriteLayout(out_, kPointRow, korin_row);
      }
    }
    tables_->WriteStepRows(model);
  }

  void Finish(const ModelStore&) override { tables_->Flush(); }

 private:
  TextOutput& out_;
  OutputFiles& files_;
  Simulator simulator_;
  std::optional<TimeHistoryTables> tables_;
  std::vector<double> InterpX, InterpY;
  // The corner nodes and weights of each point; zeros for a point in no triangle.
  std::vector<std::array<int32_t, 3>> InterpNodes;
  std::vector<std::array<double, 3>> InterpWeights;
};

}  // namespace

std::unique_ptr<KindRun> StartInterpKind(const KindContext& context) {
  return std::make_unique<InterpRun>(context);
}
