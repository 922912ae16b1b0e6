#pragma once

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;

// The send form's controls, laid out once by build() and then only filled in by
// the view. Object names are what the widget tests look for.
namespace qb {

class CGridCtrl;
class RecipientTable;

struct SendFormControls {
    // Lays out every control inside `view`; the grid reads `table`.
    void build(QWidget* view, const RecipientTable& table);

    // Message
    QButtonGroup* kinds = nullptr;
    QRadioButton* kindButtons[3] = {};
    QCheckBox* adSwitch = nullptr;     // "광고"
    QPushButton* adInsert = nullptr;   // "광고 문구 넣기"
    QPushButton* adSettings = nullptr; // "광고 설정"
    QPlainTextEdit* smsBox = nullptr;
    QLabel* smsCounter = nullptr;
    QPushButton* saveMessage = nullptr;
    QPushButton* loadMessage = nullptr;
    QPushButton* specialChars = nullptr;
    QCheckBox* mergeOn[4] = {};
    QComboBox* mergeColumn[4] = {};

    // Callback number and balance
    QComboBox* callbackBox = nullptr;
    QPushButton* manageCallbacks = nullptr;
    QLabel* balanceValue = nullptr;
    QLabel* prices = nullptr;
    QLabel* counts = nullptr;
    QPushButton* refreshBalance = nullptr;

    // Reservation, range, split, filters
    QRadioButton* immediate = nullptr;
    QRadioButton* reserved = nullptr;
    QDateEdit* reservationDate = nullptr;
    QComboBox* reservationHour = nullptr;
    QComboBox* reservationMinute = nullptr;
    QLabel* koreanTime = nullptr; // shown when the machine's clock is not on Korean time
    QLineEdit* rangeFrom = nullptr;
    QLineEdit* rangeTo = nullptr;
    QCheckBox* splitOn = nullptr;
    QLineEdit* splitCount = nullptr;
    QComboBox* splitMinutes = nullptr;
    QCheckBox* dedup = nullptr;
    QCheckBox* selfReject = nullptr;
    QPushButton* rejectLists = nullptr;

    // Loading
    QPushButton* directEntry = nullptr;
    QPushButton* textFile = nullptr;
    QComboBox* delimiterList = nullptr;
    QLineEdit* delimiterField = nullptr;
    QComboBox* encodingList = nullptr;
    QPushButton* excelFile = nullptr;
    QComboBox* sheetChooser = nullptr;
    QLineEdit* sheetName = nullptr;
    QComboBox* numberColumn = nullptr;
    QPushButton* deleteRows = nullptr;

    // Sending
    QPushButton* preview = nullptr;
    QPushButton* saveExcluded = nullptr; // "제외된 행 저장": what the preview left out
    QPushButton* send = nullptr;
    QPushButton* stopSend = nullptr;
    QPushButton* resetForm = nullptr;
    QProgressBar* progressBar = nullptr;
    CGridCtrl* grid = nullptr;

private:
    void setTabOrder();
    QWidget* buildMessagePanel(QWidget* view);
    QWidget* buildSettingsPanel(QWidget* view);
    QGroupBox* buildSenderGroup(QWidget* panel);
    QGroupBox* buildTimingGroup(QWidget* view, QWidget* panel);
    QGroupBox* buildLoadingGroup(QWidget* panel);
    QWidget* buildActionRow(QWidget* view);
};

} // namespace qb
