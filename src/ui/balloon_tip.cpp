#include "ui/balloon_tip.h"

#include <QStringList>
#include <QWidget>

namespace talvoro::ui {

QString BalloonTipHtml(const QString& text, const QString& title) {
    QStringList lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        lines << (line.isEmpty() ? QStringLiteral("&nbsp;") : line.toHtmlEscaped());
    }
    QString html = QStringLiteral("<table width=\"%1\"><tr><td>").arg(kBalloonTipMaxWidth);
    if (!title.isEmpty()) {
        html += QStringLiteral("<b>") + title.toHtmlEscaped() + QStringLiteral("</b><br>");
    }
    html += lines.join(QStringLiteral("<br>"));
    html += QStringLiteral("</td></tr></table>");
    return html;
}

void AddBalloonTip(QWidget& control, const QString& text, const QString& title) {
    control.setToolTip(BalloonTipHtml(text, title));
}

}  // namespace talvoro::ui
