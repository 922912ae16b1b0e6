#pragma once

#include "app/ServiceConfig.h"
#include "frame/SendFormPanel.h"
#include "net/SendJob.h"
#include "net/SendJobHost.h"
#include "send/SendForm.h"
#include "send/ui/BarProgress.h"
#include "send/ui/FormWidgetDialogs.h"
#include "send/ui/PlaceholderEditorWindows.h"
#include "web/CallbackNumbers.h"
#include "web/SavedMessageBox.h"
#include "web/WebClient.h"

#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace qb {

class CGridCtrl;
struct LoginState;

// What the send form takes from the main window.
struct SendViewContext {
    Notifier& notifier;        // the window's message boxes
    LoginState& login;         // read by everything, written by a send's check reply
    SendSettings& settings;    // filled by validation, read by the transmission
    std::string& transferText; // written by "직접입력" and the address book
    std::string workingFolder;
    ServiceConfig service; // the message server's send port, the web application
    // "적용" in the reject list dialog while logged in: the title's new count.
    std::function<void(long long)> rejectTotalApplied;
};

// View 101, the send form: the message, the callback number and balance line,
// reservation, range and split, the loading buttons, the recipient grid and the
// send buttons. It shows SendForm's state and forwards every action to it; after
// each action it shows the state again.
class CQuillbank2View : public QWidget, public SendFormPanel, public SendJobHost, private SavedMessageTarget {
    Q_OBJECT

public:
    explicit CQuillbank2View(SendViewContext context, QWidget* parent = nullptr);
    ~CQuillbank2View() override;

    SendForm& form() { return *m_form; }
    const SendForm& form() const { return *m_form; }
    CGridCtrl* grid() const { return m_grid; }
    PlaceholderEditorWindows& editorWindows() { return m_editors; }
    const BalanceLine& balance() const { return m_balance; }

    SendJob& sendJob() { return *m_job; }

    // SendFormPanel
    void refreshBalance() override;
    void reloadCallbackNumbers() override;
    void clearBalanceAndCallbacks() override;
    void loadTransferredEntries(const std::string& transferText) override;
    void closeEditorWindows() override;
    void followMainWindow(int right, int top) override;
    bool sendRunning() const override { return m_sending; }

    // SendJobHost (refreshBalance above serves both)
    void sendRunningChanged(bool running) override;

    // Shows the form's state in every control.
    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class FormNotifier;

    void buildControls();
    QWidget* buildMessagePanel();
    QWidget* buildSettingsPanel();
    QWidget* buildActionRow();
    void connectControls();
    // Runs a handler of the form and shows the result.
    void run(const std::function<void()>& handler);
    void showChooser(QComboBox* box, const Chooser& chooser);
    void showItems(QComboBox* box, const std::vector<std::string>& items);

    void onSmsTextChanged();
    void openDirectEntry();
    void openRejectLists();
    void openCallbackManager();
    void openSavedMessages();
    void saveMessage();
    void returnToSms();

    // SavedMessageTarget
    void takeSavedMessage(const SelectedMessage& message) override;

    SendViewContext m_context;
    std::unique_ptr<FormNotifier> m_notifier;
    WebClient m_web;
    FormWidgetDialogs m_dialogs;
    PlaceholderEditorWindows m_editors;
    std::unique_ptr<SendForm> m_form;
    std::unique_ptr<SendJob> m_job; // declared after the form: it goes first
    BalanceLine m_balance;
    bool m_refreshing = false;
    bool m_sending = false;
    bool m_returnToSmsAfterSend = false;
    std::map<const QComboBox*, std::vector<std::string>> m_shownItems;

    // Message
    QButtonGroup* m_kinds = nullptr;
    QRadioButton* m_kindButtons[3] = {};
    QPlainTextEdit* m_smsBox = nullptr;
    QLabel* m_smsCounter = nullptr;
    QPushButton* m_saveMessage = nullptr;
    QPushButton* m_loadMessage = nullptr;
    QCheckBox* m_mergeOn[4] = {};
    QComboBox* m_mergeColumn[4] = {};

    // Callback number and balance
    QComboBox* m_callbackBox = nullptr;
    QPushButton* m_manageCallbacks = nullptr;
    QLabel* m_balanceValue = nullptr;
    QLabel* m_prices = nullptr;
    QLabel* m_counts = nullptr;
    QPushButton* m_refreshBalance = nullptr;

    // Reservation, range, split, filters
    QRadioButton* m_immediate = nullptr;
    QRadioButton* m_reserved = nullptr;
    QDateEdit* m_reservationDate = nullptr;
    QComboBox* m_reservationHour = nullptr;
    QComboBox* m_reservationMinute = nullptr;
    QLineEdit* m_rangeFrom = nullptr;
    QLineEdit* m_rangeTo = nullptr;
    QCheckBox* m_splitOn = nullptr;
    QLineEdit* m_splitCount = nullptr;
    QComboBox* m_splitMinutes = nullptr;
    QCheckBox* m_dedup = nullptr;
    QCheckBox* m_selfReject = nullptr;
    QPushButton* m_rejectLists = nullptr;

    // Loading
    QPushButton* m_directEntry = nullptr;
    QPushButton* m_textFile = nullptr;
    QComboBox* m_delimiterList = nullptr;
    QLineEdit* m_delimiterField = nullptr;
    QPushButton* m_excelFile = nullptr;
    QComboBox* m_sheetChooser = nullptr;
    QLineEdit* m_sheetName = nullptr;
    QComboBox* m_numberColumn = nullptr;
    QPushButton* m_deleteRows = nullptr;

    // Sending
    QPushButton* m_preview = nullptr;
    QPushButton* m_send = nullptr;
    QPushButton* m_resetForm = nullptr;
    QProgressBar* m_progressBar = nullptr;
    BarProgress m_progress;     // imports and validation: lets the window repaint
    BarProgress m_sendProgress; // the job returns to the event loop by itself
    CGridCtrl* m_grid = nullptr;
};

} // namespace qb
