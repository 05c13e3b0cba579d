#include "ui/find_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <memory>

#include "support/qt_app.h"

namespace talvoro::ui {
namespace {

class FindDialogTest : public ::testing::Test {
  protected:
    FindDialogTest() {
        view.setPlainText(QStringLiteral("Cat sat on a concatenated mat with a cat"));
        Open();
    }
    void Open() {
        dialog = std::make_unique<FindDialog>(memory, [this]() -> QTextEdit* { return &view; });
        dialog->SetNotFoundHandler([this] { ++notFound; });
    }
    // Types `text` and presses Find next; returns the selection as start..end.
    std::pair<int, int> Find(const QString& text) {
        dialog->TextField().setText(text);
        dialog->FindNext();
        const QTextCursor cursor = view.textCursor();
        return {cursor.selectionStart(), cursor.selectionEnd()};
    }

    QApplication& app = test::QtApp();  // before any widget
    QTextEdit view;
    FindMemory memory;
    std::unique_ptr<FindDialog> dialog;
    int notFound = 0;
};

TEST_F(FindDialogTest, walks_down_through_the_matches_then_reports_and_keeps_the_selection) {
    EXPECT_EQ(Find("cat"), std::make_pair(0, 3));  // the first word, case ignored
    EXPECT_EQ(Find("cat"), std::make_pair(16, 19));
    EXPECT_EQ(Find("cat"), std::make_pair(37, 40));
    EXPECT_EQ(notFound, 0);
    EXPECT_EQ(Find("cat"), std::make_pair(37, 40));
    EXPECT_EQ(notFound, 1);
}

TEST_F(FindDialogTest, whole_words_and_case_and_upward_search) {
    dialog->WholeWordBox().setChecked(true);
    dialog->MatchCaseBox().setChecked(true);
    EXPECT_EQ(Find("cat"), std::make_pair(37, 40));  // not "Cat", not inside "concatenated"
    dialog->UpButton().setChecked(true);
    EXPECT_EQ(Find("cat"), std::make_pair(37, 40));
    EXPECT_EQ(notFound, 1);
    dialog->WholeWordBox().setChecked(false);
    EXPECT_EQ(Find("cat"), std::make_pair(16, 19));
}

TEST_F(FindDialogTest,
       a_new_string_restarts_at_the_top_so_upward_finds_nothing_and_selection_is_used) {
    EXPECT_EQ(Find("mat"), std::make_pair(26, 29));
    dialog->UpButton().setChecked(true);
    EXPECT_EQ(Find("sat"), std::make_pair(0, 0));
    EXPECT_EQ(notFound, 1);
    dialog->DownButton().setChecked(true);
    EXPECT_EQ(Find("sat"), std::make_pair(4, 7));
    Find("sat on");  // Use Selection copies the found text back
    dialog->TextField().clear();
    dialog->UseSelection();
    EXPECT_EQ(dialog->TextField().text(), QStringLiteral("sat on"));
}

TEST_F(FindDialogTest, escape_remembers_the_boxes_the_close_box_only_the_searched_string) {
    dialog->WholeWordBox().setChecked(true);
    Find("on");
    dialog->TextField().setText(QStringLiteral("typed"));
    dialog->close();  // the close box
    EXPECT_EQ(memory.text, QStringLiteral("on"));
    EXPECT_FALSE(memory.wholeWord);

    Open();
    EXPECT_EQ(dialog->TextField().text(), QStringLiteral("on"));
    dialog->MatchCaseBox().setChecked(true);
    dialog->UpButton().setChecked(true);
    dialog->TextField().setText(QStringLiteral("typed"));
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(memory.text, QStringLiteral("typed"));
    EXPECT_TRUE(memory.matchCase);

    Open();
    EXPECT_TRUE(dialog->MatchCaseBox().isChecked());
    EXPECT_TRUE(dialog->DownButton().isChecked());
}

}  // namespace
}  // namespace talvoro::ui
