#include "send/ui/CQuillbank2View.h"

#include "common/LoginState.h"
#include "common/QtText.h"
#include "send/ui/CGridCtrl.h"
#include "send/ui/DirectEntryDialog.h"
#include "send/ui/RejectListDialog.h"
#include "web/MessageSaver.h"
#include "web/ui/CallbackNumberDialog.h"
#include "web/ui/SmsMessageBoxDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace qb {
namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

void showText(QLineEdit* edit, const std::string& text) {
    const QString q = toQString(text);
    if (edit->text() != q) {
        const QSignalBlocker block(edit);
        edit->setText(q);
    }
}

QPushButton* button(const char* textUtf8, const char* name, QWidget* parent) {
    auto* b = new QPushButton(u(textUtf8), parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QComboBox* combo(const char* name, int width, QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setFixedWidth(width);
    c->setMaxVisibleItems(15);
    return c;
}

QLineEdit* field(const char* name, int width, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setFixedWidth(width);
    return e;
}

QLabel* label(const char* textUtf8, QWidget* parent) {
    return new QLabel(u(textUtf8), parent);
}

QGroupBox* group(const char* titleUtf8, QWidget* parent) {
    auto* g = new QGroupBox(u(titleUtf8), parent);
    return g;
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets, bool stretch = true) {
    auto* r = new QHBoxLayout;
    r->setSpacing(4);
    for (QWidget* w : widgets)
        r->addWidget(w);
    if (stretch)
        r->addStretch();
    return r;
}

} // namespace

// Every message the form's work shows goes through here: the controls show the
// state first, so the table behind a message box is the one it talks about.
class CQuillbank2View::FormNotifier : public Notifier {
public:
    FormNotifier(CQuillbank2View& view, Notifier& inner) : m_view(view), m_inner(inner) {}
    void show(const std::string& text, MessageIcon icon, const std::string& caption) override {
        m_view.refresh();
        m_inner.show(text, icon, caption);
    }
    bool ask(const std::string& text, MessageIcon icon, const std::string& caption) override {
        m_view.refresh();
        return m_inner.ask(text, icon, caption);
    }

private:
    CQuillbank2View& m_view;
    Notifier& m_inner;
};

CQuillbank2View::CQuillbank2View(SendViewContext context, QWidget* parent)
    : QWidget(parent), m_context(std::move(context)),
      m_notifier(std::make_unique<FormNotifier>(*this, m_context.notifier)),
      m_web(m_context.login, *m_notifier, WebHost::from(m_context.service)), m_dialogs(this),
      m_editors(this, [this] { returnToSms(); }), m_progressBar(new QProgressBar(this)),
      m_progress(m_progressBar, BarProgress::Repaint::Now),
      m_sendProgress(m_progressBar, BarProgress::Repaint::Never) {
    setObjectName("sendForm");
    m_form = std::make_unique<SendForm>(*m_notifier, m_progress, m_context.settings, m_context.login,
                                        RejectTable::inWorkingFolder(m_context.workingFolder), m_dialogs,
                                        m_editors);
    m_job = std::make_unique<SendJob>(*m_form, m_context.login, *m_notifier, m_sendProgress, *this,
                                      m_context.service);
    buildControls();
    connectControls();
    refresh();
}

CQuillbank2View::~CQuillbank2View() {
    m_job.reset();
    // The grid reads the form's table until it is gone; the table goes first
    // otherwise, with the members, before QWidget takes the children down.
    delete m_grid;
    m_grid = nullptr;
}

void CQuillbank2View::showChooser(QComboBox* box, const Chooser& chooser) {
    const QSignalBlocker block(box);
    showItems(box, chooser.items);
    if (box->currentIndex() != chooser.selected)
        box->setCurrentIndex(chooser.selected);
    box->setEnabled(chooser.enabled);
}

void CQuillbank2View::showItems(QComboBox* box, const std::vector<std::string>& items) {
    // Rebuilt only when the list changed: a refresh follows every key typed.
    std::vector<std::string>& shown = m_shownItems[box];
    if (shown == items)
        return;
    box->clear();
    for (const std::string& item : items)
        box->addItem(toQString(item));
    shown = items;
}

// ---- Layout ----

void CQuillbank2View::buildControls() {
    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    top->addWidget(buildMessagePanel());
    top->addWidget(buildSettingsPanel(), 1);

    m_progressBar->setObjectName("progress");
    m_progressBar->setTextVisible(false);
    m_progressBar->setFixedHeight(14);
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);

    m_grid = new CGridCtrl(m_form->state().table, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(buildActionRow());
    layout->addWidget(m_progressBar);
    layout->addWidget(m_grid, 1);
}

QWidget* CQuillbank2View::buildMessagePanel() {
    QGroupBox* box = group("메세지", this);
    box->setFixedWidth(232);

    m_kinds = new QButtonGroup(this);
    const char* kindNames[] = {"SMS", "LMS", "MMS"};
    const char* kindObjects[] = {"kindSms", "kindLms", "kindMms"};
    auto* kinds = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        m_kindButtons[i] = new QRadioButton(u(kindNames[i]), box);
        m_kindButtons[i]->setObjectName(kindObjects[i]);
        m_kinds->addButton(m_kindButtons[i], i);
        kinds->addWidget(m_kindButtons[i]);
    }
    kinds->addStretch();

    m_smsBox = new QPlainTextEdit(box);
    m_smsBox->setObjectName("smsBox");
    m_smsBox->setFixedHeight(128);
    m_smsBox->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_smsBox->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_smsBox->installEventFilter(this);
    m_smsCounter = new QLabel(box);
    m_smsCounter->setObjectName("smsCounter");
    m_smsCounter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_saveMessage = button("메세지저장하기", "saveMessage", box);
    m_loadMessage = button("저장된 메세지 불러오기", "loadMessage", box);

    auto* merges = new QGridLayout;
    merges->setHorizontalSpacing(8);
    merges->setColumnStretch(2, 1);
    merges->setVerticalSpacing(3);
    for (int k = 0; k < 4; ++k) {
        const std::string token = "<@" + std::to_string(k + 1) + "@>";
        m_mergeOn[k] = new QCheckBox(QString::fromStdString(token), box);
        m_mergeOn[k]->setObjectName(QString("merge%1").arg(k + 1));
        m_mergeColumn[k] = combo(QString("mergeColumn%1").arg(k + 1).toLatin1().constData(), 96, box);
        merges->addWidget(m_mergeOn[k], k, 0);
        merges->addWidget(m_mergeColumn[k], k, 1);
    }

    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(4);
    layout->addLayout(kinds);
    layout->addWidget(m_smsBox);
    layout->addWidget(m_smsCounter);
    auto* saveLoad = new QHBoxLayout;
    saveLoad->setSpacing(4);
    saveLoad->addWidget(m_saveMessage);
    saveLoad->addWidget(m_loadMessage);
    layout->addLayout(saveLoad);
    auto* mergeTitle = label("메세지 조합", box);
    layout->addWidget(mergeTitle);
    layout->addLayout(merges);
    layout->addStretch();
    return box;
}

