#include "writers/femap_kind.h"

#include "model/node_averages.h"
#include "writers/femap_model_writer.h"
#include "writers/femap_step_writer.h"

namespace {

class FemapRun : public KindRun {
 public:
  explicit FemapRun(const KindContext& context) : out_(context.main_output) {}
  void Prepare(const ModelStore& model) override {
    averages_.Prepare(model, NodeAverages::Corners::kEveryNonZero);
    WriteFemapModel(out_, model);
    WriteFemapGroup(out_, model, group_counter_);
  }
  void Step(const ModelStore& model) override {
    WriteFemapStep(out_, model, averages_, set_counter_);
  }

 private:
  TextOutput& out_;
  int32_t group_counter_ = 20000;  // the group written is number 20001
  int32_t set_counter_ = 0;        // the first set written is number 1
  NodeAverages averages_;
};

}  // namespace

std::unique_ptr<KindRun> StartFemapKind(const KindContext& context) {
  return std::make_unique<FemapRun>(context);
}
