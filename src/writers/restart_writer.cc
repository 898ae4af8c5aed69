#include "writers/restart_writer.h"

#include "common/free_form.h"
#include "common/line_layout.h"

namespace {

// Node, code, X, Y, head, flow, and a comma at the end.
constexpr LayoutItem kKorinNodeLine[] = {
    IntegerItem(10),  LiteralItem(","),       IntegerItem(5),   GroupItem(4, 2),
    LiteralItem(","), ScaledRealItem(25, 17), LiteralItem(","),
};

// Node, code, extra code, X, Y, head, flow, extra A, extra B.
constexpr LayoutItem kDelmNodeLine[] = {
    IntegerItem(10), LiteralItem(","), IntegerItem(5),   LiteralItem(","),
    IntegerItem(5),  GroupItem(6, 2),  LiteralItem(","), ScaledRealItem(25, 17),
};

void WriteKorinNodeLines(TextOutput& out, const int32_t* NodeCode, const double* NodeX,
                         const double* NodeY, const double* NodeHead, const double* NodeFlow,
                         int32_t NUMNP, int32_t HeadStyle) {
  const double elevation_share = static_cast<double>(HeadStyle);
  for (int32_t n = 1; n <= NUMNP; ++n) {
    const FieldValue values[] = {
        IntegerValue(n),
        IntegerValue(NodeCode[n]),
        RealValue(NodeX[n]),
        RealValue(NodeY[n]),
        RealValue(NodeHead[n] + elevation_share * NodeY[n]),
        RealValue(NodeFlow[n]),
    };
    WriteLayout(out, kKorinNodeLine, values);
  }
}

void WriteDelmNodeLines(TextOutput& out, const int32_t* NodeCode, const double* NodeX,
                        const double* NodeY, const double* NodeHead, const double* NodeFlow,
                        const int32_t* NodeExtraCode, const double* NodeExtraA,
                        const double* NodeExtraB, int32_t NUMNP) {
  for (int32_t n = 1; n <= NUMNP; ++n) {
    const FieldValue values[] = {
        IntegerValue(n),        IntegerValue(NodeCode[n]), IntegerValue(NodeExtraCode[n]),
        RealValue(NodeX[n]),    RealValue(NodeY[n]),       RealValue(NodeHead[n]),
        RealValue(NodeFlow[n]), RealValue(NodeExtraA[n]),  RealValue(NodeExtraB[n]),
    };
    WriteLayout(out, kDelmNodeLine, values);
  }
}

}  // namespace

void WriteRestartStep(TextOutput& out, const int32_t* NodeCode, const double* NodeX,
                      const double* NodeY, const double* NodeHead, const double* NodeFlow,
                      const int32_t* NodeExtraCode, const double* NodeExtraA,
                      const double* NodeExtraB, int32_t NUMNP, int32_t StepNo, double StepTime,
                      int32_t HeadStyle, int32_t ProgramFlag, int32_t NoHeadFlag) {
  if (NoHeadFlag == 0) FreeFormLine(out).Text(" LA,TIME ").Integer(StepNo).Real(StepTime).End();
  if (NUMNP < 1) return;
  if (ProgramFlag == 1) {
    WriteDelmNodeLines(out, NodeCode, NodeX, NodeY, NodeHead, NodeFlow, NodeExtraCode, NodeExtraA,
                       NodeExtraB, NUMNP);
  } else {
    WriteKorinNodeLines(out, NodeCode, NodeX, NodeY, NodeHead, NodeFlow, NUMNP, HeadStyle);
  }
}
