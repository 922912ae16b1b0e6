#pragma once

#include "common/Clock.h"
#include "common/LoginState.h"
#include "common/Notifier.h"
#include "common/Progress.h"
#include "common/SendQueue.h"
#include "common/SendTypes.h"
#include "compose/EditorWindowHost.h"
#include "compose/MessageBuild.h"
#include "import/RecipientTable.h"
#include "send/Chooser.h"
#include "send/ExcludedRows.h"
#include "send/FormDialogHost.h"
#include "send/JobCost.h"
#include "send/RecipientLoader.h"
#include "send/RejectList.h"
#include "send/SendBatch.h"
#include "send/SendFormState.h"
#include "send/SendValidator.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The main send form without its widgets: everything it shows and every handler
// of its buttons and lists. Widgets show `state()` and call the handlers; text the
// user types goes straight into the state's fields.
namespace qb {

class SendForm {
public:
    // A typed callback number is cut here: the longest number the recipient rule
    // takes, and the most digits any telephone number has (E.164); a domestic
    // number with its hyphens ("010-1234-5678") has 13. Items the service lists
    // are taken whole.
    static constexpr std::size_t kMaxCallbackBytes = 15;

    SendForm(Notifier& notifier, Progress& progress, const LoginState& login, RejectTable rejects,
             FormDialogHost& dialogs, EditorWindowHost& editors);

    SendFormState& state() { return m_state; }
    const SendFormState& state() const { return m_state; }
    // What the last preview produced; null when there is none (none yet, a check
    // refused, a reset, or "전송하기" took it).
    const SendBatch* prepared() const { return m_prepared ? &*m_prepared : nullptr; }
    // "전송하기" hands the preview's batch to the job; the form keeps none of it.
    SendBatch takePrepared();
    // While a job runs, "전송하기" and "발송데이터 확인" stay disabled. `restLeft`:
    // the job ended with records still to send, which a return to SMS waits for.
    void setSending(bool running, bool restLeft = false);

    // Recipient table
    void resetTable();
    void loadDirectEntry(std::string_view transferText);
    // "입력" of the direct-entry dialog: loads the frame's transfer text and uses it
    // up, so the address book's later hand-over never finds these numbers there.
    void takeDirectEntry(std::string& transferText);
    void loadTransferredEntries(std::string_view transferText);
    void onNumberColumnChanged();
    // Merge chooser k (1..4) set to `index`; kept for the loaded header row.
    void onMergeColumnChosen(int k, int index);
    // Where the column choices are kept per header row (Env.cfg); unset: nowhere.
    void keepColumnsIn(std::string envCfgPath) { m_loader.keepColumnsIn(std::move(envCfgPath)); }
    void deleteSelectedRows(const CellRange& selection);
    void resetForm();
    // "전송초기화": asks first when there is work to lose; false when kept.
    bool onResetClicked();
    // A loaded table (or its preview), or text in the SMS box.
    bool holdsWork() const;

    // The text and Excel imports: delimiter, files, sheets.
    RecipientLoader& imports() { return m_loader; }

    // Message kind and box
    // Asks first when the switch would throw away work (the table, the SMS text,
    // an editor it closes); false when the user kept it.
    bool onKindChosen(MessageKind kind);
    // After an editor window was closed by the user, who was asked there. A job's
    // queue is never emptied under it: the return waits for the end of the job,
    // and past it while the job left records behind (they stay for the next "전송하기").
    void returnToSms();
    // The SMS becomes an LMS: the LMS editor opens with `body`; table and
    // settings stay.
    void moveToLms(std::string body);
    void onMergeSwitch(int k); // 1..4, after the switch changed in the state
    // The box's new text; the state then holds what the box must show. Past 90
    // bytes the user is offered LMS (moveToLms with the whole text).
    void onMessageEdited(std::string_view text);
    void onMessageFocused(); // refreshes the counter only
    // "광고 문구 넣기": "(광고)" and the sender's name at the start of the SMS box or
    // the open editor's body, the free refusal line at its end. An SMS that no
    // longer fits is offered as LMS. False (after a message) when the settings
    // are incomplete or the kind's editor is not open.
    bool insertAdvertisingText();

