#include "send/ui/CQuillbank2View.h"

#include "common/LoginState.h"
#include "common/QtText.h"
#include "compose/ui/CSpecialCharDlg.h"
#include "compose/ui/EditSelection.h"
#include "send/ui/AdvertisingSettingsDialog.h"
#include "send/ui/CGridCtrl.h"
#include "send/ui/DirectEntryDialog.h"
#include "send/ui/RejectListDialog.h"
#include "web/ui/CallbackNumberDialog.h"
#include "web/ui/SmsMessageBoxDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>

namespace qb {

// Every message the form's work shows goes through here: the controls show the
// state first, so the table behind a message box is the one it talks about.
CQuillbank2View::CQuillbank2View(SendViewContext context, QWidget* parent)
    : QWidget(parent), m_context(std::move(context)), m_notifier([this] { refresh(); }, m_context.notifier),
      m_dialogs(this), m_editors(std::make_unique<EditorWindowSet>(EditorWindowsContext{
                           this, m_context.login, m_notifier, WebHost::from(m_context.service),
                           m_context.workingFolder + "/imgtemp", [this] { returnToSms(); }})),
      m_display(m_ui), m_progressBar(new QProgressBar(this)),
      m_progress(m_progressBar, BarProgress::Repaint::Now),
      m_sendProgress(m_progressBar, BarProgress::Repaint::Never) {
    setObjectName("sendForm");
    m_session = std::make_unique<SendSession>(SendSessionParts{
        m_notifier, m_progress, m_sendProgress, m_context.login,
        RejectTable::inWorkingFolder(m_context.workingFolder), m_dialogs, *m_editors, m_context.service});
    m_session->onChanged = [this] { refresh(); };
    m_session->form().onChargeWanted = m_context.openChargePage;
    m_session->setWorkingFolder(m_context.workingFolder);
    m_session->form().keepColumnsIn(m_context.workingFolder + "/Env.cfg");
    m_ui.progressBar = m_progressBar;
    m_ui.build(this, m_session->form().state().table);
    const AdvertisingSettings ad = AdvertisingSettings::read(m_context.workingFolder + "/Env.cfg");
    SendFormState& s = m_session->form().state();
    s.advertising = ad.on;
    s.adName = ad.name;
    s.adOptOut = ad.optOut;
    connectControls();
    // The Korean time beside the date picker follows the clock.
    auto* koreanClock = new QTimer(this);
    koreanClock->setObjectName("koreanClock");
    connect(koreanClock, &QTimer::timeout, this, [this] { m_display.showKoreanTime(); });
    koreanClock->start(1000);
    refresh();
}

CQuillbank2View::~CQuillbank2View() {
    m_session->onChanged = nullptr;
    // The grid reads the form's table until it is gone; the table goes first
    // otherwise, with the members, before QWidget takes the children down.
    delete m_ui.grid;
    m_ui.grid = nullptr;
    m_session.reset();
    m_editors.reset();
}

// ---- Wiring ----

void CQuillbank2View::run(const std::function<void()>& handler) {
    handler();
    refresh();
}

void CQuillbank2View::load(const std::function<void()>& handler) {
    const std::uint64_t before = m_session->form().state().table.generation();
    run(handler);
    const SendFormState& s = m_session->form().state();
    // The number column found, the next step is the message (or, written, the preview).
    if (s.table.generation() == before || !s.numberColumnFound || !isVisible())
        return;
    if (m_ui.smsBox->isEnabled() && s.smsText.empty())
        m_ui.smsBox->setFocus();
    else
        m_ui.preview->setFocus();
}

void CQuillbank2View::connectControls() {
    connectMessageControls();
    connectSendingOptions();
    connectRecipientControls();
    connectSendButtons();
}

void CQuillbank2View::connectMessageControls() {
    SendFormState& s = m_session->form().state();
    // A switch the user takes back leaves the old kind checked (the refresh).
    connect(m_ui.kinds, &QButtonGroup::idClicked, this,
            [this](int id) { run([&] { m_session->form().onKindChosen(static_cast<MessageKind>(id)); }); });
    connect(m_ui.smsBox, &QPlainTextEdit::textChanged, this, &CQuillbank2View::onSmsTextChanged);
    connect(m_ui.saveMessage, &QPushButton::clicked, this, &CQuillbank2View::saveMessage);
    connect(m_ui.loadMessage, &QPushButton::clicked, this, &CQuillbank2View::openSavedMessages);
    connect(m_ui.specialChars, &QPushButton::clicked, this, &CQuillbank2View::openPalette);
    connect(m_ui.adSwitch, &QCheckBox::clicked, this, &CQuillbank2View::switchAdvertising);
    connect(m_ui.adSettings, &QPushButton::clicked, this, &CQuillbank2View::editAdvertisingSettings);
    connect(m_ui.adInsert, &QPushButton::clicked, this,
            [this] { run([&] { m_session->form().insertAdvertisingText(); }); });
    for (int k = 0; k < 4; ++k) {
        connect(m_ui.mergeOn[k], &QCheckBox::clicked, this, [this, &s, k](bool on) {
            s.mergeOn[static_cast<std::size_t>(k)] = on;
            run([&] { m_session->form().onMergeSwitch(k + 1); });
        });
        connect(m_ui.mergeColumn[k], &QComboBox::activated, this,
                [this, k](int i) { run([&] { m_session->form().onMergeColumnChosen(k + 1, i); }); });
    }
}

void CQuillbank2View::connectSendingOptions() {
    SendFormState& s = m_session->form().state();
    connect(m_ui.callbackBox, &QComboBox::activated, this,
            [this](int i) { run([&] { m_session->form().onCallbackChosen(i); }); });
    connect(m_ui.callbackBox->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        run([&] { m_session->form().onCallbackEdited(fromQString(text)); });
    });
    connect(m_ui.manageCallbacks, &QPushButton::clicked, this, &CQuillbank2View::openCallbackManager);
    connect(m_ui.refreshBalance, &QPushButton::clicked, this, [this] { m_session->refreshBalance(); });

