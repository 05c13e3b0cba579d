#pragma once
// The topic tab bar (control 99) and the text views of the tabs (500..504). Every tab shows one
// view; only the current tab's view is visible, at the place the layout gives it. Views are
// created on first use and kept when their tab goes (a closed topic's view is reused later).
// Changes made here through the methods never report a tab switch; only the user's click does.
//
// Thread: GUI thread only. Captions are Windows-1252 bytes.

#include <QRect>
#include <QTabBar>
#include <functional>
#include <map>
#include <string_view>

namespace talvoro::ui {

class ChatViewWidget;
class ImageStore;

class TabViews {
  public:
    using ViewCreated = std::function<void(ChatViewWidget& view)>;

    // The tab bar and the views become children of `area`.
    TabViews(QWidget& area, const ImageStore& images);

    QTabBar& Bar() { return *bar_; }
    const QTabBar& Bar() const { return *bar_; }

    // Called once for every view when it is created (tooltips, context-menu policy).
    void SetViewCreated(ViewCreated created) { onViewCreated_ = std::move(created); }
    // The view with control number `number`, created hidden on first use.
    ChatViewWidget& View(int number);
    ChatViewWidget* FindView(int number) const;
    int CurrentViewNumber() const { return current_; }
    ChatViewWidget* CurrentView() const { return FindView(current_); }

    // Tabs. A position outside the bar is ignored (insert: clamped to the end). Inserting a tab
    // for a view that already has one changes nothing.
    void InsertTab(int position, std::string_view caption, int view);
    void RemoveTab(int position);
    void RenameTab(int position, std::string_view caption);
    // Selects tab `position` and shows `view` in place of the current one.
    void SelectTab(int position, int view);
    void SetUnread(int position, bool unread);
    bool IsUnread(int position) const;
    // The view of the tab at `position`; 0 when there is no such tab.
    int ViewOfTab(int position) const;
    int TabCount() const { return bar_->count(); }

    // Where the current view sits (the layout rule); applied to views shown later as well.
    void SetViewRect(QRect rect);
    QRect ViewRect() const { return viewRect_; }

  private:
    void ShowView(int number);

    QWidget& area_;
    const ImageStore& images_;
    QTabBar* bar_;                          // owned by area_
    std::map<int, ChatViewWidget*> views_;  // owned by area_
    int current_ = 0;
    QRect viewRect_;
    ViewCreated onViewCreated_;
};

}  // namespace talvoro::ui