QWidget* CQuillbank2View::buildSettingsPanel() {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    // Callback number and balance
    QGroupBox* sender = group("회신번호 / 잔액", panel);
    m_callbackBox = combo("callbackBox", 150, sender);
    m_callbackBox->setEditable(true);
    m_callbackBox->setInsertPolicy(QComboBox::NoInsert);
    m_manageCallbacks = button("회신번호관리", "manageCallbacks", sender);
    m_balanceValue = new QLabel(sender);
    m_balanceValue->setObjectName("balance");
    m_balanceValue->setMinimumWidth(110);
    m_prices = new QLabel(sender);
    m_prices->setObjectName("prices");
    m_counts = new QLabel(sender);
    m_counts->setObjectName("counts");
    m_refreshBalance = button("잔액새로고침", "refreshBalance", sender);
    auto* senderLayout = new QGridLayout(sender);
    senderLayout->setContentsMargins(6, 4, 6, 4);
    senderLayout->setHorizontalSpacing(6);
    senderLayout->setVerticalSpacing(3);
    senderLayout->addWidget(label("회신번호", sender), 0, 0);
    senderLayout->addLayout(row({m_callbackBox, m_manageCallbacks}), 0, 1);
    senderLayout->addWidget(label("잔액 : ", sender), 1, 0);
    senderLayout->addLayout(row({m_balanceValue, m_refreshBalance}), 1, 1);
    senderLayout->addWidget(label("단가 :", sender), 2, 0);
    senderLayout->addWidget(m_prices, 2, 1);
    senderLayout->addWidget(label("건수 :", sender), 3, 0);
    senderLayout->addWidget(m_counts, 3, 1);
    senderLayout->setColumnStretch(1, 1);
    layout->addWidget(sender);

    // Reservation, range, split, filters
    QGroupBox* timing = group("전송설정", panel);
    m_immediate = new QRadioButton(u("즉시"), timing);
    m_immediate->setObjectName("immediate");
    m_reserved = new QRadioButton(u("예약"), timing);
    m_reserved->setObjectName("reserved");
    auto* reservation = new QButtonGroup(this);
    reservation->addButton(m_immediate);
    reservation->addButton(m_reserved);
    m_reservationDate = new QDateEdit(timing);
    m_reservationDate->setObjectName("reservationDate");
    m_reservationDate->setCalendarPopup(true);
    m_reservationDate->setDisplayFormat("yyyy-MM-dd");
    m_reservationDate->setFixedWidth(104);
    m_reservationHour = combo("reservationHour", 52, timing);
    m_reservationMinute = combo("reservationMinute", 52, timing);
    m_rangeFrom = field("rangeFrom", 64, timing);
    m_rangeTo = field("rangeTo", 64, timing);
    m_splitOn = new QCheckBox(u("분할전송"), timing);
    m_splitOn->setObjectName("splitOn");
    m_splitCount = field("splitCount", 56, timing);
    m_splitMinutes = combo("splitMinutes", 52, timing);
    m_dedup = new QCheckBox(u("중복제거"), timing);
    m_dedup->setObjectName("dedup");
    m_selfReject = new QCheckBox(u("자체수신거부"), timing);
    m_selfReject->setObjectName("selfReject");
    m_rejectLists = button("수신거부등록", "rejectLists", timing);
    auto* timingLayout = new QVBoxLayout(timing);
    timingLayout->setContentsMargins(6, 4, 6, 4);
    timingLayout->setSpacing(3);
    timingLayout->addLayout(row({m_immediate, m_reserved, m_reservationDate, m_reservationHour,
                                 label("시", timing), m_reservationMinute, label("분", timing)}));
    timingLayout->addLayout(row(
        {label("전송범위", timing), m_rangeFrom, label("부터", timing), m_rangeTo, label("까지", timing)}));
    timingLayout->addLayout(
        row({m_splitOn, m_splitCount, label("개단위", timing), m_splitMinutes, label("분단위", timing)}));
    timingLayout->addLayout(row({m_dedup, m_selfReject, m_rejectLists}));
    layout->addWidget(timing);

    // Loading the recipients
    QGroupBox* loading = group("수신번호 불러오기", panel);
    m_directEntry = button("직접입력", "directEntry", loading);
    m_textFile = button("텍스트화일", "textFile", loading);
    m_delimiterList = combo("delimiterList", 96, loading);
    m_delimiterField = field("delimiterField", 60, loading);
    m_excelFile = button("엑셀화일", "excelFile", loading);
    m_sheetChooser = combo("sheetChooser", 120, loading);
    m_sheetName = field("sheetName", 120, loading);
    m_sheetName->setReadOnly(true);
    for (QPushButton* b : {m_directEntry, m_textFile, m_excelFile})
        b->setFixedWidth(84);
    auto* loadingLayout = new QVBoxLayout(loading);
    loadingLayout->setContentsMargins(6, 4, 6, 4);
    loadingLayout->setSpacing(3);
    loadingLayout->addLayout(
        row({m_directEntry, m_textFile, label("구분자", loading), m_delimiterList, m_delimiterField}));
    auto* excelRow = row({m_excelFile}, false);
    excelRow->addSpacing(84 + 4);
    excelRow->addLayout(row({label("시트", loading), m_sheetChooser, m_sheetName}));
    loadingLayout->addLayout(excelRow);
    layout->addWidget(loading);
    layout->addStretch();
    return panel;
}

