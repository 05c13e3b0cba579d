#pragma once
// Colours between the settings form 0x00BBGGRR (red in the low byte, as "Color" stores them) and
// Qt. Pure functions, any thread.

#include <QColor>
#include <cstdint>

namespace talvoro::ui {

inline QColor QColorFromColorRef(std::int32_t color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

inline std::int32_t ColorRefFromQColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return rgb.red() | rgb.green() << 8 | rgb.blue() << 16;
}

}  // namespace talvoro::ui
