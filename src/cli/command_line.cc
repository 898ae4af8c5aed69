#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <new>
#include <string>

#include "cli/history_command.h"
#include "cli/info_command.h"
#include "cli/map_command.h"
#include "cli/vtk_command.h"
#include "common/platform.h"
#include "common/run_error.h"

namespace {

constexpr int kErrorStatus = 2;

constexpr const char* kExitStatuses =
    "Without arguments rxpost asks its questions on standard output and reads the\n"
    "answers from standard input, as it always has.\n"
    "\n"
    "Exit status: 0 after a normal end, 2 after an error (one line on standard error).";

constexpr const char* kProgramHelp =
    "the simulator that wrote the file, RX-KORIN or RX-DELM (by default told from the "
    "length of the file's node record)";

void AddProgramOption(CLI::App& command, std::string& program) {
  command.add_option("--program", program, kProgramHelp)->check(CLI::IsMember({"korin", "delm"}));
}

CLI::App* AddInfo(CLI::App& app, InfoOptions& info) {
  CLI::App* command = app.add_subcommand(
      "info", "Summarize a result file: the model, and each step's time and value ranges");
  command->add_option("RESULT_FILE", info.result_path, "the simulator's binary result file")
      ->required();
  AddProgramOption(*command, info.program);
  command->add_flag("--csv", info.csv, "print CSV for scripts: the model, a blank line, the steps");
  return command;
}

CLI::App* AddVtk(CLI::App& app, VtkOptions& vtk, std::string& steps) {
  CLI::App* command = app.add_subcommand(
      "vtk", "Write steps as a ParaView collection: OUTPUT.pvd and a .vtu file per step");
  command->add_option("RESULT_FILE", vtk.result_path, "the simulator's binary result file")
      ->required();
  command->add_option("OUTPUT.pvd", vtk.collection_path, "the collection file to write")
      ->required();
  AddProgramOption(*command, vtk.program);
  command
      ->add_option("--steps", steps,
                   "final (the last step, and any earlier step numbered 0), all, or the "
                   "step numbers N[,N...], such as 3,5,9 (0 is the step numbered 0)")
      ->type_name("WHICH")
      ->capture_default_str();
  command->add_flag("--follow", vtk.follow,
                    "then wait for the file to grow (a simulation still running) and add each "
                    "new step as soon as it is complete; ends at Ctrl-C");
  command
      ->add_option("--idle", vtk.idle_seconds,
                   "with --follow: end after this many seconds without a new step")
      ->type_name("SECONDS")
      ->check(CLI::PositiveNumber);
  return command;
}

CLI::App* AddHistory(CLI::App& app, HistoryOptions& history, std::string& steps) {
  CLI::App* command = app.add_subcommand(
      "history", "Follow nodes, elements and points through the steps: a CSV table, a chart");
  command->add_option("RESULT_FILE", history.result_path, "the simulator's binary result file")
      ->required();
  AddProgramOption(*command, history.program);
  PlaceRequest& places = history.places;
  command->add_option("--node", places.nodes, "node numbers N[,N...]")->delimiter(',');
  command->add_option("--element", places.elements, "element numbers E[,E...]")->delimiter(',');
  command->add_option("--point", places.points, "points of the plane X,Y [X,Y ...]");
  command->add_option("--pickup", places.pickup_path,
                      "a PICKUP.INP file: its nodes, elements and points");
  command
      ->add_option("--steps", steps,
                   "all (the default), final, or the step numbers N[,N...], as for vtk")
      ->type_name("WHICH");
  command->add_option("--csv", history.csv_path,
                      "write the table to this file (by default: standard output)");
  command->add_option("--plot", history.plot_path,
                      "draw the values against time into this .png or .svg picture");
  return command;
}

CLI::App* AddMap(CLI::App& app, MapOptions& map) {
  CLI::App* command =
      app.add_subcommand("map", "Draw one step's values over the mesh into a .png or .svg picture");
  command->add_option("RESULT_FILE", map.result_path, "the simulator's binary result file")
      ->required();
  command->add_option("PICTURE", map.image_path, "the picture to write, OUT.png or OUT.svg")
      ->required();
  AddProgramOption(*command, map.program);
  command
      ->add_option("--quantity", map.quantity,
                   "\"total head\", \"pressure head\" (RX-KORIN), discharge or velocity")
      ->capture_default_str();
  command->add_option("--step", map.step, "final, or the number of the step to draw")
      ->capture_default_str();
  command->add_flag("--edges", map.edges, "outline the elements");
  return command;
}

int ReportParseError(const CLI::App& app, const CLI::ParseError& error) {
  if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(error);
  std::string help = "rxpost --help";
  for (const CLI::App* command : app.get_subcommands()) {
    help = "rxpost " + command->get_name() + " --help";
  }
  std::cerr << "rxpost: " << error.what() << " (see " << help << ")\n";
  return kErrorStatus;
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
  CLI::App app("rxpost: post-processing of RX-KORIN and RX-DELM result files.", "rxpost");
  app.set_version_flag("--version",
                       "rxpost " RXPOST_VERSION " for " + std::string(platform::kName));
  // At most one command; none is reported after parsing, so that an unknown
  // option is named as such rather than as a missing command.
  app.require_subcommand(0, 1);
  app.footer(kExitStatuses);
  InfoOptions info;
  VtkOptions vtk;
  HistoryOptions history;
  MapOptions map;
  std::string steps = "final", history_steps = "all";
  CLI::App* info_command = AddInfo(app, info);
  AddVtk(app, vtk, steps);
  CLI::App* history_command = AddHistory(app, history, history_steps);
  CLI::App* map_command = AddMap(app, map);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return ReportParseError(app, error);
  }
  if (app.get_subcommands().empty()) {
    std::cerr << "rxpost: name a command, info, vtk, history or map (see rxpost --help)\n";
    return kErrorStatus;
  }
  try {
    if (info_command->parsed()) {
      RunInfo(info);
    } else if (history_command->parsed()) {
      history.steps = ParseStepChoice(history_steps);
      RunHistory(history);
    } else if (map_command->parsed()) {
      RunMap(map);
    } else {
      vtk.steps = ParseStepChoice(steps);
      if (vtk.idle_seconds > 0 && !vtk.follow) throw ErrorAbout("--idle", "needs --follow");
      RunVtk(vtk);
    }
    return 0;
  } catch (const RunError& error) {
    std::cerr << "rxpost: " << error.what() << '\n';
  } catch (const std::bad_alloc&) {
    std::cerr << "rxpost: out of memory\n";
  }
  return kErrorStatus;
}
