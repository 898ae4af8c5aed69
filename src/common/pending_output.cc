#include "common/pending_output.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <string_view>

#include "common/run_error.h"
#include "common/side_thread.h"

namespace {

// The pending outputs as the interrupt handler sees them: fixed room, each
// slot filled before it is marked used, so the handler never reads a slot
// half written. A run has a handful of outputs pending at once; one past the
// table's size is still written safely, only not named on an interrupt.
struct Slot {
  char partial[4096];  // empty for a file written directly
  char shown[256];
  volatile std::sig_atomic_t used;
};
constexpr int kSlots = 32;
Slot slots[kSlots];

bool CopyInto(char* room, size_t size, std::string_view text) {
  if (text.size() >= size) return false;
  std::memcpy(room, text.data(), text.size());
  room[text.size()] = '\0';
  return true;
}

int TakeSlot(const std::string& partial, const std::string& shown) {
  for (int i = 0; i < kSlots; ++i) {
    Slot& slot = slots[i];
    if (slot.used) continue;
    if (!CopyInto(slot.partial, sizeof slot.partial, partial)) return -1;
    const std::string name = EscapedText(shown);
    if (!CopyInto(slot.shown, sizeof slot.shown, name.substr(0, sizeof slot.shown - 1))) return -1;
    slot.used = 1;
    return i;
  }
  return -1;
}

void WriteText(const char* text) {
  (void)platform::Write(platform::StandardError(), text, std::strlen(text));
}

// The names of the slots in use that are (or are not) staged, after `lead`.
void WriteNames(const char* lead, bool staged) {
  bool any = false;
  for (Slot& slot : slots) {
    if (!slot.used || (slot.partial[0] != '\0') != staged) continue;
    WriteText(any ? ", " : lead);
    WriteText(slot.shown);
    any = true;
  }
}

// Blocks are set aside for as many bytes again as a file will hold after a
// write, at least kSmallestSetAside and at most kLargestSetAside bytes. Even
// the first bytes are written into blocks set aside: one byte written
// without makes ext4 flush the whole file when it is renamed over another.
constexpr int64_t kSmallestSetAside = int64_t{1} << 20;
constexpr int64_t kLargestSetAside = int64_t{64} << 20;

std::string PartialPath(const std::string& target) {
  return target + ".partial-" + std::to_string(platform::ProcessId());
}

// Makes the new file `partial`, replacing one of that name that a killed
// process left; throws RunError naming `shown` when it cannot.
platform::FileHandle CreatePartialFile(const std::string& partial, const std::string& shown,
                                       unsigned mode) {
  platform::FileHandle file = platform::CreateNew(partial, mode);
  if (file == platform::kNoFile) {
    const int error = platform::LastError();
    if (platform::Remove(partial)) file = platform::CreateNew(partial, mode);
    if (file == platform::kNoFile) {
      throw ErrorAbout(shown, "cannot create file: " + platform::ErrorText(error));
    }
  }
  return file;
}

}  // namespace

PendingOutput::PendingOutput(std::string target, std::string partial, std::string shown,
                             platform::FileHandle file)
    : target_(std::move(target)),
      partial_(std::move(partial)),
      shown_(std::move(shown)),
      file_(file),
      sets_aside_(file != platform::kNoFile && !target_.empty()),
      slot_(TakeSlot(partial_, shown_)) {}

std::unique_ptr<PendingOutput> PendingOutput::Direct(const std::string& shown) {
  return std::unique_ptr<PendingOutput>(new PendingOutput("", "", shown, platform::kNoFile));
}

std::unique_ptr<PendingOutput> PendingOutput::Staged(const std::string& target,
                                                     const std::string& shown, unsigned mode) {
  // A partial file of this name is left by an earlier process that had this
  // process's id: no live process owns it.
  const std::string partial = PartialPath(target);
  const platform::FileHandle file = CreatePartialFile(partial, shown, mode);
  std::unique_ptr<PendingOutput> output(new PendingOutput(target, partial, shown, file));
  output->StartForgettingTarget();
  return output;
}

// The new file's pages take the place of the old one's. Letting go of a big
// file's pages takes a while, so a thread of its own does it while the run
// reads its first step.
void PendingOutput::StartForgettingTarget() {
  forgetting_ = StartSideThread([target = target_] { platform::ForgetCachedContents(target); });
}

void PendingOutput::WaitForForgetting() { JoinSideThread(forgetting_); }

std::unique_ptr<PendingOutput> PendingOutput::Scratch(const std::string& path) {
  const platform::FileHandle file = CreatePartialFile(path, path, 0);
  return std::unique_ptr<PendingOutput>(new PendingOutput("", path, path, file));
}

PendingOutput::~PendingOutput() {
  WaitForForgetting();
  if (slot_ >= 0) slots[slot_].used = 0;
  if (staged() && !complete_) platform::Remove(partial_);
}

void PendingOutput::WillWrite(int64_t bytes) {
  const int64_t end = written_ + bytes;
  written_ = end;
  if (!sets_aside_ || end <= set_aside_) return;
  // While blocks are set aside, they reach at least as far as the bytes.
  const int64_t until = end + std::clamp(end, kSmallestSetAside, kLargestSetAside);
  sets_aside_ = platform::SetAsideBlocks(file_, set_aside_, until - set_aside_);
  set_aside_ = until;  // a refusal may still have lengthened the file
}

void PendingOutput::CutToWritten() {
  if (set_aside_ <= written_) return;
  if (!platform::CutAt(file_, written_)) {
    const std::string reason = platform::ErrorText(platform::LastError());
    throw ErrorAbout(shown_, "cannot cut the new file to its length: " + reason +
                                 "; the file is left as it was");
  }
  set_aside_ = written_;
}

void PendingOutput::Complete() {
  if (complete_) return;
  WaitForForgetting();
  CutToWritten();
  if (staged() && !target_.empty()) {
    if (!platform::Rename(partial_, target_)) {
      const std::string reason = platform::ErrorText(platform::LastError());
      throw ErrorAbout(shown_, "cannot put the new file in its place: " + reason +
                                   "; the file is left as it was");
    }
  }
  complete_ = true;
  if (slot_ >= 0) slots[slot_].used = 0;
  slot_ = -1;
}

void ReportInterruptedOutputs(const char* signal_name, bool quiet_without_outputs) {
  bool pending = false;
  for (Slot& slot : slots) {
    if (slot.used && slot.partial[0] != '\0') platform::Remove(slot.partial);
    pending = pending || slot.used;
  }
  if (!pending && quiet_without_outputs) return;
  WriteText("rxpost: interrupted by ");
  WriteText(signal_name);
  WriteNames("; not written, left as they were: ", true);
  WriteNames("; incomplete: ", false);
  WriteText("\n");
}
