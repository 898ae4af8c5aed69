// WriteMkViewStep: one time step as one block of the mkVIEW text format: a
// head (time, title, zone line, node variable names), a line per node with
// coordinates and nodal results (element velocities averaged at the nodes),
// the element variable names and a line per active element with its corners,
// property, centre and velocity.
#pragma once

#include <array>
#include <cstdint>

#include "common/text_output.h"

// Appends the block of the current step to `out`. NodeVX, NodeVY,
// NodeElemCount, NodeWorkA and NodeWorkB are work arrays, cleared and filled
// with the node averages (see AverageElemVelocities). For ProgramFlag 1 the
// stored element values are D times velocity: they are written under
// "VX*D", "VY*D", "V*D" and the values divided by D under "VX", "VY", "V".
// Arrays are indexed from 1; ElemNodes is the column-major element table
// with column stride MaxDim.
void WriteMkViewStep(TextOutput& out, const std::array<char, 80>& Title, const double* NodeX,
                     const double* NodeY, const double* NodeHead, const double* ElemVX,
                     const double* ElemVY, const int32_t* ElemNodes, double* NodeVX, double* NodeVY,
                     int32_t* NodeElemCount, const double* NodeExtraB, const double* NodeFlow,
                     double* NodeWorkA, double* NodeWorkB, const double* ElemD, int32_t NUMNP,
                     int32_t NUMEL, int32_t MaxDim, double StepTime, int32_t ProgramFlag);
