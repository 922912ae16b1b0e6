#pragma once

#include "send/RejectListModel.h"

#include <QDialog>

#include <optional>

class QTableWidget;

namespace qb {

class Notifier;

// "수신거부 목록": the user's reject files, which of them apply, and the buttons
// "추가", "삭제", "적용", "닫기". Nothing is written before "적용".
class RejectListDialog : public QDialog {
    Q_OBJECT

public:
    RejectListDialog(RejectTable table, Notifier& notifier, QWidget* parent = nullptr);

    QTableWidget* list() const { return m_list; }
    const RejectListModel& model() const { return m_model; }
    // The total of the applied files after "적용"; nullopt otherwise.
    std::optional<long long> appliedTotal() const { return m_appliedTotal; }

    void add();
    void removeSelected();
    void apply();

private:
    void showRows();

    RejectListModel m_model;
    Notifier& m_notifier;
    QTableWidget* m_list = nullptr;
    std::optional<long long> m_appliedTotal;
};

} // namespace qb
