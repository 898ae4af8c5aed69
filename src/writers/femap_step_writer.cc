#include "writers/femap_step_writer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

#include "common/free_form.h"
#include "common/line_layout.h"
#include "common/parallel_lines.h"
#include "common/worker_pool.h"
#include "model/step_quantities.h"
#include "writers/femap_blocks.h"

namespace {

constexpr int kMarkerWidth = 8;
constexpr LayoutItem kSetTitleLine[] = {LiteralItem(" T="), ScaledRealItem(12, 4)};

// The fixed texts of one result vector. `id` follows the set number on the
// vector's first line; `components` names the vectors of its x and y parts;
// `type` follows the entity numbers of its extremes (output type 6 scalar or
// 1 velocity, entity type 7 node or 8 element).
struct VectorHead {
  std::string_view id;
  std::string_view title;
  std::string_view components;
  std::string_view type;
  bool magnitude = false;
};

constexpr VectorHead kHead{",10,1,", "Total Head", "0,0,0,0,0,0,0,0,0,0,", ",6,7,"};
constexpr VectorHead kFlow{",12,1,", "Q", "0,0,0,0,0,0,0,0,0,0,", ",6,7,"};
// Node velocities from the stored values, and from those divided by D.
constexpr VectorHead kNodeStored[] = {
    {",13,1,", "D*Velocity(Node)", "14,15,0,0,0,0,0,0,0,0,", ",1,7,", true},
    {",14,1,", "D*X Velocity(Node)", "14,0,0,0,0,0,0,0,0,0,", ",1,7,"},
    {",15,1,", "D*Y Velocity(Node)", "0,15,0,0,0,0,0,0,0,0,", ",1,7,"},
};
constexpr VectorHead kNodeDivided[] = {
    {",16,1,", "Velocity(Node)", "17,18,0,0,0,0,0,0,0,0,", ",1,7,", true},
    {",17,1,", "X Velocity(Node)", "17,0,0,0,0,0,0,0,0,0,", ",1,7,"},
    {",18,1,", "Y Velocity(Node)", "0,18,0,0,0,0,0,0,0,0,", ",1,7,"},
};
// Element velocities, stored and divided by D.
constexpr VectorHead kElemStored[] = {
    {",70010,1,", "D*Velocity", "70011,70012,0,0,0,0,0,0,0,0,", ",1,8,", true},
    {",70011,1,", "D*X Velocity", "70011,0,0,0,0,0,0,0,0,0,", ",1,8,"},
    {",70012,1,", "D*Y Velocity", "0,70012,0,0,0,0,0,0,0,0,", ",1,8,"},
};
constexpr VectorHead kElemDivided[] = {
    {",70013,1,", "Velocity", "70014,70015,0,0,0,0,0,0,0,0,", ",1,8,", true},
    {",70014,1,", "X Velocity", "70014,0,0,0,0,0,0,0,0,0,", ",1,8,"},
    {",70015,1,", "Y Velocity", "0,70015,0,0,0,0,0,0,0,0,", ",1,8,"},
};

// Smallest and largest value of a vector and the entities holding them. A
// vector without entities keeps zeros and the numbers 1 and 1.
struct Extremes {
  double low = 0, high = 0;
  int32_t low_at = 1, high_at = 1;

  static Extremes From(double value) { return {value, value, 1, 1}; }
  // Before the first visit: no value is beyond these.
  static Extremes Empty() {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    return {kInfinity, -kInfinity, 0, 0};
  }
  // A strictly greater or smaller value takes over, so ties keep the lowest
  // entity number (and a value that is not a number never takes over).
  void Visit(double value, int32_t entity) {
    if (value > high) high = value, high_at = entity;
    if (value < low) low = value, low_at = entity;
  }
  // Visits the extremes of entities that follow all those visited so far.
  void Merge(const Extremes& later) {
    if (later.high > high) high = later.high, high_at = later.high_at;
    if (later.low < low) low = later.low, low_at = later.low_at;
  }
};

// The extremes of the magnitude, x and y of a velocity vector, in one pass.
struct VelocityExtremes {
  Extremes magnitude, x, y;

