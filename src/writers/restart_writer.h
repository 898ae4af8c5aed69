// WriteRestartStep: one block of restart data for a simulator run, the nodal
// state of one step (an optional " LA,TIME" head line, then one line a node).
#pragma once

#include <cstdint>

#include "common/text_output.h"

// Appends the block of the current step to `out`. ProgramFlag 0 (RX-KORIN)
// writes node, code, X, Y, head, flow; the head is the pressure head for
// HeadStyle 0 and the total head (plus NodeY) for HeadStyle 1. ProgramFlag 1
// (RX-DELM) writes node, code, extra code, X, Y, head, flow and the two extra
// reals. NoHeadFlag 1 leaves out the head line. Arrays are indexed from 1.
void WriteRestartStep(TextOutput& out, const int32_t* NodeCode, const double* NodeX,
                      const double* NodeY, const double* NodeHead, const double* NodeFlow,
                      const int32_t* NodeExtraCode, const double* NodeExtraA,
                      const double* NodeExtraB, int32_t NUMNP, int32_t StepNo, double StepTime,
                      int32_t HeadStyle, int32_t ProgramFlag, int32_t NoHeadFlag);
