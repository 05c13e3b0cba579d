#pragma once
// The text view's archive and clipboard actions: "&Save Session" with its file requester, and
// copying the selection to the clipboard as plain text with CR LF line ends.
//
// Thread: GUI thread only.

#include <QString>

class QWidget;

namespace talvoro::chat {
class ChatClient;
}

namespace talvoro::ui {

class ChatViewWidget;

// `selected` (as a text edit reports a selection: paragraph separators U+2029, line separators
// U+2028, or line feeds) with every line end turned into CR LF.
QString ClipboardText(const QString& selected);

// Puts the view's selection on the clipboard (replacing what was there). Nothing happens without
// a selection.
void CopySelection(const ChatViewWidget& view);

// "&Save Session": asks for a file ("Save session as ...", "*.rtf", the default name of the
// current tab) and writes the current view to it; a cancelled requester writes nothing.
void SaveSessionWithRequester(QWidget& parent, chat::ChatClient& chat);

}  // namespace talvoro::ui
