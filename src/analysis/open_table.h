// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace gantrel {

/// Moves the used slots of an open-addressing table, whose look-ups search from `hash` masked
/// by the table's size, into one twice its size (at least 64), each at the first free slot from
/// where its hash points. `mark` is the slot's field that holds `free` in a free slot.
template <class Slot, class Mark>
void growTable(std::vector<Slot>& slots, Mark Slot::*mark, Mark free = Mark{})
{
    Slot empty{};
    empty.*mark = free;
    std::vector<Slot> old(std::max<std::size_t>(64, 2 * slots.size()), empty);
    old.swap(slots);
    const std::size_t mask = slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.*mark != free) {
            std::size_t i = slot.hash & mask;
            while (slots[i].*mark != free) {
                i = (i + 1) & mask;
            }
            slots[i] = slot;
        }
    }
}

}  // namespace gantrel
