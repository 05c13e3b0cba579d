#include "ui/topic_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "chat/topic_requests.h"
#include "ui/balloon_tip.h"
#include "ui/text_edge.h"

namespace talvoro::ui {

TopicDialog::TopicDialog(QWidget* parent, bool balloonTips, Announce announce)
    : QDialog(parent),
      announce_(std::move(announce)),
      title_(new QLineEdit(this)),
      sticky_(new QCheckBox(QStringLiteral("Create sticky topic"), this)),
      status_(new QLabel(QStringLiteral("Ready to roll."), this)),
      announceButton_(new QPushButton(QStringLiteral("Announce"), this)) {
    setWindowTitle(QStringLiteral("Enter Topic Title ..."));
    title_->setObjectName(QStringLiteral("topicTitle"));
    title_->setMaxLength(static_cast<int>(chat::kMaxTopicTitle));
    sticky_->setObjectName(QStringLiteral("topicSticky"));
    status_->setObjectName(QStringLiteral("topicStatus"));
    status_->setFrameShape(QFrame::Panel);
    status_->setFrameShadow(QFrame::Sunken);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    announceButton_->setDefault(true);  // Return announces; Escape rejects the dialog

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(sticky_);
    buttons->addStretch();
    buttons->addWidget(announceButton_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addLayout(buttons);
    layout->addWidget(status_);

    if (balloonTips) {
        AddBalloonTip(*title_, QStringLiteral("This is the name of the new chat topic."),
                      QStringLiteral("New Topic Title"));
        AddBalloonTip(*sticky_, QStringLiteral("Copy complete topic content to new users."),
                      QStringLiteral("Sticky Messages"));
        AddBalloonTip(*announceButton_, QStringLiteral("Spawn new topic."),
                      QStringLiteral("Announce Topic"));
        AddBalloonTip(*cancel, QStringLiteral("Don't spawn new topic."),
                      QStringLiteral("Cancel Topic"));
    }
    connect(announceButton_, &QPushButton::clicked, this, [this] { OnAnnounce(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TopicDialog::OnAnnounce() {
    const std::string refusal = announce_(FromQt(title_->text()), sticky_->isChecked());
    if (refusal.empty()) {
        accept();
        return;
    }
    status_->setText(ToQt(refusal));
    QApplication::alert(this);
    title_->setFocus();
}

}  // namespace talvoro::ui
