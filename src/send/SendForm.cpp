#include "send/SendForm.h"

#include "common/AtomicFile.h"
#include "common/Bytes.h"
#include "common/Cp949.h"
#include "compose/AdvertisingCheck.h"
#include "compose/AdvertisingSettings.h"
#include "compose/WorkGuard.h"
#include "import/TextImport.h"
#include "send/SendValidator.h"
#include "send/SmsOverflow.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

namespace qb {
namespace {

std::vector<std::string> twoDigitItems(int count, int step) {
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%02d", i * step);
        items.emplace_back(buf);
    }
    return items;
}

} // namespace

SendForm::SendForm(Notifier& notifier, Progress& progress, const LoginState& login, RejectTable rejects,
                   FormDialogHost& dialogs, EditorWindowHost& editors)
    : m_notifier(notifier), m_progress(progress), m_login(login), m_rejects(std::move(rejects)),
      m_editors(editors), m_loader(m_state, notifier, progress, dialogs), m_dialogs(dialogs) {
    m_state.delimiterList.fill(delimiterItems());
    m_state.encodingList.fill(encodingItems());
    m_state.reservationHour.items = twoDigitItems(24, 1);
    m_state.reservationMinute.items = twoDigitItems(12, 5);
    m_state.splitMinutes.items = {"1", "2",  "3",  "4",  "5",  "6",  "7", "8",
                                  "9", "10", "20", "30", "40", "50", "60"};
    resetForm();
}

// ---- Recipient table ----

void SendForm::resetTable() {
    dropRecipients();
    m_loader.resetTable();
}

void SendForm::loadDirectEntry(std::string_view transferText) {
    m_loader.loadDirectEntry(transferText);
    forgetReplacedRecipients();
}

void SendForm::takeDirectEntry(std::string& transferText) {
    loadDirectEntry(transferText);
    transferText.clear();
}

void SendForm::loadTransferredEntries(std::string_view transferText) {
    m_loader.loadTransferredEntries(transferText);
    forgetReplacedRecipients();
}

void SendForm::onNumberColumnChanged() {
    // The choosers name the loaded table's columns, kept aside under a preview.
    forgetReplacedRecipients();
    m_loader.markNumberColumn(m_keptRecipients ? m_recipients : m_state.table);
    m_loader.keepChoices();
}

void SendForm::onMergeColumnChosen(int k, int index) {
    if (k < 1 || k > 4 || !m_state.mergeColumn[static_cast<std::size_t>(k - 1)].select(index))
        return;
    m_loader.keepChoices();
}

void SendForm::deleteSelectedRows(const CellRange& selection) {
    if (!selection.valid())
        return;
    // The header row is not the user's data.
    const int first = std::max(1, selection.minRow);
    const int count = selection.maxRow - first + 1;
    if (count > 0)
        m_state.table.deleteRows(first, count);
}

SendBatch SendForm::takePrepared() {
    SendBatch batch = m_prepared ? std::move(*m_prepared) : SendBatch{};
    m_prepared.reset();
    return batch;
}

void SendForm::setSending(bool running, bool restLeft) {
    m_sending = running;
    m_state.sendEnabled = m_state.previewEnabled = !running;
    if (!running && m_smsWhenQueueDone && !restLeft)
        returnToSms();
}

void SendForm::resetForm() {
    // The user gave up the records left: the return the closed editor asked for is due.
    if (m_smsWhenQueueDone && !m_sending) {
        returnToSms();
        return;
    }
    SendFormState& s = m_state;
    m_prepared.reset();
    if (onRestDropped && !m_sending)
        onRestDropped();
    s.mergeLock = false;
    s.smsLmsDeclined = false;

    const LocalTime now = koreanNow();
    s.reservationDate = LocalTime{now.year, now.month, now.day, 0, 0, 0};
    s.reservationDateEnabled = false;
    s.reservationHour.enabled = false;
    s.reservationMinute.enabled = false;
    s.splitCountEnabled = false;
    s.splitMinutes.enabled = false;
    for (Chooser& c : s.mergeColumn)
        c.enabled = false;

    s.sheetChooser.fill({ko("시트선택")});
    s.numberColumn.fill({ko("수신번호열 선택")});
    s.delimiterList.select(0);
    s.encodingList.select(0);

    s.sheetNameField.clear();
    s.delimiterField.clear();
    s.smsText.clear();
    s.rangeFrom.clear();
    s.rangeTo.clear();
    s.splitCount.clear();
    for (Chooser& c : s.mergeColumn) {
        c.items.clear();
        c.selected = -1;
    }
    s.smsCounter = smsCounterText(0);
    s.workbookPath.clear();
    s.sheetNames.clear();
    s.headerNames.clear();
    s.headerSignature.clear();
    s.numberColumnFound = false;

    s.reserved = false;
    s.reservationHour.selected = -1;
    s.reservationMinute.selected = -1;
    s.splitOn = false;
    s.mergeOn = {};
    s.splitMinutes.selected = -1;
    s.dedupOn = true;
    s.rejectOn = true;
    resetTable();
}

