#pragma once
// Routes numbered commands (menu items, shortcuts, tool-bar buttons, tray menu) to their handlers.
// A handler is registered for one number or for a range of numbers; the most recently registered
// handler that covers a number wins, so a caller may override a built-in handler. A number that
// no handler covers goes to the fallback (by default: nothing happens).
//
// Thread: GUI thread only. Handlers run inside Dispatch and may dispatch further commands.

#include <functional>
#include <vector>

namespace talvoro::ui {

class CommandRouter {
  public:
    using Handler = std::function<void(int number)>;

    // Handles exactly `number`.
    void SetHandler(int number, Handler handler);
    // Handles every number in [first, last].
    void SetRangeHandler(int first, int last, Handler handler);
    // Called for numbers that no handler covers.
    void SetFallback(Handler fallback);
    // Whether some handler (not the fallback) covers `number`.
    bool Handles(int number) const;
    // Runs the handler of `number`; returns false when only the fallback was there.
    bool Dispatch(int number) const;

  private:
    struct Entry {
        int first = 0;
        int last = 0;
        Handler handler;
    };
    const Entry* Find(int number) const;

    std::vector<Entry> entries_;
    Handler fallback_;
};

}  // namespace talvoro::ui
