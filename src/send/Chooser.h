#pragma once

#include <string>
#include <vector>

namespace qb {

// A drop-down list of the form: its items, the selected index (-1: none) and
// whether it can be used.
struct Chooser {
    std::vector<std::string> items;
    int selected = -1;
    bool enabled = true;

    // Replaces the items and selects the first one.
    void fill(std::vector<std::string> newItems) {
        items = std::move(newItems);
        selected = items.empty() ? -1 : 0;
    }
    // False (selection unchanged) for an index that names no item.
    bool select(int index) {
        if (index < -1 || index >= static_cast<int>(items.size()))
            return false;
        selected = index;
        return true;
    }
    std::string selectedText() const {
        return selected >= 0 && selected < static_cast<int>(items.size())
                   ? items[static_cast<std::size_t>(selected)]
                   : std::string();
    }
};

} // namespace qb
