#pragma once
// Injector duty cycle: open time as a share of two crankshaft revolutions.

namespace orv {

// Duty in percent, at most 100, for engine speed (100 rpm) and injection time
// (0.1 ms). In "Full" mode every cylinder's injection counts.
long DutyCycle(long rpm, long tinj, bool full, long cylinders);

}  // namespace orv
