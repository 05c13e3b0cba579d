#include "ui/dialog_host.h"

#include <QDialog>
#include <QPointer>
#include <QWindow>

namespace talvoro::ui {

void ShowOverDisabledMain(QWidget& main, QDialog& dialog) {
    main.setEnabled(false);
    const QRect frame = main.isVisible() ? main.frameGeometry() : main.geometry();
    dialog.move(frame.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
    QObject::connect(&dialog, &QDialog::finished, &dialog, &QObject::deleteLater);
    QObject::connect(&dialog, &QObject::destroyed, &main, [&main] {
        main.setEnabled(true);
        main.activateWindow();
    });
    // A dialog still open when the main window goes (the program ends) goes with it.
    QObject::connect(&main, &QObject::destroyed, &dialog,
                     [guard = QPointer<QDialog>(&dialog)] { delete guard.data(); });
    dialog.show();
    if (main.windowHandle() != nullptr && dialog.windowHandle() != nullptr) {
        dialog.windowHandle()->setTransientParent(main.windowHandle());
    }
}

}  // namespace talvoro::ui
