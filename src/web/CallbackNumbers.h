#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

class WebClient;

// One row of the callback number dialog, texts as the service sent them.
struct CallbackRow {
    std::string number;
    std::string date;
    bool ticked = false;
};

// The dialog's rows from the reply "number|date|number|date|...": each number
// goes on top of the rows so far, so the pairs come out in reverse order. An odd
// count leaves the last number without a date.
std::vector<CallbackRow> callbackRowsFromReply(std::string_view reply);

// The balance line of the send form.
struct BalanceLine {
    std::string balance;                   // beside "잔액 : "
    std::string prices;                    // "[SMS] %s / [LMS] %s / [MMS] %s " beside "단가 :"
    std::string counts;                    // the same beside "건수 :"
    std::array<std::string, 3> unitPrices; // SMS, LMS, MMS as the service wrote them
};

// Values 1 to 7 of the reply: balance, three unit prices, three counts. Missing
// values leave their place empty.
BalanceLine balanceFromReply(std::string_view reply);

// The callback number dialog ("회신번호관리"): the registered numbers with their
// dates, and deleting the ticked ones.
class CallbackList {
public:
    explicit CallbackList(WebClient& web) : m_web(web) {}

    // Reads the list afresh; on failure tells the user and leaves it empty.
    bool load();
    const std::vector<CallbackRow>& rows() const { return m_rows; }
    void setTicked(std::size_t row, bool ticked);

    // Asks about each ticked row in turn and deletes it on Yes. Stops at the first
    // request that fails; rows deleted before then stay deleted. Returns the
    // number deleted.
    std::size_t deleteTicked();

private:
    WebClient& m_web;
    std::vector<CallbackRow> m_rows;
};

// The send form's callback number choices, in reply order. `choices` is emptied
// first. False (after telling the user) when logged out or the request fails.
bool loadCallbackChoices(WebClient& web, std::vector<std::string>& choices);

// The send form's balance line. `line` is left as it was on failure.
bool loadBalanceLine(WebClient& web, BalanceLine& line);

} // namespace qb
