// TimeHistoryTables: the comma-separated tables of the INTERP kind, which
// follow picked nodes and elements through the steps, one row a step:
// HTIME.CSV (total head), PTIME.CSV (pressure head, RX-KORIN results only),
// QTIME.CSV (discharge rate), VTIME.CSV (ElemVX, ElemVY) and VeTIME.CSV
// (ElemVX/ElemD, ElemVY/ElemD, RX-DELM results only).
//
// Each table opens with a label line and its heading lines (node numbers and
// coordinates, or element numbers and components); a table whose list is
// empty is created and stays empty. Lines take 500 numbers at most and go on
// on further lines; a line with fewer ends with a comma.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "common/line_layout.h"
#include "common/output_files.h"
#include "common/text_output.h"
#include "model/model_store.h"
#include "model/simulator.h"
#include "writers/pickup_file.h"

// The tables' names, in the working directory.
inline constexpr std::string_view kTimeHistoryTableNames[] = {"HTIME.CSV", "PTIME.CSV", "QTIME.CSV",
                                                              "VTIME.CSV", "VeTIME.CSV"};

class TimeHistoryTables {
 public:
  // Creates the tables through `files` (HTIME.CSV, PTIME.CSV for RX-KORIN
  // results, QTIME.CSV, VTIME.CSV, VeTIME.CSV) and writes their headings.
  TimeHistoryTables(const PickupLists& picks, const ModelStore& model, Simulator simulator,
                    OutputFiles& files);

  // One row of the current step in each table that has columns, in the
  // order PTIME, HTIME, QTIME, VTIME, VeTIME.
  void WriteStepRows(const ModelStore& model);
  // Every table whole and in its place; throws RunError on failure.
  void Finish();

 private:
  enum class Column { kHead, kHeadPlusElevation, kFlow, kVelocity, kVelocityByD };
  struct Table {
    std::unique_ptr<TextOutput> out;
    Column column;
    std::span<const int32_t> picks;  // nodes, or elements for the velocity columns
  };

  Table Start(OutputFiles& files, std::string_view name, std::string_view label, Column column,
              std::span<const int32_t> picks, const ModelStore& model);
  static bool IsElemTable(const Table& table) {
    return table.column == Column::kVelocity || table.column == Column::kVelocityByD;
  }
  // Column i of the table's row for the current step.
  static double ColumnValue(const Table& table, const ModelStore& model, size_t i);
  void WriteHeading(const Table& table, std::string_view label, const ModelStore& model);
  // values_[0..count), each set by `value(i)`.
  template <typename Value>
  std::span<const FieldValue> Values(size_t count, Value value);

  std::vector<Table> tables_;  // in row order
  std::vector<int32_t> head_nodes_, pres_nodes_, flow_nodes_, vel_elems_;
  std::vector<FieldValue> values_;  // one write's values, reused
};