QWidget* CQuillbank2View::buildActionRow() {
    auto* bar = new QWidget(this);
    m_numberColumn = combo("numberColumn", 120, bar);
    m_deleteRows = button("행삭제", "deleteRows", bar);
    m_preview = button("발송데이터 미리보기", "preview", bar);
    m_send = button("전송하기", "send", bar);
    m_resetForm = button("전송초기화", "resetForm", bar);
    m_send->setMinimumWidth(96);
    QFont bold = m_send->font();
    bold.setBold(true);
    m_send->setFont(bold);
    for (QPushButton* b : {m_preview, m_send, m_resetForm})
        b->setMinimumHeight(30);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_numberColumn);
    layout->addWidget(m_deleteRows);
    layout->addStretch();
    layout->addWidget(m_preview);
    layout->addWidget(m_send);
    layout->addWidget(m_resetForm);
    return bar;
}

// ---- Wiring ----

void CQuillbank2View::run(const std::function<void()>& handler) {
    handler();
    refresh();
}

void CQuillbank2View::connectControls() {
    SendFormState& s = m_form->state();

    connect(m_kinds, &QButtonGroup::idClicked, this,
            [this](int id) { run([&] { m_form->onKindChosen(static_cast<MessageKind>(id)); }); });
    connect(m_smsBox, &QPlainTextEdit::textChanged, this, &CQuillbank2View::onSmsTextChanged);
    connect(m_saveMessage, &QPushButton::clicked, this, &CQuillbank2View::saveMessage);
    connect(m_loadMessage, &QPushButton::clicked, this, &CQuillbank2View::openSavedMessages);
    for (int k = 0; k < 4; ++k) {
        connect(m_mergeOn[k], &QCheckBox::clicked, this, [this, &s, k](bool on) {
            s.mergeOn[static_cast<std::size_t>(k)] = on;
            run([&] { m_form->onMergeSwitch(k + 1); });
        });
        connect(m_mergeColumn[k], &QComboBox::activated, this,
                [this, &s, k](int i) { run([&] { s.mergeColumn[static_cast<std::size_t>(k)].select(i); }); });
    }

    connect(m_callbackBox, &QComboBox::activated, this,
            [this](int i) { run([&] { m_form->onCallbackChosen(i); }); });
    connect(m_callbackBox->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& text) { run([&] { m_form->onCallbackEdited(fromQString(text)); }); });
    connect(m_manageCallbacks, &QPushButton::clicked, this, &CQuillbank2View::openCallbackManager);
    connect(m_refreshBalance, &QPushButton::clicked, this, &CQuillbank2View::refreshBalance);

    connect(m_immediate, &QRadioButton::clicked, this, [this] { run([&] { m_form->onImmediateChosen(); }); });
    connect(m_reserved, &QRadioButton::clicked, this, [this] { run([&] { m_form->onReservedChosen(); }); });
    connect(m_reservationDate, &QDateEdit::dateChanged, this,
            [&s](const QDate& d) { s.reservationDate = LocalTime{d.year(), d.month(), d.day(), 0, 0, 0}; });
    connect(m_reservationHour, &QComboBox::activated, this,
            [this, &s](int i) { run([&] { s.reservationHour.select(i); }); });
    connect(m_reservationMinute, &QComboBox::activated, this,
            [this, &s](int i) { run([&] { s.reservationMinute.select(i); }); });
    connect(m_rangeFrom, &QLineEdit::textEdited, this,
            [&s](const QString& t) { s.rangeFrom = fromQString(t); });
    connect(m_rangeTo, &QLineEdit::textEdited, this, [&s](const QString& t) { s.rangeTo = fromQString(t); });
    connect(m_splitOn, &QCheckBox::clicked, this, [this, &s](bool on) {
        s.splitOn = on;
        run([&] { m_form->onSplitSwitch(); });
    });
    connect(m_splitCount, &QLineEdit::textEdited, this,
            [&s](const QString& t) { s.splitCount = fromQString(t); });
    connect(m_splitMinutes, &QComboBox::activated, this,
            [this, &s](int i) { run([&] { s.splitMinutes.select(i); }); });
    connect(m_dedup, &QCheckBox::clicked, this, [&s](bool on) { s.dedupOn = on; });
    connect(m_selfReject, &QCheckBox::clicked, this, [&s](bool on) { s.rejectOn = on; });
    connect(m_rejectLists, &QPushButton::clicked, this, &CQuillbank2View::openRejectLists);

    connect(m_directEntry, &QPushButton::clicked, this, &CQuillbank2View::openDirectEntry);
    connect(m_textFile, &QPushButton::clicked, this, [this] { run([&] { m_form->importTextFiles(); }); });
    connect(m_delimiterList, &QComboBox::activated, this, [this, &s](int i) {
        s.delimiterList.select(i);
        run([&] { m_form->onDelimiterChosen(); });
    });
    connect(m_delimiterField, &QLineEdit::textEdited, this,
            [&s](const QString& t) { s.delimiterField = fromQString(t); });
    connect(m_excelFile, &QPushButton::clicked, this, [this] { run([&] { m_form->importExcelFile(); }); });
    connect(m_sheetChooser, &QComboBox::activated, this, [this, &s](int i) {
        s.sheetChooser.select(i);
        run([&] { m_form->onSheetChosen(); });
    });
    connect(m_numberColumn, &QComboBox::activated, this, [this, &s](int i) {
        s.numberColumn.select(i);
        run([&] { m_form->onNumberColumnChanged(); });
    });
    connect(m_deleteRows, &QPushButton::clicked, this,
            [this] { run([&] { m_form->deleteSelectedRows(m_grid->selectedRange()); }); });

    connect(m_preview, &QPushButton::clicked, this, [this] { run([&] { m_form->validateAndPreview(); }); });
    connect(m_send, &QPushButton::clicked, this, [this] { run([&] { m_job->startSend(); }); });
    connect(m_resetForm, &QPushButton::clicked, this, [this] { run([&] { m_form->resetForm(); }); });
}

