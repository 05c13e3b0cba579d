#include "ui/user_list_widget.h"

#include <gtest/gtest.h>

#include "ui/embedded_images.h"

namespace talvoro::ui {
namespace {

class UserList : public ::testing::Test {
  protected:
    UserListWidget list{EmbeddedImages()};
    const std::vector<chat::UserRow> rows = {
        {"ann", 1500, 0x0000FF, chat::RowIcon::Normal, false, false},
        {"bob", 9, 0x00FF00, chat::RowIcon::Away, true, true},
        {"J\xFCrgen", 12, 0xFF0000, chat::RowIcon::RejectedByMe, false, false}};
};

TEST_F(UserList, shows_names_ids_ticks_icons_colours_and_the_selected_row) {
    list.ShowRows(rows, 2);
    ASSERT_EQ(list.RowCount(), 3);
    EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("Users Online"));
    EXPECT_EQ(list.topLevelItem(0)->text(0), QStringLiteral("ann"));
    EXPECT_EQ(list.topLevelItem(0)->text(1), QStringLiteral("1500"));
    EXPECT_EQ(list.topLevelItem(2)->text(0), QString::fromUtf8("Jürgen"));
    EXPECT_FALSE(list.IsTicked(0));
    EXPECT_TRUE(list.IsTicked(1));
    EXPECT_FALSE(list.topLevelItem(0)->icon(0).isNull());
    EXPECT_EQ(list.topLevelItem(0)->foreground(0).color(), QColor(255, 0, 0));  // 0x00BBGGRR
    EXPECT_EQ(list.SelectedRow(), 2);
    list.ShowRows(rows, -1);
    EXPECT_EQ(list.SelectedRow(), -1);
}

}  // namespace
}  // namespace talvoro::ui
