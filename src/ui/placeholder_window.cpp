#include "ui/placeholder_window.h"

namespace talvoro::ui {

PlaceholderWindow::PlaceholderWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Talvoro"));
}

}  // namespace talvoro::ui