    // Callback number box
    // The service's numbers in reply order. The number chosen or typed stays;
    // without one the first is chosen. An empty list (logout) forgets both.
    void setCallbackChoices(std::vector<std::string> numbers);
    void onCallbackChosen(int index);
    void onCallbackEdited(std::string_view text);
    // The number chosen or typed; empty when there is none.
    std::string callbackNumber() const;

    // Reservation and split
    void onImmediateChosen();
    void onReservedChosen();
    void onSplitSwitch();
    // "한국시간 MM-DD HH:MM" for beside the date picker when the machine's clock is
    // not on Korean time; empty when it is.
    static std::string koreanTimeNote();

    // "발송데이터 미리보기": true when the queue was built and the summary shown.
    // An SMS whose merge pushes rows past 90 bytes is offered as LMS first. The
    // loaded recipients are kept aside while their preview fills the table, and a
    // preview run again is built from them.
    bool validateAndPreview();
    // What a preview run now would be built from.
    PreviewInputs previewInputs() const;
    // The batch came from a preview whose inputs have changed since. A journal's
    // batch is not judged by it.
    bool stale(const SendBatch& batch) const;
    // Told when validation has filled a batch, before the preview is shown.
    std::function<void(const SendBatch&)> onBatchPrepared;
    // Told when "전송초기화" gives up the records a job left.
    std::function<void()> onRestDropped;
    // Where a short balance can be charged ("사이버머니충전"); unset, it is not offered.
    std::function<void()> onChargeWanted;
    const ValidationCounts& lastCounts() const { return m_counts; }

    // "제외된 행 저장": the rows the last preview left out, while the table they came
    // from is still the loaded one (a load or a reset forgets them).
    bool canSaveExcluded() const;
    // Asks where ("제외목록.csv" offered) and saves; false when cancelled or failed.
    bool onSaveExcludedClicked();
    // Writes the file atomically; false after "화일을 저장할 수 없습니다.".
    bool saveExcluded(const std::string& path);

    // The balance line the costs are reckoned from.
    void setBalance(const BalanceLine& line) { m_balance = line; }
    // A batch's count, cost and the balance.
    JobCost cost(const SendBatch& batch) const;
    // "전송하기": asks once with count, cost and balance of what goes next (the
    // preview's batch, or else `jobRest`, the records a job left); true to send. A
    // stale batch is never sent: the user is offered the preview again first.
    bool confirmSend(const SendBatch* jobRest);

    // "010-1234-5678" for 11 bytes, "011-123-4567" for 10, anything else unchanged.
    static std::string previewNumber(std::string_view number);

private:
    void switchKind(MessageKind kind);
    // A short balance offers the charge page with `text` ("예" opens it); true when
    // the user went there.
    bool offerCharge(const JobCost& cost, const std::string& text, const std::string& caption = {});
    void showPreview();
    // The recipients go aside and the table is made ready for their preview.
    void keepRecipients();
    // Kept recipients whose preview no longer fills the table (a load replaced it).
    void forgetReplacedRecipients();
    void dropRecipients();

    Notifier& m_notifier;
    Progress& m_progress;
    const LoginState& m_login;
    RejectTable m_rejects;
    EditorWindowHost& m_editors;
    SendFormState m_state;
    RecipientLoader m_loader; // after the state it fills
    ValidationCounts m_counts;
    bool m_sending = false;
    bool m_smsWhenQueueDone = false; // a return to SMS waits for the job's rest
    BalanceLine m_balance;
    // The loaded table while its preview is shown (m_previewTable is the preview's
    // generation). A preview run again swaps them back, so the table on screen only
    // ever counts its generations up.
    RecipientTable m_recipients;
    bool m_keptRecipients = false;
    std::uint64_t m_previewTable = 0;
    std::optional<SendBatch> m_prepared;
    FormDialogHost& m_dialogs;
    std::optional<ExcludedRows> m_excluded;
};

} // namespace qb
