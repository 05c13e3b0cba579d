#include "ui/emoticon_bar.h"

#include <QAction>
#include <QTextCursor>

#include "app/identifiers.h"
#include "chat/emoticons.h"
#include "ui/images.h"
#include "ui/message_field.h"

namespace talvoro::ui {

EmoticonBar::EmoticonBar(const ImageStore& images, std::function<void(int)> trigger,
                         QWidget* parent)
    : QToolBar(parent) {
    setObjectName(QStringLiteral("emoticonBar"));
    setIconSize(QSize(16, 16));
    setMovable(false);
    setFloatable(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    int position = 1;
    for (const chat::Emoticon& emoticon : chat::EmoticonTable()) {
        const QImage picture = images.StripPicture(app::image::kEmoticonStrip,
                                                   app::image::kEmoticonStripMask, position++);
        QAction* action = addAction(QIcon(QPixmap::fromImage(picture)), QString());
        action->setToolTip(QString::fromLatin1(emoticon.name.data(),
                                               static_cast<qsizetype>(emoticon.name.size())) +
                           QLatin1Char('\n') +
                           QString::fromLatin1(emoticon.code.data(),
                                               static_cast<qsizetype>(emoticon.code.size())));
        const int button = emoticon.button;
        connect(action, &QAction::triggered, this, [trigger, button] { trigger(button); });
        actions_[button] = action;
    }
}

QAction* EmoticonBar::ButtonAction(int button) const {
    const auto it = actions_.find(button);
    return it == actions_.end() ? nullptr : it->second;
}

void InsertEmoticon(MessageField& field, int button) {
    const chat::Emoticon* emoticon = chat::EmoticonOfButton(button);
    if (emoticon == nullptr) {
        return;
    }
    const QString text = field.toPlainText();
    const auto caret = static_cast<std::size_t>(field.textCursor().selectionStart());
    const chat::EmoticonInsertion insertion =
        chat::InsertEmoticonCode(text.toStdU16String(), caret, emoticon->code);
    field.SetText(QString::fromStdU16String(insertion.text));  // cuts to the limit
    QTextCursor cursor = field.textCursor();
    cursor.setPosition(
        std::min(static_cast<int>(insertion.caret), field.document()->characterCount() - 1));
    field.setTextCursor(cursor);
    field.ensureCursorVisible();
    field.setFocus();
}

}  // namespace talvoro::ui