    connect(m_ui.immediate, &QRadioButton::clicked, this,
            [this] { run([&] { m_session->form().onImmediateChosen(); }); });
    connect(m_ui.reserved, &QRadioButton::clicked, this,
            [this] { run([&] { m_session->form().onReservedChosen(); }); });
    connect(m_ui.reservationDate, &QDateEdit::dateChanged, this,
            [&s](const QDate& d) { s.reservationDate = LocalTime{d.year(), d.month(), d.day(), 0, 0, 0}; });
    connect(m_ui.reservationHour, &QComboBox::activated, this,
            [this, &s](int i) { run([&] { s.reservationHour.select(i); }); });
    connect(m_ui.reservationMinute, &QComboBox::activated, this,
            [this, &s](int i) { run([&] { s.reservationMinute.select(i); }); });
    connect(m_ui.rangeFrom, &QLineEdit::textEdited, this,
            [&s](const QString& t) { s.rangeFrom = fromQString(t); });
    connect(m_ui.rangeTo, &QLineEdit::textEdited, this,
            [&s](const QString& t) { s.rangeTo = fromQString(t); });
    connect(m_ui.splitOn, &QCheckBox::clicked, this, [this, &s](bool on) {
        s.splitOn = on;
        run([&] { m_session->form().onSplitSwitch(); });
    });
    connect(m_ui.splitCount, &QLineEdit::textEdited, this,
            [&s](const QString& t) { s.splitCount = fromQString(t); });
    connect(m_ui.splitMinutes, &QComboBox::activated, this,
            [this, &s](int i) { run([&] { s.splitMinutes.select(i); }); });
    connect(m_ui.dedup, &QCheckBox::clicked, this, [&s](bool on) { s.dedupOn = on; });
    connect(m_ui.selfReject, &QCheckBox::clicked, this, [&s](bool on) { s.rejectOn = on; });
    connect(m_ui.rejectLists, &QPushButton::clicked, this, &CQuillbank2View::openRejectLists);
}

