#pragma once

#include "common/PictureCheck.h"
#include "common/SendTypes.h"
#include "compose/PictureTarget.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace qb {

class Notifier;

// The three picture slots of the MMS composition and the rules for filling
// them: slot k takes a picture only when the slots before it hold one; a slot
// emptied later keeps the others where they are. A picture takes a slot only
// after checkPicture took it; until then the slot stays as it was.
// Slots are numbered 1 to 3. Paths are the file system's bytes.
class MmsPictures {
public:
    static constexpr int kSlots = 3;

    enum class Action { Open, ViewOriginal, Delete };
    struct MenuEntry {
        Action action;
        std::string text; // CP949
    };

    // `keeper` may be null (nothing is shown).
    MmsPictures(Notifier& notifier, PictureTarget* keeper = nullptr);

    const PictureSlots& all() const { return m_slots; }
    const PictureSlot& slot(int k) const { return m_slots[index(k)]; }
    bool filled(int k) const { return !slot(k).empty(); }

    // The double-click menu of slot k: "파일열기" alone for an empty slot.
    std::vector<MenuEntry> menu(int k) const;
    // The open-file dialog's filter, as the dialog shows it.
    static const std::string& fileFilter();
    // The extension the file dialog sees: after the file name's last dot.
    static std::string dialogExtension(const std::string& path);

    // A file chosen in the dialog for slot k. True when the slot took it.
    bool chooseFile(int k, const std::string& path);
    // Files dropped on slot k, or outside the slots (nullopt). True when a slot took one.
    bool drop(std::optional<int> k, const std::vector<std::string>& files);
    // "그림삭제" / "파일삭제".
    void remove(int k);
    void clear();
    // A message taken from the message box: every slot is emptied first, then
    // each given path (empty: none) is read into its own slot. A picture that
    // does not read is told once and leaves its slot empty.
    void replaceAll(const std::array<std::string, 3>& paths);

private:
    static std::size_t index(int k) { return static_cast<std::size_t>(k - 1); }
    bool inOrder(int k) const;
    bool take(int k, const std::string& path);
    PictureInfo check(const std::string& path);

    Notifier& m_notifier;
    PictureTarget* m_keeper;
    PictureSlots m_slots;
};

} // namespace qb
