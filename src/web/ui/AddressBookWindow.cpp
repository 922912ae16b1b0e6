#include "web/ui/AddressBookWindow.h"

#include "common/QtText.h"
#include "web/ui/AddressBookDialogs.h"
#include "web/ui/AddressItemModel.h"
#include "web/ui/AddressRegisterDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qb {

// Every message of the window's work goes through here: the tree and the list
// show the state first, so the box talks about what is behind it.
AddressBookWindow::AddressBookWindow(const LoginState& login, Notifier& notifier, const WebHost& host,
                                     std::string& transferText, long long& handOverTotal, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_notifier([this] { refresh(); }, notifier), m_web(login, m_notifier, host),
      m_model(m_web, transferText, handOverTotal), m_tree(new QTreeWidget(this)),
      m_list(new QTableView(this)), m_listModel(new AddressItemModel(m_model.table(), this)),
      m_input(new QPushButton(QString::fromUtf8("입력"), this)),
      m_close(new QPushButton(QString::fromUtf8("닫기"), this)) {
    setObjectName("addressBook");
    setWindowTitle(QString::fromUtf8(":::: 주소록"));

    m_tree->setObjectName("groupTree");
    m_tree->setAccessibleName(QString::fromUtf8("주소록 그룹"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->setMinimumWidth(170);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!item)
            return;
        m_model.selectItem(item->data(0, Qt::UserRole).toInt());
        afterAction();
    });
    connect(m_tree, &QTreeWidget::customContextMenuRequested, this, &AddressBookWindow::showContextMenu);

    buildList();

    m_input->setObjectName("input");
    m_close->setObjectName("close");
    for (QPushButton* b : {m_input, m_close}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(90);
    }
    connect(m_input, &QPushButton::clicked, this, &AddressBookWindow::handOver);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    auto* treePane = new QVBoxLayout;
    treePane->addWidget(m_tree, 1);
    treePane->addLayout(buildTreeButtons());
    auto* panes = new QHBoxLayout;
    panes->setSpacing(6);
    panes->addLayout(treePane);
    panes->addWidget(m_list, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_input);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(panes, 1);
    layout->addLayout(buttons);
    resize(960, 560);
}

AddressBookWindow::~AddressBookWindow() {
    // The model goes before the child widgets: nothing of theirs may reach it.
    m_tree->blockSignals(true);
    m_list->setModel(nullptr);
}

void AddressBookWindow::buildList() {
    m_list->setObjectName("entryList");
    m_list->setAccessibleName(QString::fromUtf8("주소록 목록"));
    m_list->setHorizontalHeader(new TickAllHeader(m_list));
    m_list->setModel(m_listModel);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(true);
    m_list->setWordWrap(false);
    m_list->setCornerButtonEnabled(false);
    // Rows are never measured: a hundred thousand of them lay out as fast as ten.
    QHeaderView* rows = m_list->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView* header = m_list->horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    const auto& columns = addressColumns();
    for (int c = 0; c < static_cast<int>(columns.size()); ++c)
        m_list->setColumnWidth(c, columns[static_cast<std::size_t>(c)].width);
    connect(header, &QHeaderView::sectionClicked, this, &AddressBookWindow::headerClicked);
    connect(m_list, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { modifyRow(index.row()); });
}

QLayout* AddressBookWindow::buildTreeButtons() {
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    const auto button = [&](const char* text, const char* name, void (AddressBookWindow::*act)()) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setEnabled(false);
        connect(b, &QPushButton::clicked, this, act);
        row->addWidget(b);
        return b;
    };
    m_addGroup = button("그룹추가", "addGroup", &AddressBookWindow::newGroup);
    m_addEntry = button("추가", "addEntry", &AddressBookWindow::registerEntries);
    m_import = button("가져오기", "importFile", &AddressBookWindow::importFile);
    return row;
}

bool AddressBookWindow::run() {
    setWindowModality(Qt::ApplicationModal);
    show();
    const bool opened = m_model.open();
    refresh();
    if (!opened) {
        hide();
        return false;
    }
    exec();
    return true;
}

QTreeWidgetItem* AddressBookWindow::treeItem(int item) const {
    QTreeWidgetItem* root = m_tree->topLevelItem(0);
    if (!root || item < AddressBookModel::kRoot)
        return nullptr;
    return item == AddressBookModel::kRoot ? root : root->child(item - 1);
}

