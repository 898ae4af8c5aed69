// fprintf_tecplot: the benchmark's comparison for the TECPLOT kind. Converts
// every step of a result file to TECPLOT zones with the C library's fprintf
// (the same model, reader and node averages as rxpost, only the formatting
// differs), so that the benchmark can show what the number fields save.
//
//   fprintf_tecplot RESULT_FILE PROGRAM_FLAG OUTPUT
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "common/run_error.h"
#include "model/elem_columns.h"
#include "model/model_store.h"
#include "model/node_averages.h"
#include "model/step_quantities.h"
#include "reader/result_file.h"

namespace {

void WriteZone(FILE* out, const ModelStore& m, Simulator simulator, const NodeAverages& a) {
  const ElemColumns elems(m);
  std::fprintf(out, "TITTLE = \"TIME=%15.7E %.80s\"\n", m.StepTime, m.Title.data());
  std::fprintf(out, simulator == Simulator::kDelm
                        ? "VARIABLES = \"X\",\"Y\",\"H\",\"VX\",\"VY\",\"V\",\"VX/D\","
                          "\"VY/D\",\"V/D\"\n"
                        : "VARIABLES = \"X\",\"Y\",\"P\",\"H\",\"VX\",\"VY\",\"V\"\n");
  std::fprintf(out, "ZONE N= %8d, E= %8d, F=FEPOINT\n", m.NUMNP, CountActiveElems(m));
  for (int32_t n = 1; n <= m.NUMNP; ++n) {
    const double vx = a.NodeVX[n], vy = a.NodeVY[n];
    if (simulator == Simulator::kDelm) {
      std::fprintf(out, "%15.7E,%15.7E,%15.7E,%15.7E,%15.7E,%15.7E,%15.7E,%15.7E,%15.7E,\n",
                   m.NodeX[n], m.NodeY[n], m.NodeHead[n], vx, vy, Magnitude(vx, vy), a.NodeWorkA[n],
                   a.NodeWorkB[n], Magnitude(a.NodeWorkA[n], a.NodeWorkB[n]));
    } else {
      std::fprintf(out, "%15.7E,%15.7E,%15.7E,%15.7E,%15.7E,%15.7E,%15.7E,\n", m.NodeX[n],
                   m.NodeY[n], m.NodeHead[n], KorinTotalHead(m, n), vx, vy, Magnitude(vx, vy));
    }
  }
  for (int32_t e = 1; e <= m.NUMEL; ++e) {
    if (!elems.IsActive(e)) continue;
    std::fprintf(out, "%8d,%8d,%8d,%8d\n", elems.Corner1[e], elems.Corner2[e], elems.Corner3[e],
                 elems.WrittenCorner4(e));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: fprintf_tecplot RESULT_FILE PROGRAM_FLAG OUTPUT\n");
    return 2;
  }
  try {
    const Simulator simulator = std::atoi(argv[2]) == 1 ? Simulator::kDelm : Simulator::kKorin;
    auto model = std::make_unique<ModelStore>();
    auto averages = std::make_unique<NodeAverages>();
    ResultFile file(argv[1], simulator);
    file.LoadModel(*model);
    FILE* out = std::fopen(argv[3], "w");
    if (out == nullptr) throw RunError(std::string(argv[3]) + ": cannot create");
    while (file.ReadNextStep(*model)) {
      AverageElemVelocities(*model, simulator, *averages);
      WriteZone(out, *model, simulator, *averages);
    }
    return std::fclose(out) == 0 ? 0 : 2;
  } catch (const RunError& error) {
    std::fprintf(stderr, "fprintf_tecplot: %s\n", error.what());
    return 2;
  }
}
