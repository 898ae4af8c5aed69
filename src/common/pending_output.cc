#include "common/pending_output.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "common/platform_files.h"
#include "common/run_error.h"

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

void WriteText(const char* text) { (void)!::write(STDERR_FILENO, text, std::strlen(text)); }

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

std::string PartialPath(const std::string& target) {
  return target + ".partial-" + std::to_string(::getpid());
}

// Makes the new file `partial`, replacing one of that name that a killed
// process left; throws RunError naming `shown` when it cannot.
int CreatePartialFile(const std::string& partial, const std::string& shown,
                      std::optional<unsigned> mode) {
  int fd = CreateNewFile(partial, mode);
  if (fd < 0 && errno == EEXIST && ::unlink(partial.c_str()) == 0) {
    fd = CreateNewFile(partial, mode);
  }
  if (fd < 0) {
    throw ErrorAbout(shown, std::string("cannot create file: ") + std::strerror(errno));
  }
  return fd;
}

}  // namespace

PendingOutput::PendingOutput(std::string target, std::string partial, std::string shown, int fd)
    : target_(std::move(target)),
      partial_(std::move(partial)),
      shown_(std::move(shown)),
      fd_(fd),
      slot_(TakeSlot(partial_, shown_)) {}

std::unique_ptr<PendingOutput> PendingOutput::Direct(const std::string& shown) {
  return std::unique_ptr<PendingOutput>(new PendingOutput("", "", shown, -1));
}

std::unique_ptr<PendingOutput> PendingOutput::Staged(const std::string& target,
                                                     const std::string& shown,
                                                     std::optional<unsigned> mode) {
  // A partial file of this name is left by an earlier process that had this
  // process's id: no live process owns it.
  const std::string partial = PartialPath(target);
  const int fd = CreatePartialFile(partial, shown, mode);
  return std::unique_ptr<PendingOutput>(new PendingOutput(target, partial, shown, fd));
}

std::unique_ptr<PendingOutput> PendingOutput::Scratch(const std::string& path) {
  const int fd = CreatePartialFile(path, path, std::nullopt);
  return std::unique_ptr<PendingOutput>(new PendingOutput("", path, path, fd));
}

PendingOutput::~PendingOutput() {
  if (slot_ >= 0) slots[slot_].used = 0;
  if (staged() && !complete_) ::unlink(partial_.c_str());
}

void PendingOutput::Complete() {
  if (complete_) return;
  if (staged() && !target_.empty()) {
    std::error_code error;
    std::filesystem::rename(partial_, target_, error);
    if (error) {
      throw ErrorAbout(shown_, "cannot put the new file in its place: " + error.message() +
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
    if (slot.used && slot.partial[0] != '\0') ::unlink(slot.partial);
    pending = pending || slot.used;
  }
  if (!pending && quiet_without_outputs) return;
  WriteText("rxpost: interrupted by ");
  WriteText(signal_name);
  WriteNames("; not written, left as they were: ", true);
  WriteNames("; incomplete: ", false);
  WriteText("\n");
}
