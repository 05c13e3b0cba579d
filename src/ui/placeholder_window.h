#pragma once
// A bare main window titled "Talvoro" that stands in for the real one until the logon step and the
// main window exist. GUI thread.

#include <QMainWindow>

namespace talvoro::ui {

class PlaceholderWindow : public QMainWindow {
  public:
    explicit PlaceholderWindow(QWidget* parent = nullptr);
};

}  // namespace talvoro::ui
