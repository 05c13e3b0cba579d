#pragma once
// The one tooltip helper of every window: a tip with an optional bold title above its text lines,
// at most 222 pixels wide. Qt shows it as the control's tooltip (QToolTip).
//
// Thread: GUI thread only.

#include <QString>

class QWidget;

namespace talvoro::ui {

constexpr int kBalloonTipMaxWidth = 222;

// The rich text of a tip: `title` in bold (left out when empty), then `text`, whose lines are
// separated by "\n"; an empty line gives a blank line. Both are shown literally (no markup).
QString BalloonTipHtml(const QString& text, const QString& title);

// Binds the tip to `control` (replacing any tip it had).
void AddBalloonTip(QWidget& control, const QString& text, const QString& title);

}  // namespace talvoro::ui
