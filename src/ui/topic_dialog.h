#pragma once
// The spawn dialog (window 1), "Enter Topic Title ...": a title field of at most 24 characters,
// "Create sticky topic", "Announce" (Return) and "Cancel" (Escape), and a status line that starts
// with "Ready to roll.". Announce hands the typed title to the caller; a refusal is shown in the
// status line, the dialog flashes and stays open; otherwise it closes.
//
// Thread: GUI thread only.

#include <QDialog>
#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace talvoro::ui {

class TopicDialog : public QDialog {
    Q_OBJECT
  public:
    // Receives the typed title (Windows-1252) and the sticky flag; returns the refusal text, or
    // an empty text when the topic was announced.
    using Announce = std::function<std::string(const std::string& typed, bool sticky)>;

    TopicDialog(QWidget* parent, bool balloonTips, Announce announce);

    QLineEdit& TitleField() { return *title_; }
    QCheckBox& StickyBox() { return *sticky_; }
    QLabel& StatusLine() { return *status_; }
    QPushButton& AnnounceButton() { return *announceButton_; }

  private:
    void OnAnnounce();

    Announce announce_;
    QLineEdit* title_;
    QCheckBox* sticky_;
    QLabel* status_;
    QPushButton* announceButton_;
};

}  // namespace talvoro::ui