bool SendForm::onResetClicked() {
    if (!mayDiscard(holdsWork(), m_notifier))
        return false;
    resetForm();
    return true;
}

bool SendForm::holdsWork() const {
    return m_state.table.columnCount() > 1 || !m_state.smsText.empty() ||
           (m_prepared && !m_prepared->queue.empty());
}

std::string SendForm::previewNumber(std::string_view n) {
    std::string out;
    if (n.size() == 11) {
        out.reserve(13);
        out.append(n.substr(0, 3)).append("-").append(n.substr(3, 4)).append("-").append(n.substr(7));
    } else if (n.size() == 10) {
        out.reserve(12);
        out.append(n.substr(0, 3)).append("-").append(n.substr(3, 3)).append("-").append(n.substr(6));
    } else {
        out = n;
    }
    return out;
}

void SendForm::keepRecipients() {
    if (m_keptRecipients) {
        // The recipients are in the table for the run; the old preview goes back.
        std::swap(m_state.table, m_recipients);
    } else {
        // What is left behind keeps its counters, and clear() counts on from them.
        m_recipients = std::move(m_state.table);
        m_keptRecipients = true;
    }
}

void SendForm::forgetReplacedRecipients() {
    if (m_keptRecipients && m_state.table.generation() != m_previewTable)
        dropRecipients();
}

void SendForm::dropRecipients() {
    m_recipients = RecipientTable();
    m_keptRecipients = false;
}

void SendForm::showPreview() {
    // The preview is the merged table the lock is about.
    const bool lock = m_state.mergeLock;
    keepRecipients();
    m_loader.resetTable();
    m_previewTable = m_state.table.generation();
    m_state.mergeLock = lock;
    RecipientTable& t = m_state.table;
    const bool sms = m_state.kind == MessageKind::Sms;
    const SendQueue& queue = m_prepared->queue;
    const std::size_t count = queue.size();
    t.setRowCount(static_cast<int>(count) + 1);
    const std::vector<std::string> headers =
        sms ? std::vector<std::string>{ko(" 번 호 "), ko(" 수신번호 "), ko(" 회신번호 "), ko(" 내 용 "),
                                       ko(" 예약일자 ")}
            : std::vector<std::string>{ko(" 번 호 "), ko(" 수신번호 "), ko(" 회신번호 "),
                                       ko(" 제 목 "), ko(" 내 용 "),    ko(" 예약일자 ")};
    const std::vector<int> widths =
        sms ? std::vector<int>{50, 100, 100, 400, 200} : std::vector<int>{50, 100, 100, 100, 400, 200};
    t.setColumnCount(static_cast<int>(headers.size()));
    for (int c = 0; c < static_cast<int>(headers.size()); ++c) {
        t.setCell(0, c, headers[static_cast<std::size_t>(c)]);
        t.setHeaderBackground(c, colours::header);
        t.setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
    }
    int c = 1;
    t.setDataBackground(c++, colours::numberColumn);
    t.setDataBackground(c++, colours::callback);
    if (!sms)
        t.setDataBackground(c++, colours::body);
    t.setDataBackground(c++, colours::body);
    t.setDataBackground(c, colours::reservation);

    t.reserveText(queue.arenaBytes() + count * 16);
    RowLabel label;
    std::string number;
    for (std::size_t i = 0; i < count; ++i) {
        const SendQueue::View v = queue.view(i);
        number = previewNumber(v.number);
        if (sms) {
            const std::array<std::string_view, 5> cells{label(static_cast<long long>(i) + 1), number,
                                                        v.callbackNumber, v.displayBody, v.reservation};
            t.setRow(static_cast<int>(i) + 1, cells);
        } else {
            const std::array<std::string_view, 6> cells{label(static_cast<long long>(i) + 1),
                                                        number,
                                                        v.callbackNumber,
                                                        v.title,
                                                        v.displayBody,
                                                        v.reservation};
            t.setRow(static_cast<int>(i) + 1, cells);
        }
    }
    m_progress.setValue(0);
}

// ---- Message kind and box ----

