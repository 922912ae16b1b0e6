#include "OptionForm.h"

#include "common/Clock.h"
#include "common/Cp949.h"
#include "common/PictureCheck.h"
#include "import/FileBytes.h"

#include "web/CallbackNumbers.h"
#include "web/WebClient.h"
#include <ostream>

#include <algorithm>

namespace qb {
namespace {

// Passes every message on and remembers whether one was a failure.
class FailureWatch : public Notifier {
public:
    explicit FailureWatch(Notifier& next) : m_next(next) {}
    void show(const std::string& text, MessageIcon icon, const std::string& caption) override {
        failed = failed || icon == MessageIcon::Error;
        m_next.show(text, icon, caption);
    }
    bool ask(const std::string& text, MessageIcon icon, const std::string& caption) override {
        return m_next.ask(text, icon, caption);
    }
    bool failed = false;

private:
    Notifier& m_next;
};

// The LMS editor or MMS window as the options fill it, open for the chosen kind.
class OptionEditors : public EditorWindowHost {
public:
    MessageKind kind = MessageKind::Sms;
    EditorContent content;
    std::optional<EditorContent> lmsEditor() const override {
        return kind == MessageKind::Lms ? std::optional(content) : std::nullopt;
    }
    std::optional<EditorContent> mmsWindow() const override {
        return kind == MessageKind::Mms ? std::optional(content) : std::nullopt;
    }
    void showLmsEditor() override {}
    void showMmsWindow() override {}
    void closeLmsEditor() override {}
    void closeMmsWindow() override {}
    void openLmsWith(const std::string& body) override {
        kind = MessageKind::Lms;
        content = EditorContent{};
        content.body = body;
        content.bodyTouched = true;
    }
};

// The balance read's own messages stay out of qbsend's output: without a
// balance line the cost reads "-" and the job goes on.
class QuietNotifier : public Notifier {
public:
    void show(const std::string&, MessageIcon, const std::string&) override {}
    bool ask(const std::string&, MessageIcon, const std::string&) override { return false; }
};

bool parseReservation(const std::string& text, LocalTime& date, int& hour, int& minute) {
    // YYYY-MM-DD HH:MM
    if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':')
        return false;
    auto number = [&](std::size_t pos, std::size_t len, int& v) {
        v = 0;
        for (std::size_t i = pos; i < pos + len; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            v = v * 10 + (text[i] - '0');
        }
        return true;
    };
    if (!number(0, 4, date.year) || !number(5, 2, date.month) || !number(8, 2, date.day) ||
        !number(11, 2, hour) || !number(14, 2, minute))
        return false;
    // The form's lists offer whole hours and five-minute steps; the date must exist.
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31 || hour > 23 || minute > 59 ||
        minute % 5 != 0)
        return false;
    const LocalTime check = toKorean(fromKorean(LocalTime{date.year, date.month, date.day, 12, 0, 0}));
    return check.year == date.year && check.month == date.month && check.day == date.day;
}

} // namespace

struct OptionForm::Parts {
    Parts(DryRunOptions o, Notifier& notifier, Progress& progress, LoginState& login, Progress& sendProgress,
          const ServiceConfig& service)
        : options(std::move(o)), login(login), service(service), watch(notifier),
          session(SendSessionParts{watch, progress, sendProgress, login,
                                   RejectTable::inWorkingFolder(options.workingFolder), dialogs, editors,
                                   service}),
          form(session.form()), s(form.state()) {
        session.refreshBalanceAfterJob = false; // no balance line to show
    }

    // The steps of prepare(), in its order; false once a refusal has been shown.
    bool loadRecipients();
    bool chooseColumns();
    void chooseCallback();
    bool takeMessage();
    bool takePictures();
    bool takeSendingOptions();
    bool validate();

    DryRunOptions options;
    const LoginState& login;
    ServiceConfig service;
    FailureWatch watch;
    NoFormDialogHost dialogs;
    OptionEditors editors;
    SendSession session;
    SendForm& form;
    SendFormState& s;
};

