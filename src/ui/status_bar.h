#pragma once
// The four-field status bar: connection time, number of received messages, users online and the
// last important server message (with the status icon), 130, 120, 60 and 1000 pixels wide.
//
// Thread: GUI thread only.

#include <QStatusBar>
#include <array>

#include "chat/chat_ids.h"

class QLabel;

namespace talvoro::ui {

class ImageStore;

class StatusBar : public QStatusBar {
    Q_OBJECT
  public:
    static constexpr std::array<int, 4> kFieldWidths = {130, 120, 60, 1000};

    explicit StatusBar(const ImageStore& images, QWidget* parent = nullptr);

    // Repaints the field only when its text changes.
    void SetField(chat::StatusField field, const QString& text);
    QString Field(chat::StatusField field) const;

  private:
    std::array<QLabel*, 4> fields_{};  // owned by the status bar
};

}  // namespace talvoro::ui
