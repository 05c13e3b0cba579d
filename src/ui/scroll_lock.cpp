#include "ui/scroll_lock.h"

#include <QGuiApplication>

#if defined(TALVORO_HAVE_X11)
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#endif

namespace talvoro::ui {

bool ScrollLockOn() {
#if defined(TALVORO_HAVE_X11) && QT_CONFIG(xcb)
    auto* x11 = qGuiApp == nullptr ? nullptr
                                   : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 == nullptr ? nullptr : x11->display();
    if (display == nullptr) {
        return false;
    }
    const Atom name = XInternAtom(display, "Scroll Lock", True);
    if (name == None) {
        return false;
    }
    Bool on = False;
    if (!XkbGetNamedIndicator(display, name, nullptr, &on, nullptr, nullptr)) {
        return false;
    }
    return on == True;
#else
    return false;
#endif
}

}  // namespace talvoro::ui
