#pragma once
// One read-only chat text view (the text of one tab): renders the runs of a core chat document
// with their colour, weight, font face and size. New runs are appended at the end without moving
// the user's selection and without scrolling; whether the view follows new text is the core's
// decision (ScrollToEnd).
//
// Appended runs are drawn together: the first run after a quiet spell goes in on the next pass
// of the event loop, and while text keeps arriving, at most once every kDrawIntervalMs. A busy
// chat thus costs one layout and one repaint per interval instead of one per run, and the text
// shows at most that much later. Whoever reads the document and must see every run appended so
// far calls Flush() first.
//
// Thread: GUI thread only. Run text is Windows-1252 bytes and is converted here.

#include <QElapsedTimer>
#include <QTextEdit>
#include <QTimer>
#include <cstddef>
#include <vector>

#include "chat/chat_document.h"

namespace talvoro::ui {

class ChatViewWidget : public QTextEdit {
    Q_OBJECT
  public:
    static constexpr int kDrawIntervalMs = 40;

    ChatViewWidget(int viewNumber, QWidget* parent = nullptr);

    int ViewNumber() const { return viewNumber_; }

    // Appends runs [firstNew, end) of `content` (drawn with the next batch). A firstNew beyond
    // the runs appends nothing.
    void AppendRuns(const chat::ChatDocument& content, std::size_t firstNew);
    // Replaces the whole text with `content` at once; runs still waiting are dropped.
    void ShowDocument(const chat::ChatDocument& content);
    // Scrolls so that the last line is visible (after the waiting runs are drawn).
    void ScrollToEnd();
    // Whether the view shows its last line (or will once the waiting runs are drawn).
    bool AtEnd() const;
    // Draws the waiting runs now.
    void Flush();

    // The Private Group view has its own background (red 255, green 228, blue 228); other views
    // use the system's window colour.
    void SetPrivateBackground(bool isPrivate);

  private:
    void InsertRun(QTextCursor& end, const chat::TextRun& run);
    void ScrollNow();

    int viewNumber_;
    std::vector<chat::TextRun> waiting_;
    bool scrollWaiting_ = false;
    QTimer drawTimer_;
    QElapsedTimer sinceDraw_;
};

}  // namespace talvoro::ui
