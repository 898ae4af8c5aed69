#include "cli/program_choice.h"

#include "common/run_error.h"
#include "reader/result_file.h"

namespace {

constexpr const char* kGiveProgram = "give --program korin or --program delm";

std::string DescribeNodeRecord(const NodeRecordShape& shape) {
  return "the node record holds " + std::to_string(NodeEntryBytes(*shape.simulator)) +
         " bytes a node, as " + std::string(SimulatorName(*shape.simulator)) + " results do";
}

}  // namespace

ProgramChoice ChooseProgram(const std::string& path, const std::string& given) {
  const NodeRecordShape shape = ReadNodeRecordShape(path);
  if (!given.empty()) {
    const Simulator simulator = given == "delm" ? Simulator::kDelm : Simulator::kKorin;
    if (shape.simulator && *shape.simulator != simulator) {
      throw ErrorAbout(path, "--program " + given + " was given, but " + DescribeNodeRecord(shape) +
                                 " (leave --program out)");
    }
    return {simulator, "given by --program"};
  }
  if (shape.simulator) {
    return {*shape.simulator,
            "detected: " + std::to_string(NodeEntryBytes(*shape.simulator)) + " bytes a node"};
  }
  const std::string why =
      shape.NUMNP <= 0
          ? "the file has no nodes (NUMNP " + std::to_string(shape.NUMNP) + ")"
          : "record 3 (nodes) holds " + std::to_string(shape.bytes) + " bytes for " +
                std::to_string(shape.NUMNP) + " nodes, neither " +
                std::to_string(NodeEntryBytes(Simulator::kKorin)) + " (RX-KORIN) nor " +
                std::to_string(NodeEntryBytes(Simulator::kDelm)) + " (RX-DELM) bytes a node";
  throw ErrorAbout(path, "cannot tell RX-KORIN from RX-DELM results: " + why + "; " + kGiveProgram);
}
