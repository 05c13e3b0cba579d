#include "ui/open_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <vector>

namespace talvoro::ui {

namespace {

// Popup menus and modal windows are stacked; a window that refuses to close must not keep this
// loop going.
constexpr int kMaxRounds = 16;

}  // namespace

void EndOpenDialogs() {
    for (int round = 0; round < kMaxRounds; ++round) {
        QWidget* popup = QApplication::activePopupWidget();
        if (popup == nullptr) {
            break;
        }
        popup->close();
    }
    std::vector<QPointer<QDialog>> dialogs;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog != nullptr) {
            dialogs.emplace_back(dialog);
        }
    }
    for (const QPointer<QDialog>& pointer : dialogs) {
        QDialog* dialog = pointer.data();  // null when an earlier one took it along
        if (dialog != nullptr && dialog->isVisible()) {
            dialog->done(QDialog::Rejected);  // also ends the dialog's own event loop
        }
    }
    for (int round = 0; round < kMaxRounds; ++round) {
        QWidget* modal = QApplication::activeModalWidget();  // a modal window that is no dialog
        if (modal == nullptr) {
            break;
        }
        modal->close();
    }
}

}  // namespace talvoro::ui
