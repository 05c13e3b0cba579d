#pragma once
// One read-only chat text view (the text of one tab): renders the runs of a core chat document
// with their colour, weight, font face and size. New runs are appended at the end without moving
// the user's selection and without scrolling; whether the view follows new text is the core's
// decision (ScrollToEnd).
//
// Thread: GUI thread only. Run text is Windows-1252 bytes and is converted here.

#include <QTextEdit>
#include <cstddef>

#include "chat/chat_document.h"

namespace talvoro::ui {

class ChatViewWidget : public QTextEdit {
    Q_OBJECT
  public:
    ChatViewWidget(int viewNumber, QWidget* parent = nullptr);

    int ViewNumber() const { return viewNumber_; }

    // Appends runs [firstNew, end) of `content`. A firstNew beyond the runs appends nothing.
    void AppendRuns(const chat::ChatDocument& content, std::size_t firstNew);
    // Replaces the whole text with `content`.
    void ShowDocument(const chat::ChatDocument& content);
    // Scrolls so that the last line is visible.
    void ScrollToEnd();
    // Whether the view shows its last line.
    bool AtEnd() const;

    // The Private Group view has its own background (red 255, green 228, blue 228); other views
    // use the system's window colour.
    void SetPrivateBackground(bool isPrivate);

  private:
    void AppendRun(const chat::TextRun& run);

    int viewNumber_;
};

}  // namespace talvoro::ui