void CQuillbank2View::connectRecipientControls() {
    SendFormState& s = m_session->form().state();
    connect(m_ui.directEntry, &QPushButton::clicked, this, &CQuillbank2View::openDirectEntry);
    connect(m_ui.textFile, &QPushButton::clicked, this,
            [this] { load([&] { m_session->form().imports().importTextFiles(); }); });
    connect(m_ui.delimiterList, &QComboBox::activated, this, [this, &s](int i) {
        s.delimiterList.select(i);
        run([&] { m_session->form().imports().onDelimiterChosen(); });
    });
    connect(m_ui.delimiterField, &QLineEdit::textEdited, this,
            [&s](const QString& t) { s.delimiterField = fromQString(t); });
    connect(m_ui.encodingList, &QComboBox::activated, this, [&s](int i) { s.encodingList.select(i); });
    connect(m_ui.excelFile, &QPushButton::clicked, this,
            [this] { load([&] { m_session->form().imports().importExcelFile(); }); });
    connect(m_ui.sheetChooser, &QComboBox::activated, this, [this, &s](int i) {
        s.sheetChooser.select(i);
        load([&] { m_session->form().imports().onSheetChosen(); });
    });
    connect(m_ui.numberColumn, &QComboBox::activated, this, [this, &s](int i) {
        s.numberColumn.select(i);
        run([&] { m_session->form().onNumberColumnChanged(); });
    });
    connect(m_ui.deleteRows, &QPushButton::clicked, this,
            [this] { run([&] { m_session->form().deleteSelectedRows(m_ui.grid->selectedRange()); }); });
}

void CQuillbank2View::connectSendButtons() {
    connect(m_ui.preview, &QPushButton::clicked, this, [this] {
        bool ready = false;
        run([&] { ready = m_session->form().validateAndPreview(); });
        // The summary read, the next step is "전송하기" (unless another view took the window).
        if (ready && m_ui.send->isVisible())
            m_ui.send->setFocus();
    });
    connect(m_ui.saveExcluded, &QPushButton::clicked, this,
            [this] { run([&] { m_session->form().onSaveExcludedClicked(); }); });
    connect(m_ui.send, &QPushButton::clicked, this, [this] { run([&] { m_session->send(); }); });
    connect(m_ui.stopSend, &QPushButton::clicked, this, [this] { run([&] { m_session->stop(); }); });
    // Escape stops a running job; otherwise it is left to whatever has focus.
    auto* escape =
        new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (m_session->sending())
            run([&] { m_session->stop(); });
    });
    connect(m_ui.resetForm, &QPushButton::clicked, this,
            [this] { run([&] { m_session->form().onResetClicked(); }); });
}

// ---- Showing the state ----

void CQuillbank2View::refresh() {
    if (m_refreshing || !m_ui.grid) // !m_ui.grid: the window is being taken down
        return;
    m_refreshing = true;
    SendForm& form = m_session->form();
    form.setBalance(m_session->balance());
    m_display.show(form.state(), m_session->balance(), form.callbackNumber(), m_session->sending(),
                   m_session->resumes());
    showEncoding(form.state().encodingUsed);
    m_ui.saveExcluded->setEnabled(form.canSaveExcluded() && !m_session->sending());
    m_refreshing = false;
}

void CQuillbank2View::showEncoding(const std::string& used) {
    auto* frame = qobject_cast<QMainWindow*>(window());
    if (!frame || (!m_encodingPane && used.empty()))
        return;
    if (!m_encodingPane) {
        // Beside the lock keys, for as long as the window lives.
        m_encodingPane = new QLabel(frame->statusBar());
        m_encodingPane->setObjectName("encodingPane");
        frame->statusBar()->insertPermanentWidget(0, m_encodingPane);
    }
    m_encodingPane->setText(used.empty() ? QString() : QString::fromUtf8("인코딩: ") + toQString(used));
}

void CQuillbank2View::onSmsTextChanged() {
    if (m_refreshing)
        return;
    m_session->form().onMessageEdited(fromEditText(m_ui.smsBox->toPlainText()));
    refresh();
}

