#pragma once
// What the calibration gives at a point, computed the way the controller
// does: each table looked up (interpolated between entries at the live
// point), the fuel corrections multiplied in, the advance corrections added.
#include <array>
#include <cstdint>

#include "core/calibration/image.h"
#include "core/link/live_values.h"

namespace orv {

// Where a lookup reads a table: entry `index`, and `remainder` / `step` of
// the way to the next entry.
struct TablePoint {
    long index = 0;
    long remainder = 0;
    long step = 1;
};
using LookupPoint = std::array<TablePoint, kTableCount>;

// The live operating point: engine speed every 500 rpm, pressure every
// 0.1 bar, throttle every 5 %, temperatures every 10 degrees.
LookupPoint LivePoint(const LiveValues& v);
// The selected grid rows (row 1 is entry 0), taken as they are.
LookupPoint RowPoint(const std::array<int, kTableCount>& rows);

// The grid rows (1: the first entry) the monitor puts its cursor on for these
// live values, one per table (RPM, PRES, TPS, AIR, WAT): the entry nearest
// the reading (halves to even), the last for a reading past it.
std::array<int, kTableCount> OperatingRows(const LiveValues& v);

// Table t of set s (kSetBank1, kSetBank2, kSetIgnition) of the active slot at
// a point. Past the table's last entry the lookup takes that entry as it is:
// it never reads the next table's bytes, nor past the image.
long TableLookup(const Image& image, int t, int set, const TablePoint& p);

// Injection times of both banks (0.1 ms) and the advance byte.
struct MapOutput {
    std::uint8_t tinj1 = 0, tinj2 = 0, advance = 0;
};
MapOutput CalcOutput(const Image& image, const LookupPoint& p);

// The outputs last calculated, at the live operating point and at the
// selected grid rows, in the units of the matching live values.
struct CalculatedOutputs {
    std::uint8_t op_tinj1 = 0, op_tinj2 = 0, op_advance = 0;
    std::uint8_t sel_tinj1 = 0, sel_tinj2 = 0, sel_advance = 0;
};

// The contributions behind one output, for a tuner who wants to see why.
struct TableContribution {
    long value = 0;   // the table's (interpolated) byte
    long result = 0;  // the output after this table
};
std::array<TableContribution, kTableCount> FuelBreakdown(const Image& image, int set, const LookupPoint& p);
std::array<TableContribution, kTableCount> AdvanceBreakdown(const Image& image, const LookupPoint& p);

}  // namespace orv
