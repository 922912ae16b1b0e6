#include "send/ui/CGridCtrl.h"

#include "send/ui/RecipientItemModel.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QInputEvent>
#include <QProxyStyle>
#include <QToolTip>

namespace qb {
namespace {

class GridStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_Table_GridLineColor)
            return static_cast<int>(qRgb(192, 192, 192));
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

CGridCtrl::CGridCtrl(const RecipientTable& table, QWidget* parent)
    : QTableView(parent), m_table(table), m_model(new RecipientItemModel(table, this)) {
    setObjectName("grid");
    auto* style = new GridStyle;
    style->setParent(this);
    setStyle(style);
    setModel(m_model);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // One block (see selectionCommand).
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One Tab stop: Tab goes on to the next control, arrows move between cells.
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // Row heights are never measured: a measured million rows takes most of a minute.
    QHeaderView* rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
    rows->hide(); // column 0 holds the row numbers

    QHeaderView* columns = horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setDefaultSectionSize(kDefaultColumnWidth);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setHighlightSections(false);
    columns->setFixedHeight(fontMetrics().height() + 8);
    applyColumnWidths(true);
}

void CGridCtrl::sync() {
    const bool reset = m_model->sync();
    applyColumnWidths(reset);
}

void CGridCtrl::applyColumnWidths(bool force) {
    std::vector<int> widths(static_cast<std::size_t>(m_model->columnCount()));
    for (std::size_t c = 0; c < widths.size(); ++c)
        widths[c] = m_table.columnWidth(static_cast<int>(c));
    // Widths the user dragged stay until the form sets new ones or reloads.
    if (!force && widths == m_appliedWidths)
        return;
    m_appliedWidths = widths;
    for (std::size_t c = 0; c < widths.size(); ++c) {
        int w = widths[c];
        if (w < 0)
            w = c == 0 ? kRowNumberWidth : kDefaultColumnWidth;
        setColumnWidth(static_cast<int>(c), w);
    }
}

CellRange CGridCtrl::selectedRange() const {
    CellRange range;
    if (!selectionModel())
        return range;
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange& r : selection) {
        if (!r.isValid())
            continue;
        const int top = r.top() + 1, bottom = r.bottom() + 1;
        if (range.minRow < 0) {
            range = {top, r.left(), bottom, r.right()};
            continue;
        }
        range.minRow = std::min(range.minRow, top);
        range.minCol = std::min(range.minCol, r.left());
        range.maxRow = std::max(range.maxRow, bottom);
        range.maxCol = std::max(range.maxCol, r.right());
    }
    return range;
}

QString CGridCtrl::tipTextAt(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return {};
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
        return {};
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    if (fontMetrics().horizontalAdvance(text) + 2 * margin <= visualRect(index).width())
        return {};
    return ' ' + text + ' ';
}

bool CGridCtrl::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QTableView::viewportEvent(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = tipTextAt(help->pos());
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        const QRect cell = visualRect(indexAt(help->pos()));
        QToolTip::showText(help->globalPos(), tip, viewport(), cell);
    }
    return true;
}

QItemSelectionModel::SelectionFlags CGridCtrl::selectionCommand(const QModelIndex& index,
                                                                const QEvent* event) const {
    QItemSelectionModel::SelectionFlags flags = QTableView::selectionCommand(index, event);
    // "행삭제" takes the rows from the first to the last selected: a Ctrl-click
    // starts a new block instead of adding one with unselected rows between.
    const auto* input = dynamic_cast<const QInputEvent*>(event);
    if (input && (input->modifiers() & Qt::ControlModifier) && !(input->modifiers() & Qt::ShiftModifier) &&
        (flags & (QItemSelectionModel::Select | QItemSelectionModel::Toggle)))
        flags = QItemSelectionModel::ClearAndSelect;
    // The row-number column picks whole rows, as a row header would.
    if (index.isValid() && index.column() == 0 && flags != QItemSelectionModel::NoUpdate)
        flags |= QItemSelectionModel::Rows;
    return flags;
}

} // namespace qb
