#include "cli/step_notes.h"

#include "common/notes.h"
#include "common/shown_text.h"

void NoteIncompleteStep(const std::string& result_path, const ResultFile& file) {
  const std::optional<IncompleteStep>& tail = file.Incomplete();
  if (!tail) return;
  WriteNote(EscapedText(result_path) + ": the file ends inside step " +
            std::to_string(tail->index) + " (" + std::to_string(tail->bytes) +
            " bytes of it are there): the simulation may still be writing it; the complete "
            "steps before it are read (" +
            std::to_string(file.StepCount()) + ")");
}
