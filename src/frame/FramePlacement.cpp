#include "frame/FramePlacement.h"

#include "common/ProfileFile.h"

#include <algorithm>
#include <charconv>

namespace qb {
namespace {

constexpr const char* kSection = "WINDOW";
constexpr int kVisibleWidth = 100;
constexpr int kVisibleHeight = 50;

std::optional<int> number(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

ScreenRect overlap(const ScreenRect& a, const ScreenRect& b) {
    const int x = std::max(a.x, b.x), y = std::max(a.y, b.y);
    return {x, y, std::min(a.right(), b.right()) - x, std::min(a.bottom(), b.bottom()) - y};
}

ScreenRect framed(const ScreenRect& r, const FrameMargins& m) {
    return {r.x - m.left, r.y - m.top, r.width + m.left + m.right, r.height + m.top + m.bottom};
}

ScreenRect unframed(const ScreenRect& r, const FrameMargins& m) {
    return {r.x + m.left, r.y + m.top, r.width - m.left - m.right, r.height - m.top - m.bottom};
}

// The window's own size that keeps it and its frame inside `area`, never below `minimum`.
ScreenRect boundedTo(ScreenRect r, const ScreenRect& area, WindowSize minimum, const FrameMargins& m) {
    r.width = std::max(minimum.width, std::min(r.width, area.width - m.left - m.right));
    r.height = std::max(minimum.height, std::min(r.height, area.height - m.top - m.bottom));
    return r;
}

} // namespace

std::optional<FramePlacement> FramePlacement::read(const std::string& envCfgPath) {
    const ProfileFile::Contents env = ProfileFile(envCfgPath, ProfileFile::Access::OwnerOnly).load();
    const auto x = number(env.read(kSection, "LEFT"));
    const auto y = number(env.read(kSection, "TOP"));
    const auto width = number(env.read(kSection, "WIDTH"));
    const auto height = number(env.read(kSection, "HEIGHT"));
    if (!x || !y || !width || !height || *width <= 0 || *height <= 0)
        return std::nullopt;
    return FramePlacement{{*x, *y, *width, *height}, env.read(kSection, "MAXIMIZED") == "Y"};
}

bool FramePlacement::write(const std::string& envCfgPath) const {
    const ProfileFile env(envCfgPath, ProfileFile::Access::OwnerOnly);
    return env.write(kSection, {{"LEFT", std::to_string(normal.x)},
                                {"TOP", std::to_string(normal.y)},
                                {"WIDTH", std::to_string(normal.width)},
                                {"HEIGHT", std::to_string(normal.height)},
                                {"MAXIMIZED", maximised ? "Y" : "N"}});
}

ScreenRect restoredPlace(const std::optional<ScreenRect>& saved, const std::vector<ScreenRect>& screens,
                         std::size_t primary, WindowSize preferred, WindowSize minimum, FrameMargins frame) {
    if (screens.empty())
        return saved.value_or(ScreenRect{0, 0, preferred.width, preferred.height});
    if (saved) {
        const ScreenRect* best = nullptr;
        long long bestArea = 0;
        for (const ScreenRect& screen : screens) {
            const ScreenRect shown = overlap(framed(*saved, frame), screen);
            const long long area = static_cast<long long>(shown.width) * shown.height;
            if (shown.width >= kVisibleWidth && shown.height >= kVisibleHeight && area > bestArea) {
                best = &screen;
                bestArea = area;
            }
        }
        if (best)
            return unframed(clampInto(framed(boundedTo(*saved, *best, minimum, frame), frame), *best), frame);
    }
    const ScreenRect& area = screens[std::min(primary, screens.size() - 1)];
    ScreenRect r = framed(
        boundedTo(saved.value_or(ScreenRect{0, 0, preferred.width, preferred.height}), area, minimum, frame),
        frame);
    r.x = area.x + (area.width - r.width) / 2;
    r.y = area.y + (area.height - r.height) / 2;
    return unframed(clampInto(r, area), frame);
}

} // namespace qb