void AddressBookWindow::refresh() {
    const QSignalBlocker block(m_tree);
    if (m_shownTree != m_model.treeRevision()) {
        m_shownTree = m_model.treeRevision();
        m_tree->clear();
        const QIcon folder = style()->standardIcon(QStyle::SP_DirIcon);
        auto* root = new QTreeWidgetItem(m_tree, {toQString(m_model.treeText(AddressBookModel::kRoot))});
        root->setData(0, Qt::UserRole, AddressBookModel::kRoot);
        root->setIcon(0, style()->standardIcon(QStyle::SP_DriveNetIcon));
        for (int i = 1; i < m_model.treeItemCount(); ++i) {
            auto* group = new QTreeWidgetItem(root, {toQString(m_model.treeText(i))});
            group->setData(0, Qt::UserRole, i);
            group->setIcon(0, folder);
        }
        root->setExpanded(true);
    }
    QTreeWidgetItem* selected = treeItem(m_model.selectedItem());
    if (m_tree->currentItem() != selected) {
        m_tree->setCurrentItem(selected);
        if (!selected)
            m_tree->clearSelection();
    }
    m_listModel->sync();
    m_list->horizontalHeader()->viewport()->update();
    using Item = AddressBookModel::MenuItem;
    m_addGroup->setEnabled(m_model.offers(Item::NewGroup));
    m_addEntry->setEnabled(m_model.offers(Item::Register));
    m_import->setEnabled(m_model.offers(Item::Register));
}

void AddressBookWindow::afterAction() {
    refresh();
    if (m_model.closing())
        reject();
}

std::unique_ptr<QMenu> AddressBookWindow::menuFor(int item) {
    auto menu = std::make_unique<QMenu>(this);
    for (const AddressBookModel::MenuItem m : AddressBookModel::menuFor(item)) {
        QAction* a = menu->addAction(toQString(AddressBookModel::menuText(m)));
        connect(a, &QAction::triggered, this, [this, m] { runMenuItem(m); });
    }
    return menu;
}

void AddressBookWindow::runMenuItem(AddressBookModel::MenuItem item) {
    switch (item) {
    case AddressBookModel::MenuItem::NewGroup:
        return newGroup();
    case AddressBookModel::MenuItem::Register:
        return registerEntries();
    case AddressBookModel::MenuItem::Move:
        return moveTicked();
    case AddressBookModel::MenuItem::Delete:
        return deleteTicked();
    }
}

void AddressBookWindow::showContextMenu(const QPoint& pos) {
    QTreeWidgetItem* item = m_tree->itemAt(pos);
    if (!item)
        return;
    m_tree->setCurrentItem(item);
    const std::unique_ptr<QMenu> menu = menuFor(item->data(0, Qt::UserRole).toInt());
    if (!menu->isEmpty())
        menu->exec(m_tree->viewport()->mapToGlobal(pos));
}

void AddressBookWindow::newGroup() {
    AddressGroupDialog dialog(m_model, this);
    dialog.exec();
    afterAction();
}

void AddressBookWindow::registerEntries() {
    AddressRegisterDialog dialog(m_model, this);
    dialog.exec();
    afterAction();
}

void AddressBookWindow::importFile() {
    // The register dialog's own import, without showing its ten empty rows.
    AddressRegisterDialog dialog(m_model, this);
    dialog.importFile();
    afterAction();
}

void AddressBookWindow::moveTicked() {
    if (m_model.startMove()) {
        AddressMoveDialog dialog(m_model, this);
        if (dialog.exec() == QDialog::Accepted)
            m_model.moveTicked(dialog.target());
    }
    afterAction();
}

void AddressBookWindow::deleteTicked() {
    m_model.deleteTicked();
    afterAction();
}

void AddressBookWindow::modifyRow(int row) {
    if (row < 0)
        return;
    if (const auto target = m_model.modifyTarget(static_cast<std::size_t>(row))) {
        AddressModifyDialog dialog(m_model, *target, this);
        dialog.exec();
    }
    afterAction();
}

void AddressBookWindow::handOver() {
    m_model.handOver();
    afterAction();
}

void AddressBookWindow::headerClicked(int section) {
    if (section == AddressBookTable::Tick)
        m_model.table().toggleAll();
    else
        m_model.table().sortBy(section);
    afterAction();
}

} // namespace qb
