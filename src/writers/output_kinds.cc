// The table of output kinds, by menu answer. A menu answer that is not here
// selects no output: the main output file is created and stays empty.
#include <array>

#include "writers/femap_kind.h"
#include "writers/interp_writer.h"
#include "writers/microavs_assembly.h"
#include "writers/mkview_writer.h"
#include "writers/output_kind.h"
#include "writers/pickup_file.h"
#include "writers/restart_writer.h"
#include "writers/tecplot_writer.h"
#include "writers/time_history_tables.h"

namespace {

constexpr std::string_view kMicroAvsFiles[] = {kAvsTempFile};

constexpr std::array kOutputKinds = {
    OutputKind{.menu_answer = 1, .asks_head_style = true, .start = StartRestartKind},
    OutputKind{.menu_answer = -1,
               .asks_head_style = true,
               .no_head_lines = true,
               .start = StartRestartKind},
    OutputKind{.menu_answer = 2, .start = StartTecplotKind},
    OutputKind{.menu_answer = 3, .start = StartFemapKind},
    OutputKind{.menu_answer = 4, .fixed_outputs = kMicroAvsFiles, .start = StartMicroAvsKind},
    OutputKind{.menu_answer = 5, .start = StartMkViewKind},
    OutputKind{.menu_answer = 6,
               .every_step = true,
               .blank_line_first = true,
               .reads_file = kPickupFileName,
               .fixed_outputs = kTimeHistoryTableNames,
               .start = StartInterpKind},
};

}  // namespace

const OutputKind* FindOutputKind(int32_t menu_answer) {
  for (const OutputKind& kind : kOutputKinds) {
    if (kind.menu_answer == menu_answer) return &kind;
  }
  return nullptr;
}
