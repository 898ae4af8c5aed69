#include "writers/vtu_writer.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <string_view>

#include "model/elem_columns.h"
#include "model/step_quantities.h"

static_assert(std::endian::native == std::endian::little,
              "the files declare LittleEndian and take values as they lie in memory");

namespace {

enum class Section { kPointData, kCellData, kPoints, kCells };

// One data array of the file: where it stands, its name, VTK type and shape.
struct ArrayHeader {
  Section section;
  std::string_view name;
  std::string_view type;  // "Float64", "Int32" or "UInt8"
  int components;
  int64_t values;  // entries times components
  int value_bytes;

  int64_t Bytes() const { return values * value_bytes; }
};

constexpr int kVtkTriangle = 5;
constexpr int kVtkQuad = 9;
// The most bytes any array writes for one node or element (a 3-vector).
constexpr size_t kMaxEntryBytes = 3 * sizeof(double);

template <typename T>
inline char* Put(char* p, T value) {
  std::memcpy(p, &value, sizeof value);
  return p + sizeof value;
}

inline char* PutVector(char* p, double x, double y) { return Put(Put(Put(p, x), y), 0.0); }

// Appends entries 1..count, each written by put(p, i) (returning the end).
template <typename PutEntry>
void AppendEntries(TextOutput& out, int32_t count, PutEntry&& put) {
  constexpr int32_t kBatch = TextOutput::kMaxReserve / kMaxEntryBytes;
  for (int32_t i = 1; i <= count;) {
    const int32_t last = std::min(count, i + kBatch - 1);
    char* p = out.Reserve(static_cast<size_t>(last - i + 1) * kMaxEntryBytes);
    for (; i <= last; ++i) p = put(p, i);
    out.Commit(p);
  }
}

// The step's arrays, in file order, each handed to visit(header, entries, put):
// `entries` nodes or elements, each written by put(p, i).
template <typename Visit>
void ForEachArray(const ModelStore& m, Simulator simulator, const NodeAverages& a, Visit&& visit) {
  const bool delm = simulator == Simulator::kDelm;
  const ElemColumns elems(m);
  auto corners = [&elems](int32_t e) { return elems.IsTriangle(e) ? 3 : 4; };
  int64_t corner_total = 0;
  for (int32_t e = 1; e <= m.NUMEL; ++e) corner_total += corners(e);
  const int32_t N = m.NUMNP, E = m.NUMEL;
  auto header = [](Section section, std::string_view name, std::string_view type, int components,
                   int64_t entries, int value_bytes) {
    return ArrayHeader{section, name, type, components, entries * components, value_bytes};
  };

  visit(header(Section::kPointData, "total head", "Float64", 1, N, 8), N,
        [&](char* p, int32_t n) { return Put(p, TotalHead(m, simulator, n)); });
  if (!delm) {
    visit(header(Section::kPointData, "pressure head", "Float64", 1, N, 8), N,
          [&](char* p, int32_t n) { return Put(p, m.NodeHead[n]); });
  }
  visit(header(Section::kPointData, "discharge", "Float64", 1, N, 8), N,
        [&](char* p, int32_t n) { return Put(p, m.NodeFlow[n]); });
  const double* node_vx = delm ? a.NodeWorkA : a.NodeVX;
  const double* node_vy = delm ? a.NodeWorkB : a.NodeVY;
  visit(header(Section::kPointData, "velocity", "Float64", 3, N, 8), N,
        [&](char* p, int32_t n) { return PutVector(p, node_vx[n], node_vy[n]); });
  visit(header(Section::kPointData, "step number", "Int32", 1, N, 4), N,
        [&](char* p, int32_t) { return Put(p, m.StepNo); });

  visit(header(Section::kCellData, "attribute", "Int32", 1, E, 4), E,
        [&](char* p, int32_t e) { return Put(p, elems.Attribute[e]); });
  visit(header(Section::kCellData, "active", "UInt8", 1, E, 1), E,
        [&](char* p, int32_t e) { return Put<uint8_t>(p, elems.IsActive(e) ? 1 : 0); });
  visit(header(Section::kCellData, "velocity", "Float64", 3, E, 8), E, [&](char* p, int32_t e) {
    const PlaneVector v = ElemVelocity(m, simulator, e);
    return PutVector(p, v.x, v.y);
  });
  if (delm) {
    visit(header(Section::kCellData, "layer flow", "Float64", 3, E, 8), E,
          [&](char* p, int32_t e) { return PutVector(p, m.ElemVX[e], m.ElemVY[e]); });
    visit(header(Section::kCellData, "D", "Float64", 1, E, 8), E,
          [&](char* p, int32_t e) { return Put(p, m.ElemD[e]); });
  }

  visit(header(Section::kPoints, "Points", "Float64", 3, N, 8), N,
        [&](char* p, int32_t n) { return PutVector(p, m.NodeX[n], m.NodeY[n]); });

  visit(ArrayHeader{Section::kCells, "connectivity", "Int32", 1, corner_total, 4}, E,
        [&](char* p, int32_t e) {
          p = Put(Put(Put(p, elems.Corner1[e] - 1), elems.Corner2[e] - 1), elems.Corner3[e] - 1);
          return corners(e) == 4 ? Put(p, elems.Corner4[e] - 1) : p;
        });
  int32_t offset = 0;
  visit(header(Section::kCells, "offsets", "Int32", 1, E, 4), E,
        [&](char* p, int32_t e) { return Put(p, offset += corners(e)); });
  visit(header(Section::kCells, "types", "UInt8", 1, E, 1), E, [&](char* p, int32_t e) {
    return Put<uint8_t>(p, corners(e) == 3 ? kVtkTriangle : kVtkQuad);
  });
}

void AppendNumber(TextOutput& out, int64_t value) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.Append(std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

constexpr std::string_view kSectionOpen[] = {
    "      <PointData Scalars=\"total head\" Vectors=\"velocity\">\n",
    "      <CellData Scalars=\"attribute\" Vectors=\"velocity\">\n",
    "      <Points>\n",
    "      <Cells>\n",
};
constexpr std::string_view kSectionClose[] = {
    "      </PointData>\n",
    "      </CellData>\n",
    "      </Points>\n",
    "      </Cells>\n",
};

// The XML part of the file, up to the start of the appended data.
void WriteHead(TextOutput& out, const ModelStore& m, Simulator simulator, const NodeAverages& a) {
  out.Append(
      "<?xml version=\"1.0\"?>\n"
      "<VTKFile type=\"UnstructuredGrid\" version=\"1.0\" byte_order=\"LittleEndian\" "
      "header_type=\"UInt64\">\n"
      "  <UnstructuredGrid>\n"
      "    <Piece NumberOfPoints=\"");
  AppendNumber(out, m.NUMNP);
  out.Append("\" NumberOfCells=\"");
  AppendNumber(out, m.NUMEL);
  out.Append("\">\n");
  int section = -1;
  int64_t offset = 0;
  ForEachArray(m, simulator, a, [&](const ArrayHeader& header, int32_t, auto&&) {
    if (static_cast<int>(header.section) != section) {
      if (section >= 0) out.Append(kSectionClose[section]);
      section = static_cast<int>(header.section);
      out.Append(kSectionOpen[section]);
    }
    out.Append("        <DataArray type=\"");
    out.Append(header.type);
    out.Append("\" Name=\"");
    out.Append(header.name);
    if (header.components > 1) out.Append("\" NumberOfComponents=\"3");
    out.Append("\" format=\"appended\" offset=\"");
    AppendNumber(out, offset);
    out.Append("\"/>\n");
    offset += static_cast<int64_t>(sizeof(uint64_t)) + header.Bytes();
  });
  out.Append(kSectionClose[section]);
  out.Append(
      "    </Piece>\n"
      "  </UnstructuredGrid>\n"
      "  <AppendedData encoding=\"raw\">\n"
      "   _");
}

}  // namespace

void WriteVtuStep(TextOutput& out, const ModelStore& model, Simulator simulator,
                  NodeAverages& averages) {
  AverageElemVelocities(model, simulator, averages);
  WriteHead(out, model, simulator, averages);
  ForEachArray(model, simulator, averages,
               [&out](const ArrayHeader& header, int32_t entries, auto&& put) {
                 const uint64_t bytes = static_cast<uint64_t>(header.Bytes());
                 out.Commit(Put(out.Reserve(sizeof bytes), bytes));
                 AppendEntries(out, entries, put);
               });
  out.Append(
      "\n  </AppendedData>\n"
      "</VTKFile>\n");
}