// ---- Showing the state ----

void CQuillbank2View::refresh() {
    if (m_refreshing || !m_grid) // !m_grid: the window is being taken down
        return;
    m_refreshing = true;
    const SendFormState& s = m_form->state();

    m_kindButtons[static_cast<int>(s.kind)]->setChecked(true);
    if (m_smsBox->toPlainText() != toEditText(s.smsText)) {
        const QSignalBlocker block(m_smsBox);
        m_smsBox->setPlainText(toEditText(s.smsText));
        m_smsBox->moveCursor(QTextCursor::End);
    }
    m_smsBox->setEnabled(s.smsBoxEnabled);
    m_smsCounter->setText(toQString(s.smsCounter));
    for (std::size_t k = 0; k < 4; ++k) {
        m_mergeOn[k]->setChecked(s.mergeOn[k]);
        showChooser(m_mergeColumn[k], s.mergeColumn[k]);
    }

    {
        const QSignalBlocker block(m_callbackBox);
        showItems(m_callbackBox, s.callbackList.items);
        if (m_callbackBox->currentIndex() != s.callbackList.selected)
            m_callbackBox->setCurrentIndex(s.callbackList.selected);
        const QString text = toQString(m_form->callbackNumber());
        if (m_callbackBox->currentText() != text)
            m_callbackBox->setEditText(text);
    }
    m_balanceValue->setText(toQString(m_balance.balance));
    m_prices->setText(toQString(m_balance.prices));
    m_counts->setText(toQString(m_balance.counts));

    m_immediate->setChecked(!s.reserved);
    m_reserved->setChecked(s.reserved);
    {
        const QSignalBlocker block(m_reservationDate);
        const QDate date(s.reservationDate.year, s.reservationDate.month, s.reservationDate.day);
        if (m_reservationDate->date() != date)
            m_reservationDate->setDate(date);
    }
    m_reservationDate->setEnabled(s.reservationDateEnabled);
    showChooser(m_reservationHour, s.reservationHour);
    showChooser(m_reservationMinute, s.reservationMinute);
    showText(m_rangeFrom, s.rangeFrom);
    showText(m_rangeTo, s.rangeTo);
    m_splitOn->setChecked(s.splitOn);
    showText(m_splitCount, s.splitCount);
    m_splitCount->setEnabled(s.splitCountEnabled);
    showChooser(m_splitMinutes, s.splitMinutes);
    m_dedup->setChecked(s.dedupOn);
    m_selfReject->setChecked(s.rejectOn);

    showChooser(m_delimiterList, s.delimiterList);
    showText(m_delimiterField, s.delimiterField);
    showChooser(m_sheetChooser, s.sheetChooser);
    showText(m_sheetName, s.sheetNameField);
    showChooser(m_numberColumn, s.numberColumn);

    m_preview->setEnabled(s.previewEnabled);
    m_send->setEnabled(s.sendEnabled);
    // While a job runs, everything that rebuilds the table or the queue waits.
    for (QWidget* w : {static_cast<QWidget*>(m_kindButtons[0]), static_cast<QWidget*>(m_kindButtons[1]),
                       static_cast<QWidget*>(m_kindButtons[2]), static_cast<QWidget*>(m_directEntry),
                       static_cast<QWidget*>(m_textFile), static_cast<QWidget*>(m_excelFile),
                       static_cast<QWidget*>(m_deleteRows), static_cast<QWidget*>(m_resetForm)})
        w->setEnabled(!m_sending);
    m_sheetChooser->setEnabled(s.sheetChooser.enabled && !m_sending);
    m_grid->sync();
    m_refreshing = false;
}

