#include "DryRun.h"

#include "OptionForm.h"
#include "common/Cp949.h"
#include "common/LoginState.h"

namespace qb {
namespace {

// Keeps the summary box for printing instead of showing it.
class DryRunNotifier : public Notifier {
public:
    explicit DryRunNotifier(Notifier& next) : m_next(next) {}

    void show(const std::string& text, MessageIcon icon, const std::string& caption) override {
        static const std::string summaryCaption = ko(" 발송데이터 확인!");
        if (caption == summaryCaption) {
            summary = text;
            return;
        }
        m_next.show(text, icon, caption);
    }
    bool ask(const std::string& text, MessageIcon icon, const std::string& caption) override {
        return m_next.ask(text, icon, caption);
    }

    std::string summary;

private:
    Notifier& m_next;
};

std::string utf8(std::string_view cp949Text) {
    return cp949::toUtf8(cp949Text);
}

} // namespace

std::string messageFromUtf8(std::string_view text) {
    std::string normalised;
    normalised.reserve(text.size() + 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\n' || text[i] == '\r') {
            normalised += "\r\n";
            continue;
        }
        normalised += text[i];
    }
    return cp949::fromUtf8(normalised).text;
}

int runDryRun(const DryRunOptions& o, Notifier& notifier, std::ostream& out) {
    DryRunNotifier shown(notifier);
    NoProgress progress;
    LoginState login;
    OptionForm prepared(o, shown, progress, login, progress, ServiceConfig{});
    if (!prepared.prepare())
        return 1;

    out << utf8(shown.summary) << '\n';
    const RecipientTable& t = prepared.form().state().table;
    for (int r = 1; r < t.rowCount(); ++r) {
        for (int c = 0; c < t.columnCount(); ++c) {
            if (c)
                out << '\t';
            out << utf8(t.text(r, c));
        }
        out << '\n';
    }
    return 0;
}

} // namespace qb
