#pragma once

#include "web/CallbackNumbers.h"

#include <QDialog>

class QTableWidget;

namespace qb {

class WebClient;

// "회신번호관리": the registered callback numbers with their dates; the ticked ones
// can be deleted. The list is read afresh every time the dialog opens.
class CallbackNumberDialog : public QDialog {
    Q_OBJECT

public:
    CallbackNumberDialog(WebClient& web, QWidget* parent = nullptr);

    QTableWidget* list() const { return m_list; }
    const CallbackList& callbacks() const { return m_callbacks; }
    void deleteTicked();

private:
    void showRows();

    CallbackList m_callbacks;
    QTableWidget* m_list = nullptr;
};

} // namespace qb
