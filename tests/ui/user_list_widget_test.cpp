#include "ui/user_list_widget.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <vector>

#include "app/identifiers.h"
#include "ui/ui_fixture.h"

namespace talvoro::ui {
namespace {

std::vector<chat::UserRow> Rows() {
    return {{"ann", 1500, 0x0000FF, chat::RowIcon::Normal, false, false},
            {"bob", 9, 0x00FF00, chat::RowIcon::Away, true, true},
            {"J\xFCrgen", 12, 0xFF0000, chat::RowIcon::RejectedByMe, false, false}};
}

class UserList : public ::testing::Test {
  protected:
    void SetUp() override { test::Images(); }
    UserListWidget list{test::Images()};
};

TEST_F(UserList, shows_names_ids_ticks_and_the_selected_row) {
    const auto rows = Rows();
    list.ShowRows(rows, 2);
    ASSERT_EQ(list.RowCount(), 3);
    EXPECT_EQ(list.topLevelItem(0)->text(0), QStringLiteral("ann"));
    EXPECT_EQ(list.topLevelItem(0)->text(1), QStringLiteral("1500"));
    EXPECT_EQ(list.topLevelItem(2)->text(0), QString::fromUtf8("Jürgen"));
    EXPECT_FALSE(list.IsTicked(0));
    EXPECT_TRUE(list.IsTicked(1));
    EXPECT_EQ(list.SelectedRow(), 2);
    EXPECT_TRUE(list.isColumnHidden(1));
    EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("Users Online"));
    EXPECT_FALSE(list.topLevelItem(0)->icon(0).isNull());
}

TEST_F(UserList, rows_take_the_users_colours_and_away_users_are_grey) {
    list.ShowRows(Rows(), -1);
    EXPECT_EQ(list.topLevelItem(0)->foreground(0).color(), QColor(255, 0, 0));
    EXPECT_EQ(list.topLevelItem(2)->foreground(0).color(), QColor(0, 0, 255));
    EXPECT_EQ(list.topLevelItem(1)->foreground(0).color(),
              list.palette().color(QPalette::Disabled, QPalette::Text));
    EXPECT_NE(list.topLevelItem(1)->foreground(0).color(), QColor(0, 255, 0));
}

TEST_F(UserList, without_user_colours_rows_keep_the_default_colour) {
    list.SetUserColors(false);
    list.ShowRows(Rows(), -1);
    EXPECT_EQ(list.topLevelItem(0)->foreground(0).style(), Qt::NoBrush);
    EXPECT_EQ(list.topLevelItem(1)->foreground(0).style(), Qt::NoBrush);
}

TEST_F(UserList, reports_user_ticks_and_selections_but_not_rebuilds) {
    std::vector<std::pair<int, bool>> ticks;
    std::vector<int> selections;
    list.SetTickHandler([&](int row, bool ticked) { ticks.emplace_back(row, ticked); });
    list.SetSelectionHandler([&](int row) { selections.push_back(row); });
    list.ShowRows(Rows(), 1);
    EXPECT_TRUE(ticks.empty());
    EXPECT_TRUE(selections.empty());
    list.topLevelItem(0)->setCheckState(0, Qt::Checked);
    list.setCurrentItem(list.topLevelItem(2));
    EXPECT_EQ(ticks, (std::vector<std::pair<int, bool>>{{0, true}}));
    EXPECT_EQ(selections, std::vector<int>({2}));
}

TEST_F(UserList, no_selection_reads_as_minus_one) {
    list.ShowRows(Rows(), -1);
    EXPECT_EQ(list.SelectedRow(), -1);
    list.ShowRows({}, 0);
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(list.SelectedRow(), -1);
}

}  // namespace
}  // namespace talvoro::ui
