#include "web/CallbackNumbers.h"

#include "common/Amount.h"
#include "common/Bytes.h"
#include "common/Cp949.h"
#include "common/Notifier.h"
#include "web/WebClient.h"
#include "web/WebText.h"

namespace qb {

std::vector<CallbackRow> callbackRowsFromReply(std::string_view reply) {
    const auto values = bytes::splitRuns(reply, "|");
    std::vector<CallbackRow> rows;
    rows.reserve(values.size() / 2 + 1);
    for (std::size_t i = 0; i < values.size(); i += 2) {
        CallbackRow row;
        row.number = values[i];
        if (i + 1 < values.size())
            row.date = values[i + 1];
        rows.insert(rows.begin(), std::move(row));
    }
    return rows;
}

BalanceLine balanceFromReply(std::string_view reply) {
    const auto values = bytes::splitRuns(reply, "|");
    auto value = [&](std::size_t i) { return i < values.size() ? values[i] : std::string_view(); };
    static const std::string templ = "[SMS] %s / [LMS] %s / [MMS] %s ";
    BalanceLine line;
    // Shown with thousands separators, as every amount the client writes.
    const auto shown = [&](std::size_t i) { return groupedText(value(i)); };
    line.balance = shown(0);
    line.prices = webtext::fill(templ, {shown(1), shown(2), shown(3)});
    line.counts = webtext::fill(templ, {shown(4), shown(5), shown(6)});
    line.unitPrices = {std::string(value(1)), std::string(value(2)), std::string(value(3))};
    return line;
}

bool CallbackList::load() {
    m_rows.clear();
    std::string reply;
    if (!m_web.get(m_web.path("Rcvcallbackviewdetail.jsp?mode=stat_acc&cid="), reply))
        return false;
    m_rows = callbackRowsFromReply(reply);
    return true;
}

void CallbackList::setTicked(std::size_t row, bool ticked) {
    if (row < m_rows.size())
        m_rows[row].ticked = ticked;
}

std::size_t CallbackList::deleteTicked() {
    static const std::string question = ko("을 삭제 하시겠습니까?");
    std::size_t deleted = 0;
    for (std::size_t i = 0; i < m_rows.size();) {
        if (!m_rows[i].ticked ||
            !m_web.notifier().askYesNo(m_rows[i].number + question, MessageIcon::Error)) {
            ++i;
            continue;
        }
        std::string reply;
        if (!m_web.get(m_web.path("delcallback.jsp?mode=stat_acc&cid=", {{"callback", m_rows[i].number}}),
                       reply))
            return deleted;
        m_rows.erase(m_rows.begin() + static_cast<long>(i));
        ++deleted;
    }
    if (deleted > 0) {
        static const std::string done = ko("삭제 되었습니다.!");
        m_web.notifier().info(done);
    } else {
        static const std::string nothing = ko("삭제할 데이터가 없습니다!");
        m_web.notifier().error(nothing);
    }
    return deleted;
}

bool loadCallbackChoices(WebClient& web, std::vector<std::string>& choices) {
    if (!web.loginGate())
        return false;
    choices.clear();
    std::string reply;
    if (!web.get(web.path("Rcvcallbackview.jsp?mode=stat_acc&cid="), reply))
        return false;
    for (std::string_view v : bytes::splitRuns(reply, "|"))
        choices.emplace_back(v);
    return true;
}

bool loadBalanceLine(WebClient& web, BalanceLine& line) {
    if (!web.loginGate())
        return false;
    std::string reply;
    if (!web.get(web.path("ClientStatview.jsp?mode=stat_acc&cid="), reply))
        return false;
    line = balanceFromReply(reply);
    return true;
}

} // namespace qb