bool SendForm::onKindChosen(MessageKind kind) {
    bool work = holdsWork();
    const auto lms = m_editors.lmsEditor();
    const auto mms = m_editors.mmsWindow();
    // The editor the switch closes; the one it opens again keeps its text.
    if (kind != MessageKind::Lms && lms)
        work = work || qb::holdsWork(*lms);
    if (kind != MessageKind::Mms && mms)
        work = work || qb::holdsWork(*mms);
    if (!mayDiscard(work, m_notifier))
        return false;
    m_smsWhenQueueDone = false;
    switchKind(kind);
    return true;
}

void SendForm::switchKind(MessageKind kind) {
    switch (kind) {
    case MessageKind::Sms:
        m_state.kind = MessageKind::Sms;
        m_state.smsBoxEnabled = true;
        m_state.smsText.clear();
        m_editors.closeLmsEditor();
        m_editors.closeMmsWindow();
        break;
    case MessageKind::Lms:
        m_editors.closeMmsWindow();
        m_state.kind = MessageKind::Lms;
        m_state.smsText.clear();
        m_state.smsBoxEnabled = false;
        m_editors.showLmsEditor();
        break;
    case MessageKind::Mms:
        m_editors.closeLmsEditor();
        m_state.kind = MessageKind::Mms;
        m_state.smsText.clear();
        m_state.smsBoxEnabled = false;
        m_editors.showMmsWindow();
        break;
    }
    resetForm();
}

void SendForm::returnToSms() {
    if (m_sending) {
        m_smsWhenQueueDone = true;
        return;
    }
    m_smsWhenQueueDone = false;
    switchKind(MessageKind::Sms);
}

// NOLINTNEXTLINE(performance-unnecessary-value-param): a copy, the SMS text it may be is cleared
void SendForm::moveToLms(std::string body) {
    m_editors.closeMmsWindow();
    m_state.kind = MessageKind::Lms;
    m_state.smsText.clear();
    m_state.smsCounter = smsCounterText(0);
    m_state.smsBoxEnabled = false;
    m_state.smsLmsDeclined = false;
    m_editors.openLmsWith(body);
}

void SendForm::onMergeSwitch(int k) {
    if (k >= 1 && k <= 4)
        m_state.mergeColumn[static_cast<std::size_t>(k - 1)].enabled =
            m_state.mergeOn[static_cast<std::size_t>(k - 1)];
}

void SendForm::onMessageEdited(std::string_view text) {
    const bool over = countedLength(text) > kSmsBodyLimit;
    if (!over) {
        m_state.smsLmsDeclined = false;
    } else if (m_state.kind == MessageKind::Sms && m_state.offerLms && !m_state.smsLmsDeclined) {
        if (m_notifier.askYesNo(smsBoxOverflowQuestion(), MessageIcon::None)) {
            moveToLms(std::string(text));
            return;
        }
        m_state.smsLmsDeclined = true;
    }
    SmsBoxText box = smsBoxEdited(text);
    m_state.smsText = std::move(box.text);
    m_state.smsCounter = std::move(box.counter);
}

void SendForm::onMessageFocused() {
    m_state.smsCounter = smsCounterText(countedLength(m_state.smsText));
}

bool SendForm::insertAdvertisingText() {
    const SendFormState& s = m_state;
    const AdvertisingSettings settings{s.advertising, s.adName, s.adOptOut};
    if (const std::string problem = settings.problem(); !problem.empty()) {
        m_notifier.error(problem);
        return false;
    }
    if (s.kind == MessageKind::Sms) {
        onMessageEdited(withAdvertisingText(s.smsText, s.adName, s.adOptOut));
        return true;
    }
    const bool lms = s.kind == MessageKind::Lms;
    const std::optional<EditorContent> editor = lms ? m_editors.lmsEditor() : m_editors.mmsWindow();
    if (!editor) {
        m_notifier.error(ko(lms ? "LMS 문자 편집창을 실행해 주세요!" : "[MMS] 문자 편집창을 실행해 주세요!"));
        return false;
    }
    // An untouched body shows its placeholder, which is not the message.
    const std::string body = editor->bodyTouched ? editor->body : std::string();
    m_editors.replaceBody(s.kind, withAdvertisingText(body, s.adName, s.adOptOut));
    return true;
}

// ---- Callback number box ----