void CQuillbank2View::onSmsTextChanged() {
    if (m_refreshing)
        return;
    m_form->onMessageEdited(fromEditText(m_smsBox->toPlainText()));
    refresh();
}

bool CQuillbank2View::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_smsBox && event->type() == QEvent::FocusIn) {
        m_form->onMessageFocused();
        m_smsCounter->setText(toQString(m_form->state().smsCounter));
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Buttons that open windows ----

void CQuillbank2View::openDirectEntry() {
    DirectEntryDialog dialog(this);
    // Beside the button, as the user's eye is there.
    dialog.move(m_directEntry->mapToGlobal(QPoint(m_directEntry->width() + 4, 0)));
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_context.transferText = dialog.text();
    run([&] { m_form->takeDirectEntry(m_context.transferText); });
}

void CQuillbank2View::openRejectLists() {
    RejectListDialog dialog(RejectTable::inWorkingFolder(m_context.workingFolder), *m_notifier, this);
    dialog.exec();
    if (dialog.appliedTotal() && m_context.login.loggedIn && m_context.rejectTotalApplied)
        m_context.rejectTotalApplied(*dialog.appliedTotal());
}

void CQuillbank2View::openCallbackManager() {
    if (!m_web.loginGate())
        return;
    {
        CallbackNumberDialog dialog(m_web, this);
        dialog.exec();
    }
    reloadCallbackNumbers();
}

void CQuillbank2View::openSavedMessages() {
    if (!m_web.loginGate())
        return;
    SmsMessageBoxDialog dialog(m_web, m_context.workingFolder + "/imgtemp", *this, this);
    if (dialog.exec() == QDialog::Accepted)
        m_smsBox->setFocus();
}

void CQuillbank2View::takeSavedMessage(const SelectedMessage& message) {
    run([&] { m_form->onMessageEdited(message.body); });
}

void CQuillbank2View::saveMessage() {
    MessageSaver(m_web).saveSms(m_form->state().smsText);
}

void CQuillbank2View::returnToSms() {
    // The reset would empty the queue a running job is reading; it waits.
    if (m_sending) {
        m_returnToSmsAfterSend = true;
        return;
    }
    run([this] { m_form->returnToSms(); });
}

void CQuillbank2View::sendRunningChanged(bool running) {
    m_sending = running;
    refresh();
    if (!running && m_returnToSmsAfterSend) {
        m_returnToSmsAfterSend = false;
        returnToSms();
    }
}

// ---- SendFormPanel ----

void CQuillbank2View::refreshBalance() {
    loadBalanceLine(m_web, m_balance);
    refresh();
}

void CQuillbank2View::reloadCallbackNumbers() {
    const bool loggedIn = m_context.login.loggedIn;
    std::vector<std::string> numbers;
    loadCallbackChoices(m_web, numbers);
    // Past the login gate the box is emptied first, whatever the request gives.
    if (loggedIn)
        m_form->setCallbackChoices(std::move(numbers));
    refresh();
}

void CQuillbank2View::clearBalanceAndCallbacks() {
    m_balance = BalanceLine{};
    m_form->setCallbackChoices({});
    refresh();
}

void CQuillbank2View::loadTransferredEntries(const std::string& transferText) {
    run([&] { m_form->loadTransferredEntries(transferText); });
}

void CQuillbank2View::closeEditorWindows() {
    m_editors.closeLmsEditor();
    m_editors.closeMmsWindow();
}

void CQuillbank2View::followMainWindow(int right, int top) {
    m_editors.follow(right, top);
}

} // namespace qb
