#include "writers/tecplot_writer.h"

#include <string_view>

#include "common/line_layout.h"
#include "writers/average_elem_velocities.h"

namespace {

constexpr LayoutItem kTitleLine[] = {
    LiteralItem("TITTLE = \"TIME="),
    ScaledRealItem(15, 7),
    BlanksItem(1),
    TextItem(80),
    LiteralItem("\""),
};
constexpr LayoutItem kKorinVariablesLine[] = {
    LiteralItem("VARIABLES = \"X\",\"Y\",\"P\",\"H\",\"VX\",\"VY\",\"V\""),
};
constexpr LayoutItem kDelmVariablesLine[] = {
    LiteralItem("VARIABLES = \"X\",\"Y\",\"H\",\"VX\",\"VY\",\"V\",\"VX/D\",\"VY/D\",\"V/D\""),
};
constexpr LayoutItem kZoneLine[] = {
    LiteralItem("ZONE N= "),    IntegerItem(8), LiteralItem(", E= "), IntegerItem(8),
    LiteralItem(", F=FEPOINT"),
};
// Comma-separated reals with a comma after the last: 7 of them for
// RX-KORIN, 9 for RX-DELM.
constexpr LayoutItem kKorinNodeLine[] = {
    ScaledRealItem(15, 7), GroupItem(6, 2),  LiteralItem(","),
    ScaledRealItem(15, 7), LiteralItem(","),
};
constexpr LayoutItem kDelmNodeLine[] = {
    ScaledRealItem(15, 7), GroupItem(8, 2),  LiteralItem(","),
    ScaledRealItem(15, 7), LiteralItem(","),
};
constexpr LayoutItem kElemLine[] = {
    IntegerItem(8),
    GroupItem(3, 2),
    LiteralItem(","),
    IntegerItem(8),
};

void WriteZoneHead(TextOutput& out, const std::array<char, 80>& Title, double StepTime,
                   int32_t NUMNP, int32_t ActiveElemCount, int32_t ProgramFlag) {
  const FieldValue title_values[] = {RealValue(StepTime),
                                     TextValue(std::string_view(Title.data(), Title.size()))};
  WriteLayout(out, kTitleLine, title_values);
  if (ProgramFlag == 1) {
    WriteLayout(out, kDelmVariablesLine, {});
  } else {
    WriteLayout(out, kKorinVariablesLine, {});
  }
  const FieldValue zone_values[] = {IntegerValue(NUMNP), IntegerValue(ActiveElemCount)};
  WriteLayout(out, kZoneLine, zone_values);
}

void WriteKorinNodeLines(TextOutput& out, const double* NodeX, const double* NodeY,
                         const double* NodeHead, const double* NodeVX, const double* NodeVY,
                         int32_t NUMNP) {
  for (int32_t n = 1; n <= NUMNP; ++n) {
    const double vx = NodeVX[n], vy = NodeVY[n];
    const FieldValue values[] = {
        RealValue(NodeX[n]),
        RealValue(NodeY[n]),
        RealValue(NodeHead[n]),
        RealValue(NodeHead[n] + NodeY[n]),
        RealValue(vx),
        RealValue(vy),
        RealValue(Magnitude(vx, vy)),
    };
    WriteLayout(out, kKorinNodeLine, values);
  }
}

void WriteDelmNodeLines(TextOutput& out, const double* NodeX, const double* NodeY,
                        const double* NodeHead, const double* NodeVX, const double* NodeVY,
                        const double* NodeWorkA, const double* NodeWorkB, int32_t NUMNP) {
  for (int32_t n = 1; n <= NUMNP; ++n) {
    const double vx = NodeVX[n], vy = NodeVY[n];
    const double divided_vx = NodeWorkA[n], divided_vy = NodeWorkB[n];
    const FieldValue values[] = {
        RealValue(NodeX[n]),   RealValue(NodeY[n]),   RealValue(NodeHead[n]),
        RealValue(vx),         RealValue(vy),         RealValue(Magnitude(vx, vy)),
        RealValue(divided_vx), RealValue(divided_vy), RealValue(Magnitude(divided_vx, divided_vy)),
    };
    WriteLayout(out, kDelmNodeLine, values);
  }
}

void WriteElemLines(TextOutput& out, const int32_t* ElemNodes, int32_t NUMEL, int32_t MaxDim) {
  const ElemColumns elems(ElemNodes, MaxDim);
  for (int32_t e = 1; e <= NUMEL; ++e) {
    if (!elems.IsActive(e)) continue;
    const FieldValue values[] = {
        IntegerValue(elems.Corner1[e]),
        IntegerValue(elems.Corner2[e]),
        IntegerValue(elems.Corner3[e]),
        IntegerValue(elems.WrittenCorner4(e)),
    };
    WriteLayout(out, kElemLine, values);
  }
}

}  // namespace

void WriteTecplotZone(TextOutput& out, const std::array<char, 80>& Title, const double* NodeX,
                      const double* NodeY, const double* NodeHead, const double* ElemVX,
                      const double* ElemVY, const int32_t* ElemNodes, double* NodeVX,
                      double* NodeVY, int32_t* NodeElemCount, const double* ElemD,
                      double* NodeWorkA, double* NodeWorkB, int32_t NUMNP, int32_t NUMEL,
                      int32_t MaxDim, double StepTime, int32_t ProgramFlag) {
  const int32_t active_elem_count = CountActiveElems(ElemNodes, NUMEL, MaxDim);
  WriteZoneHead(out, Title, StepTime, NUMNP, active_elem_count, ProgramFlag);
  AverageElemVelocities(NodeElemCount, NodeVX, NodeVY, NodeWorkA, NodeWorkB, ElemNodes, ElemVX,
                        ElemVY, ElemD, NUMNP, NUMEL, MaxDim, ProgramFlag);
  if (ProgramFlag == 1) {
    WriteDelmNodeLines(out, NodeX, NodeY, NodeHead, NodeVX, NodeVY, NodeWorkA, NodeWorkB, NUMNP);
  } else {
    WriteKorinNodeLines(out, NodeX, NodeY, NodeHead, NodeVX, NodeVY, NUMNP);
  }
  if (active_elem_count > 0) WriteElemLines(out, ElemNodes, NUMEL, MaxDim);
}
