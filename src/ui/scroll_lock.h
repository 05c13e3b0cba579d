#pragma once
// Reads the keyboard's Scroll Lock toggle (the autoscroll switch of the chat views). Known only
// on X11, from the keyboard indicator; on every other platform it reads as off.
//
// Thread: GUI thread only (needs the application's display connection).

namespace talvoro::ui {

bool ScrollLockOn();

}  // namespace talvoro::ui
