#include "writers/averaging_step_run.h"

namespace {

class AveragingStepRun : public KindRun {
 public:
  AveragingStepRun(const KindContext& context, AveragingStepWriter write_step)
      : out_(context.main_output), simulator_(context.options.simulator), write_step_(write_step) {}
  void Prepare(const ModelStore& model) override {
    averages_.Prepare(model, NodeAverages::Corners::kDistinctOfActive);
  }
  void Step(const ModelStore& model) override { write_step_(out_, model, simulator_, averages_); }

 private:
  TextOutput& out_;
  Simulator simulator_;
  AveragingStepWriter write_step_;
  NodeAverages averages_;
};

}  // namespace

std::unique_ptr<KindRun> StartAveragingStepRun(const KindContext& context,
                                               AveragingStepWriter write_step) {
  return std::make_unique<AveragingStepRun>(context, write_step);
}
