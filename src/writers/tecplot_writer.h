// WriteTecplotZone: one time step as one zone of a TECPLOT ASCII data file in
// finite-element point form: three header lines, a line of node values per
// node (element velocities averaged at the nodes) and a line of corner nodes
// per active element.
#pragma once

#include <array>
#include <cstdint>

#include "common/text_output.h"

// Appends the zone of the current step to `out`. NodeVX, NodeVY,
// NodeElemCount, NodeWorkA and NodeWorkB are work arrays, cleared and filled
// with the node averages (see AverageElemVelocities). ProgramFlag 0 writes
// X, Y, P, H, VX, VY, V; ProgramFlag 1 writes X, Y, H, VX, VY, V and the
// values divided by D. Arrays are indexed from 1; ElemNodes is the
// column-major element table with column stride MaxDim.
void WriteTecplotZone(TextOutput& out, const std::array<char, 80>& Title, const double* NodeX,
                      const double* NodeY, const double* NodeHead, const double* ElemVX,
                      const double* ElemVY, const int32_t* ElemNodes, double* NodeVX,
                      double* NodeVY, int32_t* NodeElemCount, const double* ElemD,
                      double* NodeWorkA, double* NodeWorkB, int32_t NUMNP, int32_t NUMEL,
                      int32_t MaxDim, double StepTime, int32_t ProgramFlag);
