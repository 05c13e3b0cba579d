#pragma once
// Conversion of text at the widget edge: the core keeps Windows-1252 bytes, Qt keeps UTF-16.
// Every string that enters or leaves a widget passes through these two functions.
//
// Thread: pure functions, any thread.

#include <QString>
#include <string>
#include <string_view>

#include "net/codepage.h"

namespace talvoro::ui {

// Windows-1252 bytes to a Qt string; never fails (every byte has a character).
inline QString ToQt(std::string_view cp1252) {
    const std::string utf8 = net::Utf8FromCp1252(cp1252);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// A Qt string to Windows-1252 bytes; characters without a byte become "?".
inline std::string FromQt(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return net::Cp1252FromUtf8(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

}  // namespace talvoro::ui
