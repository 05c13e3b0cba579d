#pragma once
// The "Users Online" list (control 3): one row per user with a check box (member of the private
// group), the row icon, the name, and the network id in a hidden second column. Single selection
// of whole rows. With user colours on, each row's text has the user's colour, or the grey-text
// colour while the user is away.
//
// Thread: GUI thread only. Names are Windows-1252 bytes and are converted here.

#include <QTreeWidget>
#include <functional>
#include <span>

#include "chat/view_port.h"

namespace talvoro::ui {

class ImageStore;

class UserListWidget : public QTreeWidget {
    Q_OBJECT
  public:
    using RowHandler = std::function<void(int row)>;
    using TickHandler = std::function<void(int row, bool ticked)>;

    explicit UserListWidget(const ImageStore& images, QWidget* parent = nullptr);

    // Whether rows take the users' colours (preference "ListUserColors").
    void SetUserColors(bool on);
    // Rebuilds the rows and selects `selectedRow` (-1: none). Reports no selection or tick
    // change to the handlers (the caller already knows).
    void ShowRows(std::span<const chat::UserRow> rows, int selectedRow);

    // The selected row position, -1 when none.
    int SelectedRow() const;
    bool IsTicked(int row) const;
    int RowCount() const { return topLevelItemCount(); }
    // The rows area (below the header) in this widget's coordinates.
    QRect RowsArea() const;

    // The user selected another row (mouse or keyboard).
    void SetSelectionHandler(RowHandler handler) { onSelection_ = std::move(handler); }
    // The user double-clicked a row.
    void SetDoubleClickHandler(RowHandler handler) { onDoubleClick_ = std::move(handler); }
    // The user ticked or unticked a row's check box.
    void SetTickHandler(TickHandler handler) { onTick_ = std::move(handler); }

  private:
    void ApplyRowColor(QTreeWidgetItem& item, const chat::UserRow& row) const;

    const ImageStore& images_;
    bool userColors_ = true;
    bool rebuilding_ = false;
    RowHandler onSelection_;
    RowHandler onDoubleClick_;
    TickHandler onTick_;
};

}  // namespace talvoro::ui
