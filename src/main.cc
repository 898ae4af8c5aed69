// rxpost: turns the binary result file of the RX-KORIN or RX-DELM groundwater
// simulators into the text file an engineer needs, through a console
// dialogue; or strips the comment lines from an analysis data file. With
// arguments it is a command line instead (cli/command_line.h).
//
// Exit status of the dialogue: 0 after a normal end; 2 after an error (one line on standard
// error names the file or the question and what was wrong); the stop code
// modulo 256 when the user stops the run (1111 -> 87).
#include <iostream>
#include <memory>
#include <new>

#include "cli/command_line.h"
#include "common/platform.h"
#include "common/run_error.h"
#include "common/text_output.h"
#include "driver/comment_stripper.h"
#include "driver/console.h"
#include "driver/dialogue_texts.h"
#include "driver/stop_run.h"
#include "driver/transfer_run.h"

namespace {

void RunProgram(Console& console) {
  for (std::string_view line : dialogue::kStartBanner) console.Prompt(line);
  int32_t mode = console.ReadInteger("mode question");
  if (mode == 0) {
    RunTransfer(console);
  } else {
    RunCommentStripping(console);
  }
  console.out().Flush();
}

// Whatever the console still holds goes out before the run ends.
void FlushQuietly(TextOutput& out) {
  try {
    out.Flush();
  } catch (const RunError&) {
  }
}

int Fail(TextOutput& console_out, const std::string& message) {
  FlushQuietly(console_out);
  std::cerr << "rxpost: " << message << '\n';
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) return RunCommandLine(argc, argv);
  platform::UseExactStandardInput();
  const std::unique_ptr<TextOutput> standard_output = TextOutput::StandardOutput();
  TextOutput& console_out = *standard_output;
  Console console(std::cin, console_out);
  try {
    RunProgram(console);
    return 0;
  } catch (const StopRun& stop) {
    FlushQuietly(console_out);
    std::cerr << "STOP " << stop.code << '\n';
    return stop.code % 256;
  } catch (const RunError& error) {
    return Fail(console_out, error.what());
  } catch (const std::bad_alloc&) {
    return Fail(console_out, "out of memory");
  }
}