  static VelocityExtremes From(PlaneVector v) {
    return {Extremes::From(Magnitude(v.x, v.y)), Extremes::From(v.x), Extremes::From(v.y)};
  }
  static VelocityExtremes Empty() {
    return {Extremes::Empty(), Extremes::Empty(), Extremes::Empty()};
  }
  void Visit(PlaneVector v, int32_t entity) {
    magnitude.Visit(Magnitude(v.x, v.y), entity);
    x.Visit(v.x, entity);
    y.Visit(v.y, entity);
  }
  void Merge(const VelocityExtremes& later) {
    magnitude.Merge(later.magnitude);
    x.Merge(later.x);
    y.Merge(later.y);
  }
};

// Entities a range of the scan holds.
constexpr int32_t kScanItems = 1 << 16;

// The extremes one pass over entities 1..count would find, starting from the
// values of entity 1: the ranges of entities are scanned on the formatting
// threads and merged in order.
template <typename Tracker, typename ValueOf>
Tracker ScanExtremes(int32_t count, ValueOf value_of) {
  if (count < 1) return {};
  std::vector<Tracker> ranges(RangeCount(1, count, kScanItems));
  ForEachRange(1, count, kScanItems, [&](int64_t range, int32_t begin, int32_t end) {
    Tracker tracker = Tracker::Empty();
    for (int32_t i = begin; i <= end; ++i) tracker.Visit(value_of(i), i);
    ranges[range] = tracker;
  });
  Tracker tracker = Tracker::From(value_of(1));
  for (const Tracker& range : ranges) tracker.Merge(range);
  return tracker;
}

// The third header value: a magnitude's largest value; for other vectors the
// larger of the absolute values of the single-precision extremes.
float LargestAbsolute(const Extremes& e, bool magnitude) {
  const float high = static_cast<float>(e.high);
  if (magnitude) return high;
  const float low = std::fabs(static_cast<float>(e.low));
  return low > std::fabs(high) ? low : std::fabs(high);
}

enum class Precision { kSingle, kDouble };

void WriteVectorHead(TextOutput& out, int32_t set, const VectorHead& head, const Extremes& e) {
  FreeFormLine(out).Integer(set).Text(head.id).End();
  FreeFormLine(out).Text(head.title).End();
  FreeFormLine(out)
      .SingleReal(e.low)
      .SingleReal(e.high)
      .SingleReal(LargestAbsolute(e, head.magnitude))
      .End();
  FreeFormLine(out).Text(head.components).End();
  FreeFormLine(out).Text("0,0,0,0,0,0,0,0,0,0,").End();
  FreeFormLine(out).Integer(e.low_at).Text(",").Integer(e.high_at).Text(head.type).End();
  FreeFormLine(out).Text("0,1,1,").End();
}

// "  entity, value": the free-form line made in one piece.
template <Precision kPrecision>
void WriteValueLine(TextOutput& out, const FreeFormCounter& entity, double value) {
  char* p = out.Reserve(2 + 2 * kMaxFreeFormNumber);
  *p++ = ' ';
  p = entity.Write(p);
  *p++ = ',';
  if constexpr (kPrecision == Precision::kDouble) {
    p = WriteFreeFormReal(p, value);
  } else {
    p = WriteFreeFormSingleReal(p, value);
  }
  out.Commit(p);
  out.EndLine();
}

// The closing line of a vector, "  -1, 0.0".
template <Precision kPrecision>
void WriteClosingLine(TextOutput& out) {
  FreeFormLine line(out);
  line.Integer(-1).Text(",");
  if constexpr (kPrecision == Precision::kDouble) {
    line.Real(0.0);
  } else {
    line.SingleReal(0.0);
  }
  line.End();
}

// Where the value lines of a vector (those of its entities) lie in the output.
struct ValueLines {
  uint64_t from = 0, size = 0;
};
// A velocity family as written: the extremes in its heads and where the
// entity lines of its three vectors (magnitude, x, y) lie.
struct WrittenFamily {
  VelocityExtremes extremes;
  std::array<ValueLines, 3> lines;
};

// One vector: its head, a line per entity 1..count and the closing line. With
// `same`, the entity lines are those at `same`, written again: copied inside
// the file where the system can.
template <Precision kPrecision, typename ValueOf>
ValueLines WriteVector(TextOutput& out, int32_t set, const VectorHead& head,
                       const Extremes& extremes, int32_t count, ValueOf value_of,
                       const ValueLines* same = nullptr) {
  WriteVectorHead(out, set, head, extremes);
  const uint64_t from = out.Position();
  if (same == nullptr || !out.RepeatEarlierBytes(same->from, same->size)) {
    FormatLinesInOrder(out, 1, count, [&value_of](TextOutput& chunk, int32_t first, int32_t last) {
      FreeFormCounter entity(first);
      for (int32_t i = first; i <= last; ++i, entity.Next()) {
        WriteValueLine<kPrecision>(chunk, entity, value_of(i));
      }
    });
  }
  const ValueLines lines{from, out.Position() - from};
  WriteClosingLine<kPrecision>(out);
  return lines;
}

// A node value written in single precision.
void WriteNodeScalar(TextOutput& out, int32_t set, const VectorHead& head, const double* values,
                     int32_t count) {
  const auto value_of = [values](int32_t i) { return values[i]; };
  WriteVector<Precision::kSingle>(out, set, head, ScanExtremes<Extremes>(count, value_of), count,
                                  value_of);
}

const ValueLines* LinesOf(const WrittenFamily* family, int vector) {
  return family != nullptr ? &family->lines[vector] : nullptr;
}

// A family's extremes: those of `same` (the same values), else scanned.
template <typename ValueOf>
VelocityExtremes FamilyExtremes(const WrittenFamily* same, int32_t count, ValueOf value_of) {
  return same != nullptr ? same->extremes : ScanExtremes<VelocityExtremes>(count, value_of);
}

// Magnitude, x and y of node velocities, in double precision; with `same`,
// the values of the family written at `same`.
WrittenFamily WriteNodeVelocities(TextOutput& out, int32_t set,
                                  std::span<const VectorHead, 3> heads, const double* x,
                                  const double* y, int32_t count,
                                  const WrittenFamily* same = nullptr) {
  const auto value_of = [x, y](int32_t i) { return PlaneVector{x[i], y[i]}; };
  const VelocityExtremes e = FamilyExtremes(same, count, value_of);
  return {e,
          {WriteVector<Precision::kDouble>(
               out, set, heads[0], e.magnitude, count,
               [x, y](int32_t i) { return Magnitude(x[i], y[i]); }, LinesOf(same, 0)),
           WriteVector<Precision::kDouble>(
               out, set, heads[1], e.x, count, [x](int32_t i) { return x[i]; }, LinesOf(same, 1)),
           WriteVector<Precision::kDouble>(
               out, set, heads[2], e.y, count, [y](int32_t i) { return y[i]; }, LinesOf(same, 2))}};
}

// Length of a vector whose parts are rounded to single precision, worked out
// in single precision.
float SingleMagnitude(double x, double y) {
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  return std::sqrt(fy * fy + fx * fx);
}

WrittenFamily WriteElemStored(TextOutput& out, int32_t set, const ModelStore& m) {
  const double *vx = m.ElemVX, *vy = m.ElemVY;
  const auto value_of = [vx, vy](int32_t i) { return PlaneVector{vx[i], vy[i]}; };
  const VelocityExtremes e = ScanExtremes<VelocityExtremes>(m.NUMEL, value_of);
  return {e,
          {WriteVector<Precision::kSingle>(
               out, set, kElemStored[0], e.magnitude, m.NUMEL,
               [vx, vy](int32_t i) { return SingleMagnitude(vx[i], vy[i]); }),
           WriteVector<Precision::kSingle>(out, set, kElemStored[1], e.x, m.NUMEL,
                                           [vx](int32_t i) { return vx[i]; }),
           WriteVector<Precision::kSingle>(out, set, kElemStored[2], e.y, m.NUMEL,
                                           [vy](int32_t i) { return vy[i]; })}};
}

// The extremes and the magnitude take the values times the reciprocal of D;
// the parts are the values divided by D. With `same`, the values of the
// family written at `same`.
void WriteElemDivided(TextOutput& out, int32_t set, const ModelStore& m,
                      const WrittenFamily* same = nullptr) {
  const auto value_of = [&m](int32_t i) { return DelmElemVelocity(m, i); };
  const VelocityExtremes e = FamilyExtremes(same, m.NUMEL, value_of);
  WriteVector<Precision::kSingle>(
      out, set, kElemDivided[0], e.magnitude, m.NUMEL,
      [&value_of](int32_t i) {
        const PlaneVector v = value_of(i);
        return SingleMagnitude(v.x, v.y);
      },
      LinesOf(same, 0));
  WriteVector<Precision::kSingle>(
      out, set, kElemDivided[1], e.x, m.NUMEL,
      [&m](int32_t i) { return DelmElemVelocityQuotient(m, i).x; }, LinesOf(same, 1));
  WriteVector<Precision::kSingle>(
      out, set, kElemDivided[2], e.y, m.NUMEL,
      [&m](int32_t i) { return DelmElemVelocityQuotient(m, i).y; }, LinesOf(same, 2));
}

// Node values 1..count the same, bit for bit, in both arrays.
bool SameNodeValues(const double* a, const double* b, int32_t count) {
  return count < 1 || std::memcmp(a + 1, b + 1, sizeof(double) * static_cast<size_t>(count)) == 0;
}

// Every D is 1 (as in all RX-KORIN results): the values divided by D, or
// times its reciprocal, are the values themselves.
bool EveryDIsOne(const ModelStore& m) {
  return std::all_of(m.ElemD + 1, m.ElemD + 1 + std::max(m.NUMEL, 0),
                     [](double d) { return d == 1.0; });
}

void WriteMarker(TextOutput& out, int32_t value) { WriteFemapMarker(out, kMarkerWidth, value); }

void WriteSetBlock(TextOutput& out, int32_t set, double step_time) {
  WriteMarker(out, kFemapBlockEnd);
  WriteMarker(out, kFemapOutputSetBlock);
  FreeFormLine(out).Integer(set).End();
  const FieldValue title_values[] = {SingleRealValue(step_time)};
  WriteLayout(out, kSetTitleLine, title_values);
  FreeFormLine(out).Text("0,0,").End();
  FreeFormLine(out).SingleReal(step_time).End();
  FreeFormLine(out).Text("1,").End();
  FreeFormLine(out).Text("  ").End();
  WriteMarker(out, kFemapBlockEnd);
}

// Raises `set_counter` and appends the output set of that number, with
// node vectors taken from `averages`.
void WriteFemapResults(TextOutput& out, const ModelStore& model, const NodeAverages& averages,
                       int32_t& set_counter) {
  const int32_t set = ++set_counter;
  WriteSetBlock(out, set, model.StepTime);
  WriteMarker(out, kFemapBlockEnd);
  WriteMarker(out, kFemapOutputVectorBlock);
  WriteNodeScalar(out, set, kHead, model.NodeHead, model.NUMNP);
  WriteNodeScalar(out, set, kFlow, model.NodeFlow, model.NUMNP);
  // Where the velocities are the stored values themselves (D is 1), the
  // velocity families take the stored families' extremes and entity lines.
  const WrittenFamily node_stored =
      WriteNodeVelocities(out, set, kNodeStored, averages.NodeVX, averages.NodeVY, model.NUMNP);
  const bool node_same = SameNodeValues(averages.NodeVX, averages.NodeWorkA, model.NUMNP) &&
                         SameNodeValues(averages.NodeVY, averages.NodeWorkB, model.NUMNP);
  WriteNodeVelocities(out, set, kNodeDivided, averages.NodeWorkA, averages.NodeWorkB, model.NUMNP,
                      node_same ? &node_stored : nullptr);
  const WrittenFamily elem_stored = WriteElemStored(out, set, model);
  WriteElemDivided(out, set, model, EveryDIsOne(model) ? &elem_stored : nullptr);
  WriteMarker(out, kFemapBlockEnd);
}

}  // namespace

void WriteFemapStep(TextOutput& out, const ModelStore& model, NodeAverages& averages,
                    int32_t& set_counter) {
  AverageAtEveryNonZeroCorner(model, averages);
  WriteFemapResults(out, model, averages, set_counter);
}