bool CQuillbank2View::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui.smsBox && event->type() == QEvent::FocusIn) {
        m_session->form().onMessageFocused();
        m_ui.smsCounter->setText(toQString(m_session->form().state().smsCounter));
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Buttons that open windows ----

void CQuillbank2View::openDirectEntry() {
    DirectEntryDialog dialog(this);
    // Beside the button, as the user's eye is there.
    dialog.move(m_ui.directEntry->mapToGlobal(QPoint(m_ui.directEntry->width() + 4, 0)));
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_context.transferText = dialog.text();
    load([&] { m_session->form().takeDirectEntry(m_context.transferText); });
}

void CQuillbank2View::openRejectLists() {
    RejectListDialog dialog(RejectTable::inWorkingFolder(m_context.workingFolder), m_notifier, this);
    dialog.exec();
    if (dialog.appliedTotal() && m_context.login.loggedIn && m_context.rejectTotalApplied)
        m_context.rejectTotalApplied(*dialog.appliedTotal());
}

void CQuillbank2View::openCallbackManager() {
    if (!m_session->web().loginGate())
        return;
    {
        CallbackNumberDialog dialog(m_session->web(), this);
        dialog.exec();
    }
    reloadCallbackNumbers();
}

void CQuillbank2View::openSavedMessages() {
    if (!m_session->web().loginGate())
        return;
    SmsMessageBoxDialog dialog(m_session->web(), m_context.workingFolder + "/imgtemp", *this, this);
    if (dialog.exec() == QDialog::Accepted)
        m_ui.smsBox->setFocus();
}

void CQuillbank2View::takeSavedMessage(const SelectedMessage& message) {
    run([&] { m_session->form().onMessageEdited(message.body); });
}

void CQuillbank2View::openPalette() {
    const QRect anchor(m_ui.specialChars->mapToGlobal(QPoint(0, 0)), m_ui.specialChars->size());
    CSpecialCharDlg::open(m_palette, *this, this, anchor, CSpecialCharDlg::Placement::AsOpened);
}

void CQuillbank2View::insertSymbol(std::string_view symbol) {
    if (!m_ui.smsBox->isEnabled())
        return; // an LMS or MMS is being written: the SMS box is not the message
    const ByteRange sel = selectedBytes(m_ui.smsBox);
    const Replaced r = replaceRange(m_session->form().state().smsText, sel.from, sel.to, symbol);
    run([&] { m_session->form().onMessageEdited(r.text); });
    const std::string& text = m_session->form().state().smsText;
    placeCaret(m_ui.smsBox, text, std::min(r.caret, text.size()));
}

void CQuillbank2View::switchAdvertising(bool on) {
    SendFormState& s = m_session->form().state();
    s.advertising = on;
    // Switched on without a name or number: they are asked for at once.
    if (on && !AdvertisingSettings{true, s.adName, s.adOptOut}.problem().empty() && editAdvertisingSettings())
        return;
    keepAdvertisingSettings();
    refresh();
}

bool CQuillbank2View::editAdvertisingSettings() {
    SendFormState& s = m_session->form().state();
    AdvertisingSettingsDialog dialog({s.advertising, s.adName, s.adOptOut}, m_notifier, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    s.adName = dialog.settings().name;
    s.adOptOut = dialog.settings().optOut;
    keepAdvertisingSettings();
    refresh();
    return true;
}

void CQuillbank2View::keepAdvertisingSettings() const {
    const SendFormState& s = m_session->form().state();
    AdvertisingSettings{s.advertising, s.adName, s.adOptOut}.write(m_context.workingFolder + "/Env.cfg");
}

void CQuillbank2View::saveMessage() {
    m_session->saveSms();
}

void CQuillbank2View::returnToSms() {
    run([this] { m_session->returnToSms(); });
}

// ---- SendFormHost ----

void CQuillbank2View::refreshBalance() {
    m_session->refreshBalance();
}

void CQuillbank2View::reloadCallbackNumbers() {
    run([this] { m_session->reloadCallbackNumbers(); });
}

void CQuillbank2View::clearBalanceAndCallbacks() {
    run([this] { m_session->clearBalanceAndCallbacks(); });
}

void CQuillbank2View::loadTransferredEntries(const std::string& transferText) {
    load([&] { m_session->form().loadTransferredEntries(transferText); });
}

void CQuillbank2View::closeEditorWindows() {
    m_editors->closeLmsEditor();
    m_editors->closeMmsWindow();
}

void CQuillbank2View::followMainWindow(int right, int top) {
    m_editors->follow(right, top);
}

void CQuillbank2View::offerInterruptedJobs() {
    run([&] { m_session->offerInterruptedJobs(); });
}

} // namespace qb
