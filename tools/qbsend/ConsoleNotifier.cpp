#include "ConsoleNotifier.h"

#include "common/Cp949.h"

namespace qbsend {

void ConsoleNotifier::show(const std::string& text, qb::MessageIcon, const std::string& caption) {
    m_out << "[" << qb::cp949::toUtf8(caption) << "] " << qb::cp949::toUtf8(text) << std::endl;
}

bool ConsoleNotifier::ask(const std::string& text, qb::MessageIcon icon, const std::string& caption) {
    show(text, icon, caption);
    m_out << (m_answer ? "-> 예" : "-> 아니요") << std::endl;
    return m_answer;
}

} // namespace qbsend
