#include "ui/find_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QTextEdit>

#include "ui/balloon_tip.h"
#include "ui/dialog_host.h"

namespace talvoro::ui {

bool FindInView(QTextEdit& view, const QString& text, QTextDocument::FindFlags flags,
                bool restart) {
    if (restart) {
        QTextCursor top = view.textCursor();
        top.setPosition(0);
        view.setTextCursor(top);
    }
    const QTextCursor match = view.document()->find(text, view.textCursor(), flags);
    if (match.isNull()) {
        return false;
    }
    view.setTextCursor(match);
    return true;
}

FindDialog::FindDialog(FindMemory& memory, std::function<QTextEdit*()> view, QWidget* parent)
    : QDialog(parent), memory_(memory), view_(std::move(view)) {
    SetUpFixedDialog(*this, QStringLiteral("findDialog"), QStringLiteral("Find Text ..."),
                     QSize(355, 90), TitleBar::WithClose);

    auto* label = new QLabel(QStringLiteral("Find:"), this);
    label->setGeometry(5, 10, 35, 24);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text_ = new QLineEdit(memory.text, this);
    text_->setGeometry(40, 7, 205, 20);
    AddBalloonTip(*text_, QStringLiteral("Input your search string here."),
                  QStringLiteral("Find String"));
    (new QGroupBox(this))->setGeometry(5, 28, 240, 56);
    wholeWord_ = new QCheckBox(QStringLiteral("Match whole words"), this);
    wholeWord_->setGeometry(15, 38, 134, 24);
    wholeWord_->setChecked(memory.wholeWord);
    matchCase_ = new QCheckBox(QStringLiteral("Match case"), this);
    matchCase_->setGeometry(15, 58, 134, 24);
    matchCase_->setChecked(memory.matchCase);
    up_ = new QRadioButton(QStringLiteral("Search Up"), this);
    up_->setGeometry(150, 38, 85, 24);
    down_ = new QRadioButton(QStringLiteral("Search Down"), this);
    down_->setGeometry(150, 58, 85, 24);
    down_->setChecked(true);

    QPushButton* next = PlaceButton(
        *this, QStringLiteral("Find next"), QRect(250, 5, 100, 24), QStringLiteral("Find Next"),
        QStringLiteral("Find the next occurance of the search string."));
    next->setDefault(true);
    connect(next, &QPushButton::clicked, this, [this] { FindNext(); });
    QPushButton* selection =
        PlaceButton(*this, QStringLiteral("Use &Selection"), QRect(250, 33, 100, 24),
                    QStringLiteral("Find Selection"),
                    QStringLiteral("Copy the selected text to the string input field."));
    selection->setAutoDefault(false);
    connect(selection, &QPushButton::clicked, this, [this] { UseSelection(); });
    QPushButton* close = PlaceButton(*this, QStringLiteral("Close"), QRect(250, 61, 100, 24),
                                     QStringLiteral("Exit Search"),
                                     QStringLiteral("Close this window and give up searching."));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, [this] { CloseRemembering(); });
    FitLayoutToFont(*this);

    onNotFound_ = [this] { ShowNotFound(); };
    text_->setFocus();
}

void FindDialog::FindNext() {
    QTextDocument::FindFlags flags;
    if (wholeWord_->isChecked()) {
        flags |= QTextDocument::FindWholeWords;
    }
    if (matchCase_->isChecked()) {
        flags |= QTextDocument::FindCaseSensitively;
    }
    if (up_->isChecked()) {
        flags |= QTextDocument::FindBackward;
    }
    const bool restart = text_->text() != memory_.text;
    memory_.text = text_->text();
    QTextEdit* view = view_ ? view_() : nullptr;
    if (view != nullptr && !memory_.text.isEmpty() &&
        FindInView(*view, memory_.text, flags, restart)) {
        view->ensureCursorVisible();
    } else if (onNotFound_) {
        onNotFound_();
    }
    text_->setFocus();
}

void FindDialog::UseSelection() {
    if (QTextEdit* view = view_ ? view_() : nullptr) {
        // Selected paragraph breaks come as U+2029; the field is one line.
        text_->setText(
            view->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char(' ')));
    }
    text_->setFocus();
}

void FindDialog::CloseRemembering() {
    memory_.wholeWord = wholeWord_->isChecked();
    memory_.matchCase = matchCase_->isChecked();
    memory_.text = text_->text();
    done(QDialog::Rejected);
}

void FindDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CloseRemembering();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FindDialog::ShowNotFound() {
    QMessageBox::information(this, QStringLiteral("Talvoro: Search Result"),
                             QStringLiteral("String could not be found!"));
}

FindDialog* OpenFindDialog(QWidget& main, FindMemory& memory, std::function<QTextEdit*()> view) {
    auto* dialog = new FindDialog(memory, std::move(view));
    ShowOverDisabledMain(main, *dialog);  // owns the dialog from here
    dialog->TextField().setFocus();
    return dialog;
}

}  // namespace talvoro::ui
