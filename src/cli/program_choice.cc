#include "cli/program_choice.h"

#include "common/run_error.h"
#include "driver/result_file.h"

namespace {

constexpr const char* kGiveProgram = "give --program korin or --program delm";

std::string DescribeNodeRecord(const NodeRecordShape& shape) {
  return "the node record holds " + std::to_string(NodeEntryBytes(shape.ProgramFlag)) +
         " bytes a node, as " + ProgramName(shape.ProgramFlag) + " results do";
}

}  // namespace

const char* ProgramName(int32_t ProgramFlag) { return ProgramFlag == 1 ? "RX-DELM" : "RX-KORIN"; }

ProgramChoice ChooseProgram(const std::string& path, const std::string& given) {
  const NodeRecordShape shape = ReadNodeRecordShape(path);
  if (!given.empty()) {
    const int32_t flag = given == "delm" ? 1 : 0;
    if (shape.ProgramFlag >= 0 && shape.ProgramFlag != flag) {
      throw ErrorAbout(path, "--program " + given + " was given, but " + DescribeNodeRecord(shape) +
                                 " (leave --program out)");
    }
    return {flag, "given by --program"};
  }
  if (shape.ProgramFlag >= 0) {
    return {shape.ProgramFlag,
            "detected: " + std::to_string(NodeEntryBytes(shape.ProgramFlag)) + " bytes a node"};
  }
  const std::string why =
      shape.NUMNP <= 0 ? "the file has no nodes (NUMNP " + std::to_string(shape.NUMNP) + ")"
                       : "record 3 (nodes) holds " + std::to_string(shape.bytes) + " bytes for " +
                             std::to_string(shape.NUMNP) + " nodes, neither " +
                             std::to_string(NodeEntryBytes(0)) + " (RX-KORIN) nor " +
                             std::to_string(NodeEntryBytes(1)) + " (RX-DELM) bytes a node";
  throw ErrorAbout(path, "cannot tell RX-KORIN from RX-DELM results: " + why + "; " + kGiveProgram);
}
