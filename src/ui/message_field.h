#pragma once
// The message field (control 2): a multi-line text field of at most 980 characters. Return or
// Enter with no modifier held asks to send; Shift+Return inserts a line break. Other keys with
// modifiers (Alt+letter, Ctrl+E, ...) are left to the window's shortcuts.
//
// Thread: GUI thread only.

#include <QPlainTextEdit>
#include <functional>

namespace talvoro::ui {

class MessageField : public QPlainTextEdit {
    Q_OBJECT
  public:
    static constexpr int kMaxLength = 980;

    explicit MessageField(QWidget* parent = nullptr);

    // Called when Return or Enter is pressed without Shift, Ctrl or Alt.
    void SetSendHandler(std::function<void()> handler) { onSend_ = std::move(handler); }

    // Replaces the text (cut to the limit) and puts the caret at its end.
    void SetText(const QString& text);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void EnforceLimit(int position, int added);

    std::function<void()> onSend_;
    bool limiting_ = false;
};

}  // namespace talvoro::ui
