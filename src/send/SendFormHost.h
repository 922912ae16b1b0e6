#pragma once

#include <string>

// What the main window asks of the send form (view 101). The send form widget
// implements it; the frame calls it after login, on logout, when a send job's
// result arrives, on the address book's hand-over and when the program closes.
namespace qb {

class SendFormHost {
public:
    virtual ~SendFormHost() = default;

    // "잔액새로고침": fetch the balance and show it on the balance line.
    virtual void refreshBalance() = 0;
    // Fetch the callback numbers again and fill the callback number list.
    virtual void reloadCallbackNumbers() = 0;
    // Logout: empty the balance fields (잔액, 단가, 건수) and the callback number list.
    virtual void clearBalanceAndCallbacks() = 0;
    // The address book's hand-over: records separated by 0x02, name and number
    // by 0x04 (CP949).
    virtual void loadTransferredEntries(const std::string& transferText) = 0;
    // A send job is running: logging out would cut it off, so the frame refuses.
    virtual bool sendRunning() const = 0;
    // The program closes while a job runs: the job ends without a word, its
    // unsent records left in the queue.
    virtual void abandonSend() = 0;
    // The program is closing: destroy the LMS and MMS editor windows if open.
    virtual void closeEditorWindows() = 0;
    // The main window moved: an open LMS editor (or, without one, an open MMS
    // window) keeps its top-left corner at the main window's top-right corner,
    // given in screen coordinates.
    virtual void followMainWindow(int right, int top) = 0;
    // The server's result of a send job, before its message is shown; false when
    // it must not be shown as sent.
    virtual bool sendResultArrived(int result, int count) = 0;
    // After login: offer the rest of a job a crash or a fault cut short.
    virtual void offerInterruptedJobs() = 0;
};

} // namespace qb
