#include "ui/user_details_box.h"

#include <QMessageBox>
#include <QMetaObject>

#include "app/identifiers.h"
#include "chat/user_details.h"
#include "ui/text_edge.h"

namespace talvoro::ui {

bool StartUserDetails(QWidget& owner, app::ThreadSlots& workers, chat::OnlineUser user,
                      bool noFileReceive) {
    return workers.Start(
        app::slot::kUserDetails, [&owner, user = std::move(user), noFileReceive](std::stop_token) {
            std::string title = chat::UserDetailsTitle(user);
            std::string text = chat::UserDetailsText(user, noFileReceive);
            QMetaObject::invokeMethod(
                &owner,
                [&owner, title = std::move(title), text = std::move(text)] {
                    auto* box = new QMessageBox(QMessageBox::Information, ToQt(title), ToQt(text),
                                                QMessageBox::Ok, &owner);
                    box->setObjectName(QStringLiteral("userDetailsBox"));
                    box->setAttribute(Qt::WA_DeleteOnClose);
                    box->setWindowModality(Qt::NonModal);  // the chat goes on while it is open
                    box->show();
                },
                Qt::QueuedConnection);
        });
}

}  // namespace talvoro::ui
