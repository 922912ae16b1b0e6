#pragma once

#include "compose/SidePlacement.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The main window's size, place and maximised state, kept in Env.cfg between
// starts, and where the window opens again. Areas are the window's own, without
// the frame the window manager draws around it.
namespace qb {

struct FramePlacement {
    ScreenRect normal; // the area it has when neither maximised nor minimised
    bool maximised = false;
    friend bool operator==(const FramePlacement&, const FramePlacement&) = default;

    // Section [WINDOW]; nothing when a key is missing or holds no number, or the
    // size is not positive.
    static std::optional<FramePlacement> read(const std::string& envCfgPath);
    bool write(const std::string& envCfgPath) const;
};

struct WindowSize {
    int width = 0, height = 0;
};

// The window manager's frame around the window, in pixels on each side.
struct FrameMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Where the window opens. A saved area stays where it was, shrunk and moved as
// little as it takes for the framed window to be whole on the screen that shows
// most of it. Without one, or when no screen shows at least 100 × 50 pixels of
// it (a screen since unplugged), the window is centred on the primary screen,
// at the saved size or else `preferred`, no larger than that screen. Never below
// `minimum`. `screens` are their available areas (without panels).
ScreenRect restoredPlace(const std::optional<ScreenRect>& saved, const std::vector<ScreenRect>& screens,
                         std::size_t primary, WindowSize preferred, WindowSize minimum, FrameMargins frame);

} // namespace qb
