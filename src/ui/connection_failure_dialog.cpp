#include "ui/connection_failure_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/balloon_tip.h"
#include "ui/code_page_text.h"
#include "ui/color_ref.h"

namespace talvoro::ui {

namespace {

QLabel* PlainLabel(const QString& text, const QString& name, bool wrap, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);  // "<Retry>" is text, not markup
    label->setWordWrap(wrap);
    return label;
}

}  // namespace

ConnectionFailureDialog::ConnectionFailureDialog(const std::string& userName,
                                                 const std::string& host, std::int32_t port,
                                                 QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("connectionFailureDialog"));
    setWindowTitle(ToQt(userName) + QStringLiteral(" Found No TalvoroServer"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        PlainLabel(QStringLiteral("Connecting to host *%1:%2* failed.").arg(ToQt(host)).arg(port),
                   QStringLiteral("failureText"), false, this));
    layout->addWidget(PlainLabel(
        QStringLiteral("Press <Retry> to try again, <Start Server> to create your very own "
                       "TalvoroServer or <Cancel> to abort."),
        QStringLiteral("adviceText"), true, this));

    auto* retry = new QPushButton(QStringLiteral("Retry"), this);
    retry->setObjectName(QStringLiteral("retryButton"));
    retry->setDefault(true);
    AddBalloonTip(*retry, QStringLiteral("Try again to connect to server."),
                  QStringLiteral("Retry Logon"));
    connect(retry, &QPushButton::clicked, this, [this] { Choose(FailureChoice::Retry); });

    auto* startServer = new QPushButton(QStringLiteral("Start &Server"), this);
    startServer->setObjectName(QStringLiteral("startServerButton"));
    startServer->setAutoDefault(false);
    AddBalloonTip(*startServer, QStringLiteral("Start your own Talvoro Server."),
                  QStringLiteral("Start Server"));
    connect(startServer, &QPushButton::clicked, this,
            [this] { Choose(FailureChoice::StartServer); });

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    AddBalloonTip(*cancel, QStringLiteral("Return to startup window."),
                  QStringLiteral("Cancel Logon"));
    connect(cancel, &QPushButton::clicked, this, [this] { Choose(FailureChoice::Cancel); });

    auto* row = new QHBoxLayout;
    row->addWidget(retry);
    row->addWidget(startServer);
    row->addWidget(cancel);
    layout->addLayout(row);
    retry->setFocus();
}

void ConnectionFailureDialog::Choose(FailureChoice choice) {
    if (choice == FailureChoice::Cancel) {
        reject();
        return;
    }
    choice_ = choice;
    accept();
}

void ConnectionFailureDialog::reject() {
    choice_ = FailureChoice::Cancel;
    QDialog::reject();
}

FailureChoice AskAfterFailedConnect(const std::string& userName, const std::string& host,
                                    std::int32_t port) {
    ConnectionFailureDialog dialog(userName, host, port);
    dialog.exec();
    return dialog.Choice();
}

}  // namespace talvoro::ui