OptionForm::OptionForm(DryRunOptions options, Notifier& notifier, Progress& progress, LoginState& login,
                       Progress& sendProgress, const ServiceConfig& service)
    : m(std::make_unique<Parts>(std::move(options), notifier, progress, login, sendProgress, service)) {}

OptionForm::~OptionForm() = default;

SendSession& OptionForm::session() {
    return m->session;
}

SendForm& OptionForm::form() {
    return m->form;
}

bool OptionForm::prepare() {
    if (!m->loadRecipients() || !m->chooseColumns())
        return false;
    m->chooseCallback();
    return m->takeMessage() && m->takePictures() && m->takeSendingOptions() && m->validate();
}

bool OptionForm::Parts::loadRecipients() {
    const DryRunOptions& o = options;
    // The kind comes first: choosing it resets the form, as in the client.
    editors.kind = o.kind;
    form.onKindChosen(o.kind);
    s.layoutPreview = false;
    s.offerLms = false;
    s.headerRow = o.header;

    if (!o.excelFile.empty()) {
        form.imports().loadWorkbookSheet(o.excelFile, o.sheet);
    } else {
        s.delimiterField = o.delimiter ? cp949::fromUtf8(*o.delimiter).text : std::string();
        s.encodingList.select(static_cast<int>(o.encoding));
        form.imports().importTextPaths(o.textFiles);
        if (o.encodingLog && !s.encodingUsed.empty())
            *o.encodingLog << "qbsend: encoding: " << s.encodingUsed << std::endl;
    }
    return !watch.failed;
}

bool OptionForm::Parts::chooseColumns() {
    const DryRunOptions& o = options;
    if (o.range) {
        s.rangeFrom = o.range->first;
        s.rangeTo = o.range->second;
    }
    if (o.numberColumn > 0 || !s.numberColumnFound) {
        // A column the table does not have is no column, never the one found.
        if (!s.numberColumn.select(o.numberColumn))
            s.numberColumn.select(0);
        form.onNumberColumnChanged();
    } else if (o.note) {
        const int k = s.numberColumn.selected;
        const std::string name = static_cast<std::size_t>(k) <= s.headerNames.size()
                                     ? s.headerNames[static_cast<std::size_t>(k) - 1]
                                     : std::string();
        o.note("number column " + std::to_string(k) + (name.empty() ? "" : " (" + cp949::toUtf8(name) + ")"));
    }
    const auto mergeFrom = [&](int k, int column) {
        if (k < 1 || k > 4)
            return;
        s.mergeOn[static_cast<std::size_t>(k - 1)] = true;
        form.onMergeSwitch(k);
        s.mergeColumn[static_cast<std::size_t>(k - 1)].select(column);
    };
    for (const auto& [k, column] : o.merges)
        mergeFrom(k, column);
    for (const auto& [k, utf8Name] : o.mergeNames) {
        const std::string name = cp949::fromUtf8(utf8Name).text;
        const auto it = std::find(s.headerNames.begin(), s.headerNames.end(), name);
        if (it == s.headerNames.end()) {
            watch.error(ko("제목 줄에 없는 열 이름입니다: ") + name);
            return false;
        }
        mergeFrom(k, static_cast<int>(it - s.headerNames.begin()) + 1);
    }
    return true;
}

void OptionForm::Parts::chooseCallback() {
    if (options.callback.empty())
        return;
    const std::string callback = cp949::fromUtf8(options.callback).text;
    if (!login.loggedIn) {
        s.callbackList.fill({callback});
        return;
    }
    // Held against the service's registered numbers as a number typed in the box.
    QuietNotifier quiet;
    WebClient web(login, quiet, WebHost::from(service));
    std::vector<std::string> registered;
    loadCallbackChoices(web, registered);
    form.setCallbackChoices(std::move(registered));
    const auto& items = s.callbackList.items;
    const auto it = std::find(items.begin(), items.end(), callback);
    s.callbackList.selected = it == items.end() ? -1 : static_cast<int>(it - items.begin());
    s.callbackTyped = it == items.end() ? callback : std::string();
}

