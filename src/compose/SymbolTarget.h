#pragma once

#include <string_view>

namespace qb {

// A box the palette writes into: the send form's SMS box, an editor's title or
// body. Implemented by the window that owns the box.
class SymbolTarget {
public:
    virtual ~SymbolTarget() = default;
    // Puts `symbol` (CP949) over the box's selection, or at its caret when nothing
    // is selected. An untouched box loses its placeholder first; the box's byte
    // limit holds afterwards.
    virtual void insertSymbol(std::string_view symbol) = 0;
};

} // namespace qb
