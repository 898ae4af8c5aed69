#include "writers/averaging_step_run.h"

namespace {

class AveragingStepRun : public KindRun {
 public:
  AveragingStepRun(const KindContext& context, AveragingStepWriter write_step)
      : out_(context.main_output),
        program_flag_(context.options.ProgramFlag),
        write_step_(write_step) {}
  void Step(const ModelStore& model) override {
    write_step_(out_, model, program_flag_, averages_);
  }

 private:
  TextOutput& out_;
  int32_t program_flag_;
  AveragingStepWriter write_step_;
  NodeAverages averages_;
};

}  // namespace

std::unique_ptr<KindRun> StartAveragingStepRun(const KindContext& context,
                                               AveragingStepWriter write_step) {
  return std::make_unique<AveragingStepRun>(context, write_step);
}
