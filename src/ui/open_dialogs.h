#pragma once
// Ends whatever dialog, message box or popup menu is open, so that a termination request is not
// held up by a window that waits for the user. Each one ends as if cancelled (Escape): a question
// answers No or Cancel, a dialog keeps nothing of what was typed. The code that opened it then
// goes on from where it waited.
//
// Thread: GUI thread only.

namespace talvoro::ui {

void EndOpenDialogs();

}  // namespace talvoro::ui
