#pragma once

#include "web/SavedMessage.h"
#include "web/SavedMessageTarget.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

class WebClient;

// What a message box shows in one slot, texts with CR LF line ends.
struct SavedSlot {
    bool filled = false;
    std::string title;
    std::string body;
    std::array<std::string, 3> pictures; // cached picture paths; empty: no picture there
    // The message names a picture there that could not be fetched or is no picture:
    // the slot stays empty and says so.
    std::array<bool, 3> unavailable{};
};

// The model behind the three message boxes: one store, read page by page with
// the newest record first.
class SavedMessageBox {
public:
    // `pictureFolder` is the picture cache ("imgtemp" in the working folder).
    SavedMessageBox(SavedKind kind, WebClient& web, std::string pictureFolder);

    SavedKind kind() const { return m_kind; }
    int pageSize() const;
    int currentPage() const { return m_page; }
    int pageCount() const;
    std::size_t recordCount() const { return m_records.size(); }
    const SavedMessage& record(std::size_t index) const { return *m_records[index]; }

    // Loads the store afresh (and, for MMS, fetches the pictures into the cache:
    // a picture that cannot be fetched, or is no picture, leaves its slot empty and
    // marked, and the message is shown, chosen and deleted as any other).
    void open();
    // "%s - %d / %d": box title, current page, number of pages.
    std::string windowTitle() const;
    // Slot 1..pageSize of the current page.
    SavedSlot slot(int k) const;

    void previous();
    void next();
    // "삭제" under slot k; nothing for an empty slot. True when the page changed
    // (the window shows it again; otherwise what the user typed stays).
    bool remove(int k);
    // "선택" under slot k with the texts the slot shows now (the user may have
    // edited them). True when the message went to the editor: the box then closes.
    bool select(int k, std::string_view shownTitle, std::string_view shownBody, SavedMessageTarget& target);
    void close();

private:
    // Index in the record list of slot k on the current page, or -1.
    long indexOf(int k) const;
    void fetchPictures();

    SavedKind m_kind;
    WebClient& m_web;
    std::string m_pictureFolder;
    int m_page = 1;
    std::vector<std::unique_ptr<SavedMessage>> m_records;
};

} // namespace qb
