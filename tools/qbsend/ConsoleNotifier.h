#pragma once

#include "common/Notifier.h"

#include <ostream>

// Messages as text lines: "[caption] text" in UTF-8. Questions are answered
// with `answer` and the answer is printed.
namespace qbsend {

class ConsoleNotifier : public qb::Notifier {
public:
    explicit ConsoleNotifier(std::ostream& out, bool answer = true) : m_out(out), m_answer(answer) {}

    void show(const std::string& text, qb::MessageIcon icon, const std::string& caption) override;
    bool ask(const std::string& text, qb::MessageIcon icon, const std::string& caption) override;

private:
    std::ostream& m_out;
    bool m_answer;
};

} // namespace qbsend
