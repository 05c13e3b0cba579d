// The main window's command side: built-in command handlers, routing by number with the
// keyboard modifiers, the "not available yet" fallback and the popup menus of the right click.

#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMessageBox>

#include "app/identifiers.h"
#include "ui/about_box.h"
#include "ui/archive_actions.h"
#include "ui/chat_view_widget.h"
#include "ui/emoticon_bar.h"
#include "ui/find_dialog.h"
#include "ui/main_window.h"
#include "ui/message_field.h"
#include "ui/tab_views.h"
#include "ui/text_edge.h"
#include "ui/tool_bar.h"
#include "ui/user_list_widget.h"

namespace talvoro::ui {

namespace cmd = app::cmd;

int GroupVariant(int event, Qt::KeyboardModifiers modifiers) {
    if (!modifiers.testFlag(Qt::ShiftModifier)) {
        return event;
    }
    const auto inRows = [event](int base) {
        return event >= base && event < base + cmd::kRowRangeSize;
    };
    if (inRows(cmd::kWhisperToRowBase)) {
        return cmd::kGroupWhisper;
    }
    if (inRows(cmd::kTransferToRowBase)) {
        return cmd::kGroupTransfer;
    }
    if (inRows(cmd::kRejectRowBase)) {
        return cmd::kGroupReject;
    }
    return event;
}

void MainWindow::RegisterBuiltInCommands() {
    for (const int button : {cmd::kWhisper, cmd::kTransfer, cmd::kReject, cmd::kUserDetail}) {
        router_.SetHandler(button, [this](int event) { RouteUserButton(event); });
    }
    router_.SetHandler(cmd::kSelectAll, [this](int) {
        if (ChatViewWidget* view = CurrentView()) {
            view->Flush();  // text still waiting to be drawn is selected too
            view->selectAll();
            view->setFocus();
        }
    });
    router_.SetHandler(cmd::kClearSelection, [this](int) {
        if (ChatViewWidget* view = CurrentView()) {
            QTextCursor cursor = view->textCursor();
            cursor.clearSelection();
            view->setTextCursor(cursor);
            view->setFocus();
        }
    });
    router_.SetHandler(cmd::kCopy, [this](int) {
        if (ChatViewWidget* view = CurrentView()) {
            CopySelection(*view);  // plain text with CR LF line ends
        }
    });
    const auto tickAll = [this](bool ticked) {
        for (int row = 0; row < userList_->RowCount(); ++row) {
            if (userList_->IsTicked(row) != ticked) {
                userList_->topLevelItem(row)->setCheckState(0,
                                                            ticked ? Qt::Checked : Qt::Unchecked);
            }
        }
    };
    router_.SetHandler(cmd::kTickAll, [tickAll](int) { tickAll(true); });
    router_.SetHandler(cmd::kUntickAll, [tickAll](int) { tickAll(false); });
    router_.SetHandler(cmd::kAbout, [this](int) { OpenAboutBox(*this, *workers_, images_); });
    router_.SetHandler(cmd::kFindText, [this](int) {
        OpenFindDialog(*this, findMemory_, [this]() -> QTextEdit* {
            ChatViewWidget* view = CurrentView();
            if (view != nullptr) {
                view->Flush();  // text still waiting to be drawn is searched too
            }
            return view;
        });
    });
    router_.SetRangeHandler(cmd::kFirstEmoticon, cmd::kLastEmoticon, [this](int button) {
        state_.LastEmoticon = static_cast<std::int16_t>(button);
        InsertEmoticon(*input_, button);
    });
    router_.SetHandler(cmd::kLastEmoticonAgain,
                       [this](int) { router_.Dispatch(state_.LastEmoticon); });
}

// Tool-bar buttons and their shortcuts: with Shift held the group variant, otherwise the action
// for the selected row, and only while that action is enabled.
void MainWindow::RouteUserButton(int event) {
    const bool shift = dispatchModifiers_.testFlag(Qt::ShiftModifier);
    const int row = userList_->SelectedRow();
    switch (event) {
        case cmd::kWhisper:
            if (shift) {
                router_.Dispatch(cmd::kGroupWhisper);
            } else if (row >= 0 && userActions_.whisper) {
                router_.Dispatch(cmd::kWhisperToRowBase + row);
            }
            return;
        case cmd::kTransfer:
            if (shift) {
                router_.Dispatch(cmd::kGroupTransfer);
            } else if (row >= 0 && userActions_.transfer) {
                router_.Dispatch(cmd::kTransferToRowBase + row);
            }
            return;
        case cmd::kReject:
            if (shift) {
                router_.Dispatch(cmd::kGroupReject);
            } else if (row >= 0 && userActions_.reject) {
                router_.Dispatch(cmd::kRejectRowBase + row);
            }
            return;
        case cmd::kUserDetail:
            if (row >= 0 && userActions_.details) {
                router_.Dispatch(cmd::kDetailsRowBase + row);
            }
            return;
        default:
            return;
    }
}

void MainWindow::Dispatch(int event) {
    // The keys held at this moment, not those of the last input event.
    Dispatch(event, QGuiApplication::queryKeyboardModifiers());
}

void MainWindow::Dispatch(int event, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers outer = dispatchModifiers_;
    dispatchModifiers_ = modifiers;
    router_.Dispatch(event);
    dispatchModifiers_ = outer;
}

void MainWindow::ShowNotAvailable(int event) {
    if (notice_ != nullptr) {
        notice_->close();
    }
    auto* box =
        new QMessageBox(QMessageBox::Information, QStringLiteral("Talvoro"),
                        QStringLiteral("This command (%1) is not available yet.").arg(event),
                        QMessageBox::Ok, this);  // deletes itself when closed
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    notice_ = box;
}

MenuContext MainWindow::CurrentMenuContext() const {
    if (menuContext_) {
        return menuContext_();
    }
    // Without the core's model: what the window itself shows.
    MenuContext context;
    context.ownName = state_.settings.UserName;
    context.serverRunning = state_.ServerRunning.load();
    context.serviceMode = state_.ServiceMode;
    context.privateVisible = state_.settings.IsPrivateVisible != 0;
    for (int row = 0; row < userList_->RowCount(); ++row) {
        const QTreeWidgetItem* item = userList_->topLevelItem(row);
        context.users.push_back(
            MenuUser{FromQt(item->text(0)), item->text(1).toInt(), false, false, false});
        context.anyTicked = context.anyTicked || userList_->IsTicked(row);
    }
    for (int position = 1; position < tabs_->TabCount(); ++position) {
        if (tabs_->ViewOfTab(position) != chat::kPrivateView) {
            context.topics.push_back(MenuTopic{FromQt(tabs_->Bar().tabText(position)), 0});
        }
    }
    return context;
}

MainWindow::Popup MainWindow::PopupAt(QPoint clientPoint) {
    const QRect rows = QRect(userList_->mapTo(this, userList_->RowsArea().topLeft()),
                             userList_->RowsArea().size());
    const int selectedRow = userList_->SelectedRow();
    Popup popup;
    popup.region = RegionAt(clientPoint, rects_, rows, selectedRow >= 0);
    switch (popup.region) {
        case ContextRegion::TabBar:
            popup.menu = BuildTopicMenu(CurrentMenuContext());
            break;
        case ContextRegion::TextView:
            popup.menu = BuildTextViewMenu();
            break;
        case ContextRegion::UserList:
            popup.menu = BuildUserMenu(CurrentMenuContext(), selectedRow);
            break;
        case ContextRegion::UserToolBar: {
            const int button = toolBar_->ButtonAt(toolBar_->mapFrom(this, clientPoint));
            if (button == cmd::kWhisper || button == cmd::kTransfer || button == cmd::kReject) {
                Dispatch(button, Qt::ShiftModifier);
            }
            break;
        }
        case ContextRegion::Elsewhere:
            popup.menu = BuildMessageFieldMenu(CurrentMenuContext());
            break;
    }
    return popup;
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    Popup popup = PopupAt(mapFromGlobal(event->globalPos()));
    event->accept();
    if (popup.menu == nullptr) {
        return;
    }
    const QAction* chosen = popup.menu->exec(event->globalPos());
    const Qt::KeyboardModifiers modifiers = QGuiApplication::queryKeyboardModifiers();
    if (const int number = GroupVariant(MenuEvent(chosen), modifiers); number != 0) {
        Dispatch(number, modifiers);
    }
}

}  // namespace talvoro::ui
