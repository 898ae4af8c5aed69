// PendingOutput: an output file of the run from its creation until it is
// whole. A regular file (or a new one) is never written in place: the bytes
// go to a partial file beside it, NAME.partial-PID, which replaces NAME by a
// rename only when the run has written it whole. Until then NAME keeps what
// it held (or stays absent), so no file ever shows one run's bytes followed by
// an earlier run's tail, even after a crash or a power cut; an unfinished run
// removes its partial files. Disk blocks are set aside for a partial file a
// little ahead of its bytes (where the system allows), and the file is cut
// to its bytes before the rename. A device or a pipe is written directly and is
// only named as incomplete when the run ends early.
//
// Every pending output is known to ReportInterruptedOutputs, which the
// interrupt handler (common/platform_process.h) calls to remove the partial
// files and name the outputs in one line on standard error.
#pragma once

#include <memory>
#include <string>
#include <thread>

#include "common/platform.h"

class PendingOutput {
 public:
  // A file written directly (the caller opens it); `shown` names it in messages.
  static std::unique_ptr<PendingOutput> Direct(const std::string& shown);
  // Creates the partial file that will replace `target` (with the permission
  // bits `mode` when not 0: those of the file it replaces); throws RunError
  // naming `shown` when it cannot.
  static std::unique_ptr<PendingOutput> Staged(const std::string& target, const std::string& shown,
                                               unsigned mode);
  // A file at `path` that the caller puts in its place itself once it is
  // complete: removed when unfinished, like a partial file. One of that name
  // left by a killed run is replaced.
  static std::unique_ptr<PendingOutput> Scratch(const std::string& path);
  // Removes the partial file of an unfinished output.
  ~PendingOutput();
  PendingOutput(const PendingOutput&) = delete;
  PendingOutput& operator=(const PendingOutput&) = delete;

  bool staged() const { return file_ != platform::kNoFile; }
  // Where the bytes are until Complete: the partial file, or the file itself.
  const std::string& written_path() const { return staged() ? partial_ : shown_; }
  // The partial file (staged only); the caller closes it.
  platform::FileHandle file() const { return file_; }
  // Before `bytes` more are written to the file: for a partial file, sets
  // blocks aside for them and as many again as the file will then hold (at
  // least 1 MiB, at most 64 MiB), so that no byte is written without its block.
  void WillWrite(int64_t bytes);
  // The output is whole: a staged one replaces its target now. Throws
  // RunError when the rename fails (the partial file is then removed).
  void Complete();

 private:
  PendingOutput(std::string target, std::string partial, std::string shown,
                platform::FileHandle file);
  // Drops the cached pages of the file a staged output replaces, on a thread
  // of its own; waited for before the rename and on removal.
  void StartForgettingTarget();
  void WaitForForgetting();
  // Cuts the blocks set aside past the bytes written.
  void CutToWritten();

  std::string target_, partial_, shown_;
  platform::FileHandle file_;
  int64_t written_ = 0;      // or about to be
  int64_t set_aside_ = 0;    // the partial file's length at most: written or set aside
  bool sets_aside_ = false;  // until the system refuses
  int slot_;                 // in the interrupt handler's table; -1 when not there
  bool complete_ = false;
  std::thread forgetting_;
};

// For the interrupt handler only (async-signal-safe): removes every partial
// file and writes one line on standard error, "rxpost: interrupted by NAME",
// naming the outputs left as they were and those left incomplete; with
// `quiet_without_outputs`, nothing when no output was pending.
void ReportInterruptedOutputs(const char* signal_name, bool quiet_without_outputs);
