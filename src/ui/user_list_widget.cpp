#include "ui/user_list_widget.h"

#include <QHeaderView>

#include "ui/code_page_text.h"
#include "ui/color_ref.h"
#include "ui/images.h"

namespace talvoro::ui {

namespace {
constexpr int kNameColumn = 0;
constexpr int kIdColumn = 1;
constexpr int kNameColumnWidth = 136;
}  // namespace

UserListWidget::UserListWidget(const ImageStore& images, QWidget* parent)
    : QTreeWidget(parent), images_(images) {
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Users Online"), QStringLiteral("ID")});
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setIconSize(QSize(16, 16));
    header()->setSectionsClickable(false);
    header()->setStretchLastSection(false);
    setColumnWidth(kNameColumn, kNameColumnWidth);
    setColumnHidden(kIdColumn, true);
    setObjectName(QStringLiteral("userList"));

    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!rebuilding_ && onSelection_) {
            onSelection_(SelectedRow());
        }
    });
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        if (!rebuilding_ && onDoubleClick_ && item != nullptr) {
            onDoubleClick_(indexOfTopLevelItem(item));
        }
    });
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (!rebuilding_ && onTick_ && item != nullptr && column == kNameColumn) {
            onTick_(indexOfTopLevelItem(item), item->checkState(kNameColumn) == Qt::Checked);
        }
    });
}

void UserListWidget::SetUserColors(bool on) {
    userColors_ = on;
}

void UserListWidget::ShowRows(std::span<const chat::UserRow> rows, int selectedRow) {
    rebuilding_ = true;
    clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const chat::UserRow& row : rows) {
        auto* item = new QTreeWidgetItem();  // handed to the tree below
        item->setText(kNameColumn, ToQt(row.name));
        item->setText(kIdColumn, QString::number(row.id));
        item->setIcon(kNameColumn, images_.Icon(static_cast<int>(row.icon)));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(kNameColumn, row.ticked ? Qt::Checked : Qt::Unchecked);
        ApplyRowColor(*item, row);
        items.append(item);
    }
    addTopLevelItems(items);
    if (selectedRow >= 0 && selectedRow < topLevelItemCount()) {
        setCurrentItem(topLevelItem(selectedRow));
    }
    rebuilding_ = false;
}

void UserListWidget::ApplyRowColor(QTreeWidgetItem& item, const chat::UserRow& row) const {
    if (!userColors_) {
        return;
    }
    const QColor colour = row.grey ? palette().color(QPalette::Disabled, QPalette::Text)
                                   : QColorFromColorRef(row.color);
    item.setForeground(kNameColumn, colour);
    item.setForeground(kIdColumn, colour);
}

int UserListWidget::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.front());
}

bool UserListWidget::IsTicked(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr && item->checkState(kNameColumn) == Qt::Checked;
}

QRect UserListWidget::RowsArea() const {
    return viewport()->geometry();
}

}  // namespace talvoro::ui
