#pragma once

#include <QAbstractItemView>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <vector>

class QBoxLayout;
class QDialog;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QWidget;

// The pieces the list dialogs share (reject lists, callback numbers): a table of
// rows with a tick box in the first column, and a row of buttons under it.
namespace qb {

// Fixed-height rows, no editing, whole rows selected; `widths` per column.
QTableWidget* newTickList(QWidget* parent, const char* objectName, const QStringList& headers,
                          const std::vector<int>& widths, QAbstractItemView::SelectionMode selection);

// A cell of such a list; `tick` gives it a tick box (the first column).
QTableWidgetItem* newListItem(const QString& text, bool tick = false, bool ticked = false);

// Called with the row whose tick box the user changed; rows are filled with the
// list's signals blocked, so only the user's clicks arrive here.
void onTickChanged(QTableWidget* list, QObject* context, std::function<void(int row, bool ticked)> changed);

// A dialog button that Enter does not press.
QPushButton* newDialogButton(const char* textUtf8, const char* objectName, QWidget* parent);

// The list above the buttons: `left` at the left edge, `right` at the right.
void layOutListDialog(QDialog* dialog, QTableWidget* list, std::initializer_list<QPushButton*> left,
                      std::initializer_list<QPushButton*> right);

} // namespace qb
