// Fuzz target: the bytes as a result file, loaded as RX-KORIN and as RX-DELM
// results and written, every step, with every output kind of the menu (the
// kinds are found by trying the menu answers, so kinds added later are
// covered too). It works in a scratch folder of its own, which holds a small
// PICKUP.INP for the kinds that read one.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/output_files.h"
#include "common/run_error.h"
#include "model/model_store.h"
#include "reader/result_file.h"
#include "writers/output_kind.h"

namespace {

constexpr const char* kInputName = "input.bin";
constexpr int32_t kLowestAnswer = -2, kHighestAnswer = 7;

std::filesystem::path& ScratchFolder() {
  static std::filesystem::path folder;
  return folder;
}

void RemoveScratchFolder() { std::filesystem::remove_all(ScratchFolder()); }

// Makes the scratch folder (in memory where the system offers it) the
// working directory, once.
void EnterScratchFolder() {
  static const bool entered = [] {
    std::string name = std::filesystem::exists("/dev/shm") ? "/dev/shm/rxpost-fuzz-XXXXXX"
                                                           : "/tmp/rxpost-fuzz-XXXXXX";
    if (mkdtemp(name.data()) == nullptr || chdir(name.c_str()) != 0) std::abort();
    ScratchFolder() = name;
    std::atexit(RemoveScratchFolder);
    std::ofstream("PICKUP.INP") << "3 2 2 2 2\n1 2 3\n1 2\n1 2\n1 2\n0.5 0.5\n1.5 0.25\n";
    return true;
  }();
  (void)entered;
}

// One output kind at work, with what its run refers to.
struct KindAtWork {
  WriterOptions options;
  OutputFiles files;
  std::unique_ptr<TextOutput> main_output;
  std::unique_ptr<KindRun> run;
};

// Calls `moment` on the kind's run; a RunError (a file the kind refuses)
// ends that kind's work only.
template <typename Moment>
void Guarded(KindAtWork& kind, Moment&& moment) {
  if (!kind.run) return;
  try {
    moment(*kind.run);
  } catch (const RunError&) {
    kind.run.reset();
  }
}

std::vector<std::unique_ptr<KindAtWork>> StartEveryKind(Simulator simulator, int32_t head_style) {
  std::vector<std::unique_ptr<KindAtWork>> kinds;
  for (int32_t answer = kLowestAnswer; answer <= kHighestAnswer; ++answer) {
    const OutputKind* kind = FindOutputKind(answer);
    if (kind == nullptr) continue;
    auto work = std::make_unique<KindAtWork>();
    work->options = {simulator, head_style, kind->no_head_lines ? 1 : 0};
    try {
      work->files.RegisterInput(kInputName);
      if (!kind->reads_file.empty()) work->files.RegisterInput(std::string(kind->reads_file));
      work->main_output = work->files.Create("main" + std::to_string(answer) + ".out");
      work->run = kind->start({work->options, *work->main_output, work->files});
    } catch (const RunError&) {
      continue;
    }
    kinds.push_back(std::move(work));
  }
  return kinds;
}

void WriteEveryStepWithEveryKind(ModelStore& model, Simulator simulator, int32_t head_style) {
  ResultFile file(kInputName, simulator);
  file.LoadModel(model);
  auto kinds = StartEveryKind(simulator, head_style);
  for (auto& kind : kinds) Guarded(*kind, [&](KindRun& run) { run.Prepare(model); });
  while (file.ReadNextStep(model)) {
    for (auto& kind : kinds) Guarded(*kind, [&](KindRun& run) { run.Step(model); });
  }
  for (auto& kind : kinds) {
    Guarded(*kind, [&](KindRun& run) {
      run.Finish(model);
      kind->main_output->Flush();
    });
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One model for every input, as one run loads one after another; destroyed
  // at exit, which waits for the thread that commits its memory.
  static ModelStore model;
  EnterScratchFolder();
  {
    std::ofstream input(kInputName, std::ios::binary | std::ios::trunc);
    input.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const int32_t head_style = static_cast<int32_t>(size % 2);
  for (Simulator simulator : {Simulator::kKorin, Simulator::kDelm}) {
    try {
      WriteEveryStepWithEveryKind(model, simulator, head_style);
    } catch (const RunError&) {
      // A faulty file is refused: the expected end for most inputs.
    }
  }
  return 0;
}
