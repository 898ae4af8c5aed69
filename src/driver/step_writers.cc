#include "driver/step_writers.h"

#include "writers/mkview_writer.h"
#include "writers/restart_writer.h"
#include "writers/tecplot_writer.h"

void WriteSelectedStep(const TransferSettings& s, ModelStore& m, TextOutput& out) {
  switch (s.output_kind) {
    case kRestart:
    case kRestartNoHead:
      WriteRestartStep(out, m.NodeCode, m.NodeX, m.NodeY, m.NodeHead, m.NodeFlow, m.NodeExtraCode,
                       m.NodeExtraA, m.NodeExtraB, m.NUMNP, m.StepNo, m.StepTime, s.HeadStyle,
                       s.ProgramFlag, s.NoHeadFlag);
      break;
    case kTecplot:
      WriteTecplotZone(out, m.Title, m.NodeX, m.NodeY, m.NodeHead, m.ElemVX, m.ElemVY, m.ElemNodes,
                       m.NodeVX, m.NodeVY, m.NodeElemCount, m.ElemD, m.NodeWorkA, m.NodeWorkB,
                       m.NUMNP, m.NUMEL, MaxDim, m.StepTime, s.ProgramFlag);
      break;
    case kMkView:
      WriteMkViewStep(out, m.Title, m.NodeX, m.NodeY, m.NodeHead, m.ElemVX, m.ElemVY, m.ElemNodes,
                      m.NodeVX, m.NodeVY, m.NodeElemCount, m.NodeExtraB, m.NodeFlow, m.NodeWorkA,
                      m.NodeWorkB, m.ElemD, m.NUMNP, m.NUMEL, MaxDim, m.StepTime, s.ProgramFlag);
      break;
    default:
      break;  // kinds whose writers are not part of the program yet write nothing
  }
}
