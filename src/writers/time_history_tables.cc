#include "writers/time_history_tables.h"

#include <algorithm>
#include <string>

#include "model/step_quantities.h"

namespace {

// 500 numbers a line, each after a comma.
constexpr int kItemsPerLine = 500;

constexpr LayoutItem kLabelLine[] = {TextItem(40)};
constexpr LayoutItem kNodeLine[] = {LiteralItem(",node"), GroupItem(kItemsPerLine, 2),
                                    LiteralItem(","), IntegerItem(8)};
constexpr LayoutItem kElemLine[] = {LiteralItem(",element"), GroupItem(kItemsPerLine, 2),
                                    LiteralItem(","), IntegerItem(8)};
constexpr LayoutItem kComponentLine[] = {LiteralItem(",component"), GroupItem(kItemsPerLine, 1),
                                         TextItem(5)};
constexpr LayoutItem kXLine[] = {LiteralItem(",x"), GroupItem(kItemsPerLine, 2), LiteralItem(","),
                                 ScaledRealItem(15, 7)};
constexpr LayoutItem kYLine[] = {LiteralItem(",y"), GroupItem(kItemsPerLine, 2), LiteralItem(","),
                                 ScaledRealItem(15, 7)};
constexpr LayoutItem kStepRow[] = {LiteralItem("time,"), ScaledRealItem(15, 7),
                                   GroupItem(kItemsPerLine, 2), LiteralItem(","),
                                   ScaledRealItem(15, 7)};

// The first `count` entries of `list`; none when count is 0 or less.
std::span<const int32_t> Firsts(const std::vector<int32_t>& list, int32_t count) {
  return count > 0 ? std::span<const int32_t>(list.data(), count) : std::span<const int32_t>();
}

}  // namespace

TimeHistoryTables::TimeHistoryTables(const PickupLists& picks, const ModelStore& model,
                                     Simulator simulator, OutputFiles& files)
    : head_nodes_(picks.pick_head_nodes),
      pres_nodes_(picks.pick_pres_nodes),
      flow_nodes_(picks.pick_flow_nodes),
      vel_elems_(picks.pick_vel_elems) {
  const bool delm = simulator == Simulator::kDelm;
  const std::span<const int32_t> vel = Firsts(vel_elems_, picks.pick_vel_count);
  values_.resize(
      1 + std::max({static_cast<size_t>(std::max(picks.pick_head_count, 0)),
                    static_cast<size_t>(std::max(picks.pick_pres_count, 0)),
                    static_cast<size_t>(std::max(picks.pick_flow_count, 0)), 2 * vel.size()}));
  Table head = Start(files, kTimeHistoryTableNames[0], "total-head",
                     delm ? Column::kHead : Column::kHeadPlusElevation,
                     Firsts(head_nodes_, picks.pick_head_count), model);
  if (!delm) {
    tables_.push_back(Start(files, kTimeHistoryTableNames[1], "pressure-head", Column::kHead,
                            Firsts(pres_nodes_, picks.pick_pres_count), model));
  }
  tables_.push_back(std::move(head));
  tables_.push_back(Start(files, kTimeHistoryTableNames[2], "discharge-rate", Column::kFlow,
                          Firsts(flow_nodes_, picks.pick_flow_count), model));
  // "KORIn" is the spelling the table's label keeps.
  tables_.push_back(Start(files, kTimeHistoryTableNames[3], "KORIn/velocity DELM/flow-on-layer",
                          Column::kVelocity, vel, model));
  tables_.push_back(Start(files, kTimeHistoryTableNames[4], "DELM/velocity", Column::kVelocityByD,
                          delm ? vel : std::span<const int32_t>(), model));
}

TimeHistoryTables::Table TimeHistoryTables::Start(OutputFiles& files, std::string_view name,
                                                  std::string_view label, Column column,
                                                  std::span<const int32_t> picks,
                                                  const ModelStore& model) {
  Table table{files.Create(std::string(name)), column, picks};
  if (!picks.empty()) WriteHeading(table, label, model);
  return table;
}

template <typename Value>
std::span<const FieldValue> TimeHistoryTables::Values(size_t count, Value value) {
  for (size_t i = 0; i < count; ++i) values_[i] = value(i);
  return {values_.data(), count};
}

void TimeHistoryTables::WriteHeading(const Table& table, std::string_view label,
                                     const ModelStore& model) {
  TextOutput& out = *table.out;
  const FieldValue label_value[] = {TextValue(label)};
  WriteLayout(out, kLabelLine, label_value);
  const std::span<const int32_t> picks = table.picks;
  if (IsElemTable(table)) {
    WriteLayout(out, kElemLine,
                Values(2 * picks.size(), [&](size_t i) { return IntegerValue(picks[i / 2]); }));
    WriteLayout(out, kComponentLine,
                Values(picks.size(), [](size_t) { return TextValue(",x,y"); }));
    return;
  }
  WriteLayout(out, kNodeLine,
              Values(picks.size(), [&](size_t i) { return IntegerValue(picks[i]); }));
  WriteLayout(out, kXLine,
              Values(picks.size(), [&](size_t i) { return RealValue(model.NodeX[picks[i]]); }));
  WriteLayout(out, kYLine,
              Values(picks.size(), [&](size_t i) { return RealValue(model.NodeY[picks[i]]); }));
}

double TimeHistoryTables::ColumnValue(const Table& table, const ModelStore& m, size_t i) {
  switch (table.column) {
    case Column::kHead:
      return m.NodeHead[table.picks[i]];
    case Column::kHeadPlusElevation:
      return KorinTotalHead(m, table.picks[i]);
    case Column::kFlow:
      return m.NodeFlow[table.picks[i]];
    case Column::kVelocity:
    case Column::kVelocityByD:
      break;
  }
  const int32_t e = table.picks[i / 2];
  const PlaneVector v = table.column == Column::kVelocityByD ? DelmElemVelocityQuotient(m, e)
                                                             : StoredElemVector(m, e);
  return i % 2 == 0 ? v.x : v.y;
}

void TimeHistoryTables::WriteStepRows(const ModelStore& model) {
  for (const Table& table : tables_) {
    if (table.picks.empty()) continue;
    const size_t columns = table.picks.size() * (IsElemTable(table) ? 2 : 1);
    values_[0] = RealValue(model.StepTime);
    for (size_t i = 0; i < columns; ++i) values_[i + 1] = RealValue(ColumnValue(table, model, i));
    WriteLayout(*table.out, kStepRow, {values_.data(), columns + 1});
  }
}

void TimeHistoryTables::Finish() {
  for (const Table& table : tables_) table.out->Finish();
}