void SendForm::setCallbackChoices(std::vector<std::string> numbers) {
    const std::string previous = callbackNumber();
    Chooser& list = m_state.callbackList;
    list.items = std::move(numbers);
    list.selected = -1;
    if (list.items.empty()) { // logged out: the numbers were the user's
        m_state.callbackTyped.clear();
        return;
    }
    // The number in use stays; without one, the first registered number is.
    const auto it = std::find(list.items.begin(), list.items.end(), previous);
    if (it != list.items.end()) {
        list.selected = static_cast<int>(it - list.items.begin());
        m_state.callbackTyped.clear();
    } else if (m_state.callbackTyped.empty()) {
        list.selected = 0;
    }
}

void SendForm::onCallbackChosen(int index) {
    if (m_state.callbackList.select(index))
        m_state.callbackTyped.clear();
}

void SendForm::onCallbackEdited(std::string_view typed) {
    const std::string text = cp949::cutBytes(typed, kMaxCallbackBytes);
    const auto& items = m_state.callbackList.items;
    const auto it = std::find(items.begin(), items.end(), text);
    m_state.callbackList.selected = it == items.end() ? -1 : static_cast<int>(it - items.begin());
    m_state.callbackTyped = it == items.end() ? text : std::string();
}

std::string SendForm::callbackNumber() const {
    return m_state.callbackList.selected >= 0 ? m_state.callbackList.selectedText() : m_state.callbackTyped;
}

// ---- Reservation and split ----

void SendForm::onImmediateChosen() {
    m_state.reserved = false;
    m_state.reservationDateEnabled = false;
    m_state.reservationHour.enabled = false;
    m_state.reservationMinute.enabled = false;
}

void SendForm::onReservedChosen() {
    m_state.reserved = true;
    m_state.reservationDateEnabled = true;
    m_state.reservationHour.enabled = true;
    m_state.reservationMinute.enabled = true;
    const LocalTime now = koreanNow();
    m_state.reservationHour.select(now.hour);
    m_state.reservationMinute.select(now.minute / 5);
}

std::string SendForm::koreanTimeNote() {
    const std::time_t now = Clock::instance().now();
    if (localIsKorean(now))
        return {};
    return ko("한국시간 ") + formatKorean(now, "%m-%d %H:%M");
}

void SendForm::onSplitSwitch() {
    m_state.splitCountEnabled = m_state.splitOn;
    m_state.splitMinutes.enabled = m_state.splitOn;
}

JobCost SendForm::cost(const SendBatch& batch) const {
    return jobCost(batch.kind, static_cast<long long>(batch.queue.size()), m_balance);
}

PreviewInputs SendForm::previewInputs() const {
    const SendFormState& s = m_state;
    PreviewInputs in;
    in.kind = s.kind;
    if (s.kind == MessageKind::Sms) {
        in.smsText = s.smsText;
    } else if (const auto editor =
                   s.kind == MessageKind::Lms ? m_editors.lmsEditor() : m_editors.mmsWindow()) {
        in.editorOpen = true;
        in.title = editor->titleTouched ? editor->title : std::string();
        in.body = editor->body;
        if (s.kind == MessageKind::Mms)
            for (std::size_t i = 0; i < in.pictures.size(); ++i) {
                const PictureSlot& p = editor->pictures[i];
                in.pictures[i] = {p.path, p.width, p.height, p.fingerprint};
            }
    }
    in.callbackNumber = callbackNumber();
    in.numberColumn = s.numberColumn.selected;
    for (std::size_t k = 0; k < 4; ++k)
        if (s.mergeOn[k]) {
            in.mergeOn[k] = true;
            in.mergeColumns[k] = s.mergeColumn[k].selected;
        }
    // Controls that are switched off change nothing that is sent.
    in.reserved = s.reserved;
    if (s.reserved)
        in.reservation = {s.reservationDate.year, s.reservationDate.month, s.reservationDate.day,
                          s.reservationHour.selected, s.reservationMinute.selected};
    in.rangeFrom = s.rangeFrom;
    in.rangeTo = s.rangeTo;
    in.splitOn = s.splitOn;
    if (s.splitOn) {
        in.splitCount = s.splitCount;
        in.splitMinutes = s.splitMinutes.selected;
    }
    in.dedupOn = s.dedupOn;
    in.rejectOn = s.rejectOn;
    in.advertising = s.advertising;
    if (s.advertising) {
        in.adName = s.adName;
        in.adOptOut = s.adOptOut;
    }
    in.table = s.table.generation();
    return in;
}

bool SendForm::offerCharge(const JobCost& c, const std::string& text, const std::string& caption) {
    if (!shortfall(c) || !onChargeWanted)
        return false;
    static const std::string question = ko("\n사이버머니충전 화면을 여시겠습니까?");
    const bool charge = caption.empty() ? m_notifier.askYesNo(text + question, MessageIcon::None)
                                        : m_notifier.ask(text + question, MessageIcon::None, caption);
    if (charge)
        onChargeWanted();
    return charge;
}

