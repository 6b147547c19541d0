// The derivation of the normal lookup grid (md2/normal_grid.h) from the
// normal table, in double precision: for every cell, each entry whose angle
// to the cell's centre is close enough to the nearest entry's that it can have
// the largest dot product somewhere in the cell.
#pragma once

#include "md2/normal_grid.h"

// Fills every cell; `usable` false when some cell needs more than
// kCandidateSlots candidates.
void BuildNormalGrid(NormalGrid* grid);
