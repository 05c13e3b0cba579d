#include "ui/archive_actions.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>

#include "chat/chat_client.h"
#include "chat/topic_archive.h"
#include "ui/chat_view_widget.h"

namespace talvoro::ui {

QString ClipboardText(const QString& selected) {
    QString text = selected;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void CopySelection(const ChatViewWidget& view) {
    const QString selected = view.textCursor().selectedText();
    if (selected.isEmpty()) {
        return;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(ClipboardText(selected));
}

void SaveSessionWithRequester(QWidget& parent, chat::ChatClient& chat) {
    const std::string suggested = chat::SaveSessionDefault(chat.Context());
    const QString chosen =
        QFileDialog::getSaveFileName(&parent, QStringLiteral("Save session as ..."),
                                     QString::fromStdString(suggested), QStringLiteral("*.rtf"));
    if (chosen.isEmpty()) {
        return;
    }
    const QByteArray path = chosen.toUtf8();
    chat::SaveSession(chat.Context(), std::string(path.constData(), path.size()));
}

}  // namespace talvoro::ui
