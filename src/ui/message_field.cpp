#include "ui/message_field.h"

#include <QKeyEvent>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace talvoro::ui {

MessageField::MessageField(QWidget* parent) : QPlainTextEdit(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    setObjectName(QStringLiteral("messageField"));
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { EnforceLimit(position, added); });
    // Text set as a whole does not report its insertion: cut it at the limit.
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!limiting_ && toPlainText().size() > kMaxLength) {
            limiting_ = true;
            QTextCursor cut(document());
            cut.setPosition(kMaxLength);
            cut.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            cut.removeSelectedText();
            limiting_ = false;
        }
    });
}

void MessageField::SetText(const QString& text) {
    setPlainText(text.left(kMaxLength));
    QTextCursor end = textCursor();
    end.movePosition(QTextCursor::End);
    setTextCursor(end);
}

void MessageField::keyPressEvent(QKeyEvent* event) {
    const bool enterKey = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers held =
        event->modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (enterKey && held == Qt::NoModifier) {
        event->accept();
        if (onSend_) {
            onSend_();
        }
        return;
    }
    if (enterKey && held == Qt::ShiftModifier) {
        event->accept();
        textCursor().insertText(QStringLiteral("\n"));
        ensureCursorVisible();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MessageField::EnforceLimit(int position, int added) {
    if (limiting_) {
        return;
    }
    const int excess = static_cast<int>(toPlainText().size()) - kMaxLength;
    if (excess <= 0 || added <= 0) {
        return;
    }
    // Like a field with a fixed capacity: the part of the new text that does not fit is refused,
    // the text that was there stays.
    limiting_ = true;
    const int dropFrom = position + std::max(0, added - excess);
    QTextCursor cut(document());
    cut.setPosition(dropFrom);
    cut.setPosition(std::min(position + added, dropFrom + excess), QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    limiting_ = false;
}

}  // namespace talvoro::ui
