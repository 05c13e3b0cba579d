#include "ui/tab_views.h"

#include <QSignalBlocker>
#include <QVariantList>
#include <algorithm>

#include "ui/chat_view_widget.h"
#include "ui/code_page_text.h"
#include "ui/identifiers.h"
#include "ui/images.h"

namespace talvoro::ui {

namespace {
// Each tab's data holds its view number and its unread mark.
QVariant TabData(int view, bool unread) {
    return QVariantList{view, unread};
}
}  // namespace

TabViews::TabViews(QWidget& area, const ImageStore& images)
    : area_(area), images_(images), bar_(new QTabBar(&area)) {
    bar_->setObjectName(QStringLiteral("topicList"));
    bar_->setIconSize(QSize(16, 16));
    bar_->setExpanding(false);
    bar_->setDrawBase(true);
}

ChatViewWidget& TabViews::View(int number) {
    if (ChatViewWidget* existing = FindView(number)) {
        return *existing;
    }
    auto* view = new ChatViewWidget(number, &area_);  // owned by area_
    view->hide();
    if (!viewRect_.isNull()) {
        view->setGeometry(viewRect_);
    }
    views_[number] = view;
    if (onViewCreated_) {
        onViewCreated_(*view);
    }
    return *view;
}

ChatViewWidget* TabViews::FindView(int number) const {
    const auto found = views_.find(number);
    return found == views_.end() ? nullptr : found->second;
}

void TabViews::InsertTab(int position, std::string_view caption, int view) {
    for (int tab = 0; tab < bar_->count(); ++tab) {
        if (ViewOfTab(tab) == view) {
            return;  // a view has one tab: the window built it already
        }
    }
    const QSignalBlocker quiet(bar_);
    const int at = std::clamp(position, 0, bar_->count());
    bar_->insertTab(at, images_.Icon(app::image::kTab), ToQt(caption));
    bar_->setTabData(at, TabData(view, false));
    View(view);
}

void TabViews::RemoveTab(int position) {
    if (position < 0 || position >= bar_->count()) {
        return;
    }
    const QSignalBlocker quiet(bar_);
    const int view = ViewOfTab(position);
    bar_->removeTab(position);
    if (view == current_) {
        // The core selects the next tab; until it does, the closed view stays out of sight.
        if (ChatViewWidget* shown = FindView(view)) {
            shown->hide();
        }
        current_ = 0;
    }
}

void TabViews::RenameTab(int position, std::string_view caption) {
    if (position >= 0 && position < bar_->count()) {
        bar_->setTabText(position, ToQt(caption));
    }
}

void TabViews::SelectTab(int position, int view) {
    if (position >= 0 && position < bar_->count()) {
        const QSignalBlocker quiet(bar_);
        bar_->setCurrentIndex(position);
    }
    ShowView(view);
}

void TabViews::ShowView(int number) {
    ChatViewWidget& next = View(number);
    if (number == current_ && next.isVisible()) {
        return;
    }
    if (ChatViewWidget* previous = CurrentView(); previous != nullptr && previous != &next) {
        previous->hide();
    }
    current_ = number;
    next.setGeometry(viewRect_);
    next.show();
}

void TabViews::SetUnread(int position, bool unread) {
    if (position < 0 || position >= bar_->count()) {
        return;
    }
    const int image = unread ? app::image::kTabUnread : app::image::kTab;
    bar_->setTabIcon(position, images_.Icon(image));
    bar_->setTabData(position, TabData(ViewOfTab(position), unread));
}

bool TabViews::IsUnread(int position) const {
    return position >= 0 && position < bar_->count() &&
           bar_->tabData(position).toList().value(1).toBool();
}

int TabViews::ViewOfTab(int position) const {
    if (position < 0 || position >= bar_->count()) {
        return 0;
    }
    return bar_->tabData(position).toList().value(0).toInt();
}

void TabViews::SetViewRect(QRect rect) {
    viewRect_ = rect;
    if (ChatViewWidget* view = CurrentView()) {
        view->setGeometry(rect);
    }
}

}  // namespace talvoro::ui
