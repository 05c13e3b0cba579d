#include "ui/status_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <algorithm>
#include <array>

#include "app/identifiers.h"
#include "ui/images.h"

namespace talvoro::ui {

namespace {

// The widest text each of the first three fields shows in practice.
constexpr std::array<const char*, 3> kWidestTexts = {"Running: 00d00h00m00s",
                                                     "Total Messages: 000000", "Clients: 00"};

}  // namespace

StatusBar::StatusBar(const ImageStore& images, QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(true);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        auto* holder = new QWidget(this);  // owned by the status bar
        auto* row = new QHBoxLayout(holder);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(3);
        auto* label = new QLabel(holder);
        label->setFrameShape(QFrame::NoFrame);
        label->setTextFormat(Qt::PlainText);
        label->setContentsMargins(2, 0, 2, 0);
        fields_[i] = label;
        if (i + 1 < fields_.size()) {
            // At least the classic width; wider where this desktop's font needs it, so that
            // "Running: 0d01h02m03s" is never clipped. A fixed size: the text that changes every
            // second then repaints the label alone instead of laying out the whole bar again.
            const QMargins margins = label->contentsMargins();
            const int textWidth =
                label->fontMetrics().horizontalAdvance(QString::fromLatin1(kWidestTexts[i])) +
                margins.left() + margins.right();
            label->setFixedSize(std::max(kFieldWidths[i], textWidth), label->sizeHint().height());
            row->addWidget(label, 0, Qt::AlignVCenter);
            addWidget(holder);
            continue;
        }
        // The fourth field carries the status icon in front of its text.
        auto* icon = new QLabel(holder);
        icon->setPixmap(images.Pixmap(app::image::kStatusBarIcon));
        row->addWidget(icon);
        row->addWidget(label, 1);
        holder->setMaximumWidth(kFieldWidths[i]);
        addWidget(holder, 1);
    }
}

void StatusBar::SetField(chat::StatusField field, const QString& text) {
    const auto index = static_cast<std::size_t>(field);
    if (index < fields_.size() && fields_[index]->text() != text) {
        fields_[index]->setText(text);
    }
}

QString StatusBar::Field(chat::StatusField field) const {
    const auto index = static_cast<std::size_t>(field);
    return index < fields_.size() ? fields_[index]->text() : QString();
}

}  // namespace talvoro::ui
