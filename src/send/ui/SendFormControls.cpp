#include "send/ui/SendFormControls.h"

#include "common/ui/AccessibleNames.h"
#include "common/ui/Cp949LengthValidator.h"
#include "send/SendForm.h"
#include "send/ui/CGridCtrl.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <iterator>

namespace qb {
namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
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

// The unit after a combo box: on Linux a combo box's name is its current item and
// its label comes only through its buddy, so the unit becomes the buddy while the
// box keeps its fuller name for the other platforms and while it is empty.
QLabel* unitOf(const char* textUtf8, QWidget* combo, QWidget* parent) {
    QLabel* l = label(textUtf8, parent);
    l->setBuddy(combo);
    return l;
}

// A label that names the control beside it.
QLabel* labelFor(const char* textUtf8, QWidget* control, QWidget* parent) {
    QLabel* l = label(textUtf8, parent);
    labelControl(l, control);
    return l;
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

void SendFormControls::build(QWidget* view, const RecipientTable& table) {
    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    top->addWidget(buildMessagePanel(view));
    top->addWidget(buildSettingsPanel(view), 1);

    // The progress bar is the view's: its progress reporters need it before the grid.
    progressBar->setObjectName("progress");
    progressBar->setTextVisible(false);
    progressBar->setFixedHeight(14);
    progressBar->setRange(0, 100);
    ownName(progressBar, u("진행 상황"));
    progressBar->setValue(0);

    grid = new CGridCtrl(table, view);
    ownName(grid, u("수신번호 목록"));

    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(buildActionRow(view));
    layout->addWidget(progressBar);
    layout->addWidget(grid, 1);
    setTabOrder();
}

// Tab follows the layout, top to bottom and left to right, whatever order the
// controls were made in; the grid, last, is one stop (arrows move inside it).
void SendFormControls::setTabOrder() {
    QWidget* const order[] = {
        // Message
        kindButtons[0], kindButtons[1], kindButtons[2], adSwitch, smsBox, specialChars, saveMessage,
        loadMessage, adInsert, adSettings, mergeOn[0], mergeColumn[0], mergeOn[1], mergeColumn[1], mergeOn[2],
        mergeColumn[2], mergeOn[3], mergeColumn[3],
        // Callback number and balance
        callbackBox, manageCallbacks, refreshBalance,
        // Reservation, range, split, filters
        immediate, reserved, reservationDate, reservationHour, reservationMinute, rangeFrom, rangeTo, splitOn,
        splitCount, splitMinutes, dedup, selfReject, rejectLists,
        // Loading
        directEntry, textFile, delimiterList, delimiterField, encodingList, excelFile, sheetChooser,
        sheetName,
        // Sending, with the grid under the buttons
        numberColumn, deleteRows, preview, saveExcluded, send, stopSend, resetForm, grid};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

QWidget* SendFormControls::buildMessagePanel(QWidget* view) {
    QGroupBox* box = group("메세지", view);
    box->setFixedWidth(232);

    kinds = new QButtonGroup(view);
    const char* kindNames[] = {"SMS", "LMS", "MMS"};
    const char* kindObjects[] = {"kindSms", "kindLms", "kindMms"};
    auto* kindRow = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        kindButtons[i] = new QRadioButton(u(kindNames[i]), box);
        kindButtons[i]->setObjectName(kindObjects[i]);
        kinds->addButton(kindButtons[i], i);
        kindRow->addWidget(kindButtons[i]);
    }
    kindRow->addStretch();
    adSwitch = new QCheckBox(u("광고"), box);
    adSwitch->setObjectName("adSwitch");
    kindRow->addWidget(adSwitch);

    smsBox = new QPlainTextEdit(box);
    smsBox->setObjectName("smsBox");
    smsBox->setFixedHeight(128);
    smsBox->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    smsBox->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    smsBox->setTabChangesFocus(true);
    smsBox->installEventFilter(view);
    ownName(smsBox, u("SMS 메세지"));
    smsCounter = new QLabel(box);
    smsCounter->setObjectName("smsCounter");
    smsCounter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    saveMessage = button("메세지저장하기", "saveMessage", box);
    loadMessage = button("저장된 메세지 불러오기", "loadMessage", box);

    auto* merges = new QGridLayout;
    merges->setHorizontalSpacing(8);
    merges->setColumnStretch(2, 1);
    merges->setVerticalSpacing(3);
    for (int k = 0; k < 4; ++k) {
        const std::string token = "<@" + std::to_string(k + 1) + "@>";
        mergeOn[k] = new QCheckBox(QString::fromStdString(token), box);
        mergeOn[k]->setObjectName(QString("merge%1").arg(k + 1));
        mergeColumn[k] = combo(QString("mergeColumn%1").arg(k + 1).toLatin1().constData(), 96, box);
        ownName(mergeColumn[k], QString::fromStdString(token) + u(" 열"));
        merges->addWidget(mergeOn[k], k, 0);
        merges->addWidget(mergeColumn[k], k, 1);
    }

    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(4);
    layout->addLayout(kindRow);
    layout->addWidget(smsBox);
    specialChars = button("특수문자", "specialChars", box);
    auto* counterRow = new QHBoxLayout;
    counterRow->addWidget(specialChars);
    counterRow->addWidget(smsCounter, 1);
    layout->addLayout(counterRow);
    auto* saveLoad = new QHBoxLayout;
    saveLoad->setSpacing(4);
    saveLoad->addWidget(saveMessage);
    saveLoad->addWidget(loadMessage);
    layout->addLayout(saveLoad);
    adInsert = button("광고 문구 넣기", "adInsert", box);
    adSettings = button("광고 설정", "adSettings", box);
    auto* adRow = new QHBoxLayout;
    adRow->setSpacing(4);
    adRow->addWidget(adInsert);
    adRow->addWidget(adSettings);
    layout->addLayout(adRow);
    auto* mergeTitle = label("메세지 조합", box);
    layout->addWidget(mergeTitle);
    layout->addLayout(merges);
    layout->addStretch();
    return box;
}

QWidget* SendFormControls::buildSettingsPanel(QWidget* view) {
    auto* panel = new QWidget(view);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(buildSenderGroup(panel));
    layout->addWidget(buildTimingGroup(view, panel));
    layout->addWidget(buildLoadingGroup(panel));
    layout->addStretch();
    return panel;
}

// Callback number and balance.
QGroupBox* SendFormControls::buildSenderGroup(QWidget* panel) {
    QGroupBox* sender = group("회신번호 / 잔액", panel);
    callbackBox = combo("callbackBox", 150, sender);
    callbackBox->setEditable(true);
    callbackBox->setInsertPolicy(QComboBox::NoInsert);
    callbackBox->setValidator(new Cp949LengthValidator(SendForm::kMaxCallbackBytes, callbackBox));
    // The typing field inside is a control of its own for a screen reader.
    callbackBox->lineEdit()->setAccessibleName(QString::fromUtf8("회신번호 입력"));
    manageCallbacks = button("회신번호관리", "manageCallbacks", sender);
    balanceValue = new QLabel(sender);
    balanceValue->setObjectName("balance");
    balanceValue->setMinimumWidth(110);
    prices = new QLabel(sender);
    prices->setObjectName("prices");
    counts = new QLabel(sender);
    counts->setObjectName("counts");
    refreshBalance = button("잔액새로고침", "refreshBalance", sender);
    auto* senderLayout = new QGridLayout(sender);
    senderLayout->setContentsMargins(6, 4, 6, 4);
    senderLayout->setHorizontalSpacing(6);
    senderLayout->setVerticalSpacing(3);
    senderLayout->addWidget(labelFor("회신번호", callbackBox, sender), 0, 0);
    senderLayout->addLayout(row({callbackBox, manageCallbacks}), 0, 1);
    senderLayout->addWidget(label("잔액 : ", sender), 1, 0);
    senderLayout->addLayout(row({balanceValue, refreshBalance}), 1, 1);
    senderLayout->addWidget(label("단가 :", sender), 2, 0);
    senderLayout->addWidget(prices, 2, 1);
    senderLayout->addWidget(label("건수 :", sender), 3, 0);
    senderLayout->addWidget(counts, 3, 1);
    senderLayout->setColumnStretch(1, 1);
    return sender;
}

// Reservation, range, split, filters.
QGroupBox* SendFormControls::buildTimingGroup(QWidget* view, QWidget* panel) {
    QGroupBox* timing = group("전송설정", panel);
    immediate = new QRadioButton(u("즉시"), timing);
    immediate->setObjectName("immediate");
    reserved = new QRadioButton(u("예약"), timing);
    reserved->setObjectName("reserved");
    auto* reservation = new QButtonGroup(view);
    reservation->addButton(immediate);
    reservation->addButton(reserved);
    reservationDate = new QDateEdit(timing);
    reservationDate->setObjectName("reservationDate");
    reservationDate->setCalendarPopup(true);
    reservationDate->setDisplayFormat("yyyy-MM-dd");
    reservationDate->setFixedWidth(104);
    reservationHour = combo("reservationHour", 52, timing);
    reservationMinute = combo("reservationMinute", 52, timing);
    ownName(reservationDate, u("예약 날짜"));
    ownName(reservationHour, u("예약 시"));
    ownName(reservationMinute, u("예약 분"));
    koreanTime = new QLabel(timing);
    koreanTime->setObjectName("koreanTime");
    koreanTime->setToolTip(u("예약과 분할전송은 한국시간으로 보냅니다."));
    koreanTime->hide();
    rangeFrom = field("rangeFrom", 64, timing);
    rangeTo = field("rangeTo", 64, timing);
    splitOn = new QCheckBox(u("분할전송"), timing);
    splitOn->setObjectName("splitOn");
    splitCount = field("splitCount", 56, timing);
    splitMinutes = combo("splitMinutes", 52, timing);
    ownName(rangeFrom, u("전송범위 시작"));
    ownName(rangeTo, u("전송범위 끝"));
    ownName(splitCount, u("분할전송 개단위"));
    ownName(splitMinutes, u("분할전송 분단위"));
    dedup = new QCheckBox(u("중복제거"), timing);
    dedup->setObjectName("dedup");
    selfReject = new QCheckBox(u("자체수신거부"), timing);
    selfReject->setObjectName("selfReject");
    rejectLists = button("수신거부등록", "rejectLists", timing);
    auto* timingLayout = new QVBoxLayout(timing);
    timingLayout->setContentsMargins(6, 4, 6, 4);
    timingLayout->setSpacing(3);
    timingLayout->addLayout(
        row({immediate, reserved, reservationDate, reservationHour, unitOf("시", reservationHour, timing),
             reservationMinute, unitOf("분", reservationMinute, timing), koreanTime}));
    timingLayout->addLayout(
        row({label("전송범위", timing), rangeFrom, label("부터", timing), rangeTo, label("까지", timing)}));
    timingLayout->addLayout(row({splitOn, splitCount, label("개단위", timing), splitMinutes,
                                 unitOf("분단위", splitMinutes, timing)}));
    timingLayout->addLayout(row({dedup, selfReject, rejectLists}));
    return timing;
}

// Loading the recipients.
QGroupBox* SendFormControls::buildLoadingGroup(QWidget* panel) {
    QGroupBox* loading = group("수신번호 불러오기", panel);
    directEntry = button("직접입력", "directEntry", loading);
    textFile = button("텍스트화일", "textFile", loading);
    delimiterList = combo("delimiterList", 96, loading);
    delimiterField = field("delimiterField", 60, loading);
    encodingList = combo("encodingList", 76, loading);
    excelFile = button("엑셀화일", "excelFile", loading);
    sheetChooser = combo("sheetChooser", 120, loading);
    sheetName = field("sheetName", 120, loading);
    sheetName->setReadOnly(true);
    ownName(delimiterField, u("구분자 직접입력"));
    ownName(sheetName, u("시트 이름"));
    for (QPushButton* b : {directEntry, textFile, excelFile})
        b->setFixedWidth(84);
    auto* loadingLayout = new QVBoxLayout(loading);
    loadingLayout->setContentsMargins(6, 4, 6, 4);
    loadingLayout->setSpacing(3);
    loadingLayout->addLayout(
        row({directEntry, textFile, labelFor("구분자", delimiterList, loading), delimiterList, delimiterField,
             labelFor("인코딩", encodingList, loading), encodingList}));
    auto* excelRow = row({excelFile}, false);
    excelRow->addSpacing(84 + 4);
    excelRow->addLayout(row({labelFor("시트", sheetChooser, loading), sheetChooser, sheetName}));
    loadingLayout->addLayout(excelRow);
    return loading;
}

QWidget* SendFormControls::buildActionRow(QWidget* view) {
    auto* bar = new QWidget(view);
    numberColumn = combo("numberColumn", 120, bar);
    ownName(numberColumn, u("수신번호열"));
    deleteRows = button("행삭제", "deleteRows", bar);
    preview = button("발송데이터 미리보기", "preview", bar);
    saveExcluded = button("제외된 행 저장", "saveExcluded", bar);
    saveExcluded->setEnabled(false);
    send = button("전송하기", "send", bar);
    stopSend = button("전송중지", "stopSend", bar);
    stopSend->setEnabled(false);
    resetForm = button("전송초기화", "resetForm", bar);
    send->setMinimumWidth(96);
    QFont bold = send->font();
    bold.setBold(true);
    send->setFont(bold);
    for (QPushButton* b : {preview, send, stopSend, resetForm})
        b->setMinimumHeight(30);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(numberColumn);
    layout->addWidget(deleteRows);
    layout->addStretch();
    layout->addWidget(preview);
    layout->addWidget(saveExcluded);
    layout->addWidget(send);
    layout->addWidget(stopSend);
    layout->addWidget(resetForm);
    return bar;
}

} // namespace qb
