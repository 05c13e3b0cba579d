#pragma once
// The chat documents of the text views (500..504), the echo view (where the next chat head and
// body go) and the current view (the one on screen). Every change is passed on to the view port.
//
// Thread: GUI thread only. A view number outside 500..504 is ignored.

#include <map>
#include <vector>

#include "chat/chat_document.h"
#include "chat/chat_ids.h"
#include "chat/view_port.h"

namespace talvoro::chat {

class ChatText {
  public:
    explicit ChatText(ViewPort& port) : port_(port) {}

    // The document of `view`; an empty one for a number outside 500..504.
    const ChatDocument& Document(int view) const;

    int EchoView() const { return echoView_; }
    void SetEchoView(int view) { echoView_ = view; }
    int CurrentView() const { return currentView_; }
    void SetCurrentView(int view) { currentView_ = view; }

    // Appends `run` to `view` and tells the port.
    void Append(int view, TextRun run);
    // Empties `view` (a reused topic view, "Clear Topic Content").
    void Clear(int view);
    // Replaces the content of `view` (an archive loaded into it).
    void Replace(int view, std::vector<TextRun> runs);

  private:
    static bool Valid(int view) { return view >= kMainView && view <= kPrivateView; }

    ViewPort& port_;
    std::map<int, ChatDocument> documents_;
    int echoView_ = kMainView;
    int currentView_ = kMainView;
};

}  // namespace talvoro::chat
