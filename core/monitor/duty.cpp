#include "core/monitor/duty.h"

#include <algorithm>

#include "core/common/numbers.h"

namespace orv {

long DutyCycle(long rpm, long tinj, bool full, long cylinders) {
    // rpm x 100 over two revolutions against tinj x 0.1 ms: rpm * tinj / 120 percent.
    long d = RoundHalfAway(static_cast<double>(rpm * tinj) / 120);
    if (full) d *= cylinders;
    return std::min(d, 100L);
}

}  // namespace orv
