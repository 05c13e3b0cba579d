#pragma once
// The user-details box (event 50, "User &Details" 6000 + r): a worker thread in its slot builds
// the six detail lines of one user record, and the box is shown on the GUI thread through a
// queued call, so the worker never touches a widget. The box does not block the chat.
//
// Thread: StartUserDetails on the GUI thread, which owns `owner` and `workers`.

#include "app/thread_slots.h"
#include "chat/user_model.h"

class QWidget;

namespace talvoro::ui {

// Starts the details worker for `user` (a copy, taken by the caller from the selected row).
// `owner` gets the box; it must outlive `workers`, whose destruction joins the worker. Returns
// false when the slot's previous worker still runs.
bool StartUserDetails(QWidget& owner, app::ThreadSlots& workers, chat::OnlineUser user,
                      bool noFileReceive);

}  // namespace talvoro::ui
