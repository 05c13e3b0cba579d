#include "ui/qt_view_port.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

#include "ui/chat_view_widget.h"
#include "ui/code_page_text.h"
#include "ui/main_window.h"
#include "ui/scroll_lock.h"
#include "ui/status_bar.h"
#include "ui/tab_views.h"
#include "ui/tone_player.h"

namespace talvoro::ui {

namespace {

QMessageBox::Icon BoxIcon(chat::MessageIcon icon) {
    switch (icon) {
        case chat::MessageIcon::Information:
            return QMessageBox::Information;
        case chat::MessageIcon::Question:
            return QMessageBox::Question;
        case chat::MessageIcon::Warning:
            return QMessageBox::Warning;
        case chat::MessageIcon::Error:
            return QMessageBox::Critical;
        case chat::MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons BoxButtons(chat::MessageButtons buttons) {
    switch (buttons) {
        case chat::MessageButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case chat::MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case chat::MessageButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

chat::MessageAnswer Answer(int button, chat::MessageButtons buttons) {
    switch (button) {
        case QMessageBox::Ok:
            return chat::MessageAnswer::Ok;
        case QMessageBox::Yes:
            return chat::MessageAnswer::Yes;
        case QMessageBox::No:
            return chat::MessageAnswer::No;
        default:
            // Closed otherwise (Escape, the close button).
            return buttons == chat::MessageButtons::YesNo ? chat::MessageAnswer::No
                                                          : chat::MessageAnswer::Cancel;
    }
}

// File names and program arguments are in the file system's encoding, not in the chat's code
// page.
QString FileText(const std::string& text) {
    return QFile::decodeName(QByteArray::fromStdString(text));
}

}  // namespace

QtViewPort::QtViewPort(MainWindow& window)
    : window_(window), tones_(std::make_unique<TonePlayer>()) {}

QtViewPort::~QtViewPort() = default;

void QtViewPort::RunsAppended(int view, const chat::ChatDocument& document, std::size_t firstNew) {
    window_.View(view).AppendRuns(document, firstNew);
}

void QtViewPort::DocumentReplaced(int view, const chat::ChatDocument& document) {
    window_.View(view).ShowDocument(document);
}

void QtViewPort::ScrollToEnd(int view) {
    if (ChatViewWidget* shown = window_.Tabs().FindView(view)) {
        shown->ScrollToEnd();
    }
}

bool QtViewPort::ScrollLockOn() const {
    if (!scrollLockRead_.isValid() || scrollLockRead_.hasExpired(kScrollLockReadMs)) {
        scrollLockOn_ = ui::ScrollLockOn();
        scrollLockRead_.start();
    }
    return scrollLockOn_;
}

void QtViewPort::SetStatusField(chat::StatusField field, std::string_view text) {
    window_.Status().SetField(field, ToQt(text));
}

void QtViewPort::UserListChanged(std::span<const chat::UserRow> rows, int selectedRow) {
    window_.ShowUserRows(rows, selectedRow);
}

void QtViewPort::SetUserActions(const chat::UserActions& actions) {
    window_.SetUserActions(actions);
}

void QtViewPort::TabInserted(int position, std::string_view caption, int view) {
    window_.TabInserted(position, caption, view);
}

void QtViewPort::TabRemoved(int position) {
    window_.TabRemoved(position);
}

void QtViewPort::TabRenamed(int position, std::string_view caption) {
    window_.Tabs().RenameTab(position, caption);
}

void QtViewPort::TabSelected(int position, int view) {
    window_.TabSelected(position, view);
}

void QtViewPort::SetTabUnread(int position, bool unread) {
    window_.Tabs().SetUnread(position, unread);
}

chat::MessageAnswer QtViewPort::Ask(const chat::Question& question) {
    QMessageBox box(BoxIcon(question.icon), ToQt(question.title), ToQt(question.text),
                    BoxButtons(question.buttons), window_.isVisible() ? &window_ : nullptr);
    return Answer(box.exec(), question.buttons);
}

void QtViewPort::ShowInformation(std::string_view title, std::string_view text) {
    auto* box = new QMessageBox(QMessageBox::Information, ToQt(title), ToQt(text), QMessageBox::Ok,
                                &window_);  // deletes itself when closed
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void QtViewPort::SetMainWindowEnabled(bool enabled) {
    window_.setEnabled(enabled);
}

void QtViewPort::OpenWithDesktop(const std::string& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(FileText(path)));
}

bool QtViewPort::StartProgram(const std::string& path, const std::vector<std::string>& arguments,
                              const std::string& workDir) {
    QStringList list;
    for (const std::string& argument : arguments) {
        list << FileText(argument);
    }
    return QProcess::startDetached(FileText(path), list, FileText(workDir));
}

void QtViewPort::Beep(int frequencyHz) {
    tones_->Play(frequencyHz);
}

}  // namespace talvoro::ui
