#include "DryRun.h"

#include "OptionForm.h"
#include "WriteBehind.h"
#include "common/Cp949.h"
#include "common/LoginState.h"
#include "common/Pipeline.h"

#include <algorithm>
#include <charconv>

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

std::string messageFromUtf8(std::string_view text, std::size_t* unmappable) {
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
    cp949::Conversion c = cp949::fromUtf8(normalised);
    if (unmappable)
        *unmappable = c.unmappable;
    return std::move(c.text);
}

int runDryRun(const DryRunOptions& o, Notifier& notifier, std::ostream& out, int outFd, std::ostream* err) {
    if (err && !o.callback.empty())
        *err << "qbsend: --dry-run does not log in: the callback number is not checked against the "
                "service's registered numbers\n";
    DryRunNotifier shown(notifier);
    NoProgress progress;
    LoginState login;
    OptionForm prepared(o, shown, progress, login, progress, ServiceConfig{});
    if (!prepared.prepare())
        return 1;

    out << utf8(shown.summary) << '\n' << std::flush;
    WriteBehind behind(outFd);
    // Ten million rows are a gigabyte of text: put together and converted a block at
    // a time on both cores while this one writes the blocks before.
    const SendForm& form = prepared.form();
    const std::size_t count = form.prepared()->queue.size();
    constexpr std::size_t kBlockRows = 1 << 14;
    struct Block {
        std::string rows, text;
    };
    runPipelined<Block>((count + kBlockRows - 1) / kBlockRows, 4,
                        [&form, count](std::size_t i, Block& b) {
                            previewRows(form, i * kBlockRows, std::min(count, (i + 1) * kBlockRows), b.rows);
                            cp949::toUtf8(b.rows, b.text);
                        },
                        [&out, &behind](std::size_t, Block& b) {
                            out.write(b.text.data(), static_cast<std::streamsize>(b.text.size()));
                            if (behind.active()) {
                                out.flush();
                                behind.wrote(b.text.size());
                            }
                            return true;
                        },
                        2);
    return 0;
}

void previewRows(const SendForm& form, std::size_t first, std::size_t last, std::string& rows) {
    const SendQueue& queue = form.prepared()->queue;
    const bool sms = form.state().kind == MessageKind::Sms;
    rows.clear();
    char label[24];
    for (std::size_t i = first; i < last; ++i) {
        const SendQueue::View v = queue.view(i);
        const auto end = std::to_chars(label, label + sizeof label, i + 1).ptr;
        rows.append(label, end).append(1, '\t');
        rows.append(SendForm::previewNumber(v.number)).append(1, '\t');
        rows.append(v.callbackNumber).append(1, '\t');
        if (!sms)
            rows.append(v.title).append(1, '\t');
        rows.append(v.displayBody).append(1, '\t');
        rows.append(v.reservation).append(1, '\n');
    }
}

} // namespace qb