bool OptionForm::Parts::takeMessage() {
    const DryRunOptions& o = options;
    std::string message;
    if (o.messageFile) {
        std::string bytes;
        if (!readFileBytes(*o.messageFile, bytes)) {
            watch.error(cp949::fromNativePath(*o.messageFile) + "\n" + ko("화일이 존재하지 않습니다."));
            return false;
        }
        if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
            bytes.erase(0, 3);
        // The file's own last line end is not part of the message.
        if (!bytes.empty() && bytes.back() == '\n')
            bytes.pop_back();
        if (!bytes.empty() && bytes.back() == '\r')
            bytes.pop_back();
        std::size_t unmappable = 0;
        message = messageFromUtf8(bytes, &unmappable);
        // Never sent with '?' in place of what the file says.
        if (unmappable > 0) {
            watch.error(cp949::fromNativePath(*o.messageFile) + "\n" + ko("CP949로 바꿀 수 없는 글자 ") +
                        std::to_string(unmappable) + ko("개가 있습니다."));
            return false;
        }
    } else if (o.message) {
        message = messageFromUtf8(*o.message);
    }
    // Set as typed, uncut: a message over the limit is refused by validation.
    s.smsText = o.kind == MessageKind::Sms ? message : std::string();
    editors.content.body = message;
    editors.content.bodyTouched = !message.empty();
    if (o.title) {
        editors.content.title = cp949::fromUtf8(*o.title).text;
        editors.content.titleTouched = true;
    }
    return true;
}

bool OptionForm::Parts::takePictures() {
    const std::vector<std::string>& pictures = options.pictures;
    if (pictures.size() > 3) {
        watch.error(ko("사진은 3장까지 선택할 수 있습니다."));
        return false;
    }
    // Judged as the MMS window judges a picture it is given.
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        PictureInfo info = checkPicture(pictures[i]);
        if (info.status != PictureStatus::Ok) {
            watch.error(cp949::fromNativePath(pictures[i]) + "\n" + pictureMessage(info.status));
            return false;
        }
        editors.content.pictures[i] =
            PictureSlot{pictures[i], info.width, info.height, std::move(info.fingerprint)};
    }
    return true;
}

// The reservation, the split and the switches.
bool OptionForm::Parts::takeSendingOptions() {
    const DryRunOptions& o = options;
    if (o.reserve) {
        LocalTime date;
        int hour = 0, minute = 0;
        if (!parseReservation(*o.reserve, date, hour, minute)) {
            watch.error(ko("예약일시를 확인해주세요."));
            return false;
        }
        form.onReservedChosen();
        s.reservationDate = date;
        s.reservationHour.select(hour);
        s.reservationMinute.select(minute / 5);
    }
    if (o.split) {
        s.splitOn = true;
        form.onSplitSwitch();
        s.splitCount = o.split->first;
        s.splitMinutes.selected = -1;
        for (std::size_t i = 0; i < s.splitMinutes.items.size(); ++i)
            if (s.splitMinutes.items[i] == o.split->second)
                s.splitMinutes.select(static_cast<int>(i));
    }
    s.dedupOn = o.dedup;
    s.rejectOn = o.reject;
    s.refuseFindings = o.strict;
    s.advertising = o.advertising;
    s.adName = cp949::fromUtf8(o.adName).text;
    s.adOptOut = o.adOptOut;
    s.nightConsent = o.nightConsent;
    return true;
}

// The balance line the cost is read against, then the preview's validation.
bool OptionForm::Parts::validate() {
    const DryRunOptions& o = options;
    BalanceLine balance;
    if (login.loggedIn) {
        QuietNotifier quiet;
        WebClient web(login, quiet, WebHost::from(service));
        loadBalanceLine(web, balance);
    }
    form.setBalance(balance);
    if (!form.validateAndPreview())
        return false;
    if (o.excludedFile && !form.saveExcluded(*o.excludedFile))
        return false;
    // The line the client's "전송하기" asks with; qbsend asks nothing. A dry
    // run sends nothing.
    if (login.loggedIn)
        watch.info(costLine(form.cost(*form.prepared())));
    return true;
}

} // namespace qb
