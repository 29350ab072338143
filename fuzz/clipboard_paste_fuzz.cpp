// Clipboard text pasted into a table or a whole set: any bytes give a paste
// that fits the rows it names, or a reason and no bytes; what a paste
// stores, copied and pasted again, stores the same bytes.
#include <algorithm>
#include <string>
#include <string_view>

#include "core/calibration/table_clipboard.h"
#include "fuzz/fuzz_support.h"

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const int set = in.Below(3), t = in.Below(kTableCount);
    const int rows = kTableEntries[t];
    const int first = 1 + in.Below(rows), last = first + in.Below(rows - first + 1);
    // The first four bytes choose; the rest is the clipboard's text.
    const std::size_t skip = std::min<std::size_t>(size, 4);
    const std::string_view text = fuzz::Text(data + skip, size - skip);

    const TablePaste p = PasteIntoTable(text, set, t, first, last);
    if (!p.ok) {
        ORV_REQUIRE(!p.refusal.empty() && p.bytes.empty());
    } else {
        ORV_REQUIRE(p.first_row == first && p.last_row >= p.first_row && p.last_row <= rows);
        ORV_REQUIRE(p.bytes.size() == static_cast<std::size_t>(p.last_row - p.first_row + 1));
        ORV_REQUIRE(p.clamped >= 0 && p.clamped <= static_cast<int>(p.bytes.size()));
        // The copy of what was stored pastes back to the same bytes.
        std::vector<std::uint8_t> table(static_cast<std::size_t>(kTableBytes[t]));
        std::copy(p.bytes.begin(), p.bytes.end(), table.begin() + (p.first_row - 1));
        const std::string copy = TableCopyText(table, set, t, p.first_row, p.last_row);
        const TablePaste again = PasteIntoTable(copy, set, t, p.first_row, p.last_row);
        ORV_REQUIRE(again.ok && again.bytes == p.bytes && again.clamped == 0);
    }

    const SetPaste s = PasteIntoSet(text, set);
    if (!s.ok) ORV_REQUIRE(!s.refusal.empty());
    else
        for (int k = 0; k < kTableCount; ++k) ORV_REQUIRE(!s.bytes[k].empty());
    return 0;
}
