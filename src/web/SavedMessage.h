#pragma once

#include <array>
#include <cstddef>
#include <string>

// Messages kept in the service's three stores. Widths are capacities with the
// terminating NUL: a field holds at most width - 1 bytes, and longer values from
// the server are cut at a character boundary. Texts are stored escaped (LF line
// ends, backslash and apostrophe escaped).
namespace qb {

enum class SavedKind { Sms, Lms, Mms };

struct SavedMessage {
    virtual ~SavedMessage() = default;
    std::string idx; // the server's key, passed back to delete
    std::string msg;
};

struct SavedSms final : SavedMessage {
    static constexpr std::size_t kIdxWidth = 16;
    static constexpr std::size_t kMsgWidth = 128;
};

struct SavedLms final : SavedMessage {
    static constexpr std::size_t kIdxWidth = 16;
    static constexpr std::size_t kTitleWidth = 68;
    static constexpr std::size_t kMsgWidth = 4768;
    std::string title;
};

struct SavedMms final : SavedMessage {
    static constexpr std::size_t kIdxWidth = 16;
    static constexpr std::size_t kTitleWidth = 68;
    static constexpr std::size_t kMsgWidth = 4000;
    static constexpr std::size_t kImageWidth = 256;
    std::string title;
    std::array<std::string, 3> img;    // picture names on the service; empty: none
    std::array<std::string, 3> cached; // local copies in the picture cache; empty: not fetched
    // A name the service gave whose picture could not be fetched, or was no picture.
    std::array<bool, 3> unavailable{};
};

} // namespace qb
