#include "ui/chat_view_widget.h"

#include <QScrollBar>
#include <QTextCursor>
#include <algorithm>

#include "chat/chat_ids.h"
#include "ui/color_ref.h"
#include "ui/text_edge.h"

namespace talvoro::ui {

ChatViewWidget::ChatViewWidget(int viewNumber, QWidget* parent)
    : QTextEdit(parent), viewNumber_(viewNumber) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setAcceptRichText(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setObjectName(QStringLiteral("view%1").arg(viewNumber));
    SetPrivateBackground(viewNumber == chat::kPrivateView);
    drawTimer_.setSingleShot(true);
    connect(&drawTimer_, &QTimer::timeout, this, &ChatViewWidget::Flush);
}

void ChatViewWidget::SetPrivateBackground(bool isPrivate) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, isPrivate ? QColorFromColorRef(chat::kPrivateBackground)
                                               : QPalette().color(QPalette::Base));
    setPalette(colours);
}

void ChatViewWidget::AppendRuns(const chat::ChatDocument& content, std::size_t firstNew) {
    const auto& runs = content.Runs();
    for (std::size_t i = firstNew; i < runs.size(); ++i) {
        if (!runs[i].text.empty()) {
            waiting_.push_back(runs[i]);
        }
    }
    if (waiting_.empty() || drawTimer_.isActive()) {
        return;
    }
    const qint64 since = sinceDraw_.isValid() ? sinceDraw_.elapsed() : kDrawIntervalMs;
    drawTimer_.start(static_cast<int>(std::max<qint64>(0, kDrawIntervalMs - since)));
}

void ChatViewWidget::Flush() {
    drawTimer_.stop();
    sinceDraw_.start();
    if (!waiting_.empty()) {
        // The user's selection and the scroll position stay where they are: the text goes in
        // through a cursor of its own, and a selection touching the end would otherwise grow
        // with it. One edit block: the document is laid out once for the whole batch.
        const QTextCursor user = textCursor();
        const int anchor = user.anchor();
        const int position = user.position();
        const int scrollValue = verticalScrollBar()->value();
        const int hScrollValue = horizontalScrollBar()->value();
        QTextCursor end(document());
        end.movePosition(QTextCursor::End);
        end.beginEditBlock();
        for (const chat::TextRun& run : waiting_) {
            InsertRun(end, run);
        }
        end.endEditBlock();
        waiting_.clear();
        if (textCursor().anchor() != anchor || textCursor().position() != position) {
            QTextCursor restored(document());
            restored.setPosition(anchor);
            restored.setPosition(position, QTextCursor::KeepAnchor);
            setTextCursor(restored);
        }
        verticalScrollBar()->setValue(scrollValue);
        horizontalScrollBar()->setValue(hScrollValue);
    }
    if (scrollWaiting_) {
        scrollWaiting_ = false;
        ScrollNow();
    }
}

void ChatViewWidget::ShowDocument(const chat::ChatDocument& content) {
    drawTimer_.stop();
    waiting_.clear();
    scrollWaiting_ = false;
    clear();
    const int hScrollValue = horizontalScrollBar()->value();
    QTextCursor end(document());
    end.beginEditBlock();
    for (const chat::TextRun& run : content.Runs()) {
        InsertRun(end, run);
    }
    end.endEditBlock();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(hScrollValue);
}

void ChatViewWidget::InsertRun(QTextCursor& end, const chat::TextRun& run) {
    if (run.text.empty()) {
        return;
    }
    QTextCharFormat format;
    format.setForeground(QColorFromColorRef(run.color));
    format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
    format.setFontFamilies({ToQt(run.face)});
    if (run.size > 0) {
        format.setFontPointSize(run.size);
    }
    end.insertText(ToQt(run.text), format);
}

void ChatViewWidget::ScrollToEnd() {
    if (waiting_.empty()) {
        ScrollNow();
    } else {
        scrollWaiting_ = true;
    }
}

void ChatViewWidget::ScrollNow() {
    document()->size();  // finishes a pending layout, so that the scroll range is current
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

bool ChatViewWidget::AtEnd() const {
    const QScrollBar* bar = verticalScrollBar();
    return scrollWaiting_ || bar->value() == bar->maximum();
}

}  // namespace talvoro::ui