bool SendForm::stale(const SendBatch& batch) const {
    return batch.builtFrom && previewInputs() != *batch.builtFrom;
}

bool SendForm::confirmSend(const SendBatch* jobRest) {
    const SendBatch* next = m_prepared ? &*m_prepared : jobRest;
    if (next && !next->queue.empty() && stale(*next)) {
        static const std::string again =
            ko("미리보기 후 메시지나 설정이 바뀌었습니다. 발송데이터를 다시 확인(미리보기)하시겠습니까?");
        if (!m_notifier.askYesNo(again, MessageIcon::None) || !validateAndPreview())
            return false;
        next = &*m_prepared;
    }
    // An empty batch is refused by the job with its own message.
    if (!next || next->queue.empty())
        return true;
    const JobCost c = cost(*next);
    if (offerCharge(c, costLine(c)))
        return false;
    static const std::string go = ko("\n전송하시겠습니까?");
    return m_notifier.askYesNo(costLine(c) + go, MessageIcon::None);
}

bool SendForm::validateAndPreview() {
    // Under a preview, the recipients behind it are what is checked again.
    forgetReplacedRecipients();
    const bool rebuild = m_keptRecipients;
    const bool lock = m_state.mergeLock;
    if (rebuild) {
        std::swap(m_state.table, m_recipients);
        m_state.mergeLock = false;
    }
    if (m_state.kind == MessageKind::Sms && m_state.offerLms && !m_state.mergeLock) {
        const SmsOverflow over = findSmsOverflow(m_state);
        if (over.count > 0 && m_notifier.askYesNo(smsOverflowQuestion(over), MessageIcon::None))
            moveToLms(m_state.smsText);
    }
    // A run refused for the lock stops before it touches anything: the last
    // preview's batch can still be sent.
    const bool refusedAtLock = m_state.mergeLock;
    SendBatch batch;
    SendValidator validator(
        {m_state, batch, m_login, m_rejects, m_editors, callbackNumber(), m_notifier, m_progress});
    if (!validator.run()) {
        if (!refusedAtLock) {
            m_prepared.reset();
            m_excluded.reset();
        }
        // Stopped at a check: the table shows what it showed before.
        if (rebuild) {
            std::swap(m_state.table, m_recipients);
            m_state.mergeLock = lock;
        }
        return false;
    }
    m_prepared = std::move(batch);
    m_excluded = validator.takeExcluded();
    if (onBatchPrepared)
        onBatchPrepared(*m_prepared);
    if (m_state.layoutPreview) {
        showPreview();
    } else {
        // The recipients stay in the table: a run again has them.
        m_state.mergeLock = false;
        m_progress.setValue(0);
    }
    m_prepared->builtFrom = previewInputs(); // the table now shows the preview
    m_counts = validator.counts();
    static const std::string caption = ko(" 발송데이터 확인!");
    std::string text = SendValidator::summary(m_counts);
    const JobCost c = cost(*m_prepared);
    if (const std::string line = costSummary(c); !line.empty())
        text += "\n" + line;
    for (const std::string& note : validator.notes())
        text += "\n\n" + note;
    // A short balance turns the summary into the charge page's offer.
    if (!shortfall(c) || !onChargeWanted)
        m_notifier.show(text, MessageIcon::None, caption);
    else
        offerCharge(c, text, caption);
    m_state.previewEnabled = m_state.sendEnabled = true;
    return true;
}

bool SendForm::canSaveExcluded() const {
    const RecipientTable& loaded = m_keptRecipients ? m_recipients : m_state.table;
    return m_excluded && m_excluded->tableGeneration == loaded.generation();
}

bool SendForm::onSaveExcludedClicked() {
    if (!canSaveExcluded())
        return false;
    const std::optional<std::string> path = m_dialogs.chooseCsvToSave("제외목록.csv"); // a file name: UTF-8
    return path && saveExcluded(*path);
}

bool SendForm::saveExcluded(const std::string& path) {
    if (!canSaveExcluded())
        return false;
    const RecipientTable& loaded = m_keptRecipients ? m_recipients : m_state.table;
    if (writeFileAtomically(path, excludedRowsCsv(*m_excluded, loaded)))
        return true;
    m_notifier.error(cp949::fromNativePath(path) + "\n" + ko("화일을 저장할 수 없습니다."));
    return false;
}

} // namespace qb
