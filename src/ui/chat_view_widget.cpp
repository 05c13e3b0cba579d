#include "ui/chat_view_widget.h"

#include <QScrollBar>
#include <QTextCursor>

#include "chat/chat_ids.h"
#include "ui/code_page_text.h"
#include "ui/color_ref.h"

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
}

void ChatViewWidget::SetPrivateBackground(bool isPrivate) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, isPrivate ? QColorFromColorRef(chat::kPrivateBackground)
                                               : QPalette().color(QPalette::Base));
    setPalette(colours);
}

void ChatViewWidget::AppendRuns(const chat::ChatDocument& content, std::size_t firstNew) {
    const auto& runs = content.Runs();
    if (firstNew >= runs.size()) {
        return;
    }
    // The user's selection and the scroll position stay where they are: the text goes in through
    // a cursor of its own, and a selection touching the end would otherwise grow with it.
    const QTextCursor user = textCursor();
    const int anchor = user.anchor();
    const int position = user.position();
    const int scrollValue = verticalScrollBar()->value();
    const int hScrollValue = horizontalScrollBar()->value();
    for (std::size_t i = firstNew; i < runs.size(); ++i) {
        AppendRun(runs[i]);
    }
    if (textCursor().anchor() != anchor || textCursor().position() != position) {
        QTextCursor restored(document());
        restored.setPosition(anchor);
        restored.setPosition(position, QTextCursor::KeepAnchor);
        setTextCursor(restored);
    }
    verticalScrollBar()->setValue(scrollValue);
    horizontalScrollBar()->setValue(hScrollValue);
}

void ChatViewWidget::ShowDocument(const chat::ChatDocument& content) {
    clear();
    const int hScrollValue = horizontalScrollBar()->value();
    for (const chat::TextRun& run : content.Runs()) {
        AppendRun(run);
    }
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(hScrollValue);
}

void ChatViewWidget::AppendRun(const chat::TextRun& run) {
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
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(ToQt(run.text), format);
}

void ChatViewWidget::ScrollToEnd() {
    document()->size();  // finishes a pending layout, so that the scroll range is current
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

bool ChatViewWidget::AtEnd() const {
    const QScrollBar* bar = verticalScrollBar();
    return bar->value() == bar->maximum();
}

}  // namespace talvoro::ui
