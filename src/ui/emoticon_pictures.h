#pragma once
// The emoticon picture strip: 24 faces of 16 x 16 pixels side by side (384 x 16), on a transparent
// background, in the order of the emoticon table (Happy, Laughing, ... Blush).
//
// Thread: any thread (plain QImage drawing).

#include <QImage>

namespace talvoro::ui {

QImage EmoticonStripDrawing();

}  // namespace talvoro::ui
