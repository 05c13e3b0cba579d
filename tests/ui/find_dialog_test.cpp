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

// Whole words and case narrow the match; with no further match the view keeps its selection and
// the user is told. Upward searches from the selection's start; a new string starts at the top.
TEST_F(FindDialogTest, finds_by_word_case_and_direction_and_restarts_for_a_new_string) {
    dialog->WholeWordBox().setChecked(true);
    dialog->MatchCaseBox().setChecked(true);
    EXPECT_EQ(Find("cat"), std::make_pair(37, 40));  // not "Cat", not inside "concatenated"
    EXPECT_EQ(Find("cat"), std::make_pair(37, 40));
    EXPECT_EQ(notFound, 1);
    dialog->WholeWordBox().setChecked(false);
    dialog->UpButton().setChecked(true);
    EXPECT_EQ(Find("cat"), std::make_pair(16, 19));
    dialog->MatchCaseBox().setChecked(false);
    EXPECT_EQ(Find("cat"), std::make_pair(0, 3));
    EXPECT_EQ(Find("sat"), std::make_pair(0, 0));  // from the top upward: nothing
    EXPECT_EQ(notFound, 2);
    dialog->DownButton().setChecked(true);
    EXPECT_EQ(Find("sat on"), std::make_pair(4, 10));
    dialog->TextField().clear();
    dialog->UseSelection();
    EXPECT_EQ(dialog->TextField().text(), QStringLiteral("sat on"));
}

// Escape remembers the string and the check boxes for the next opening, the close box only the
// string searched for.
TEST_F(FindDialogTest, escape_remembers_the_boxes_the_close_box_only_the_searched_string) {
    dialog->WholeWordBox().setChecked(true);
    Find("on");
    dialog->TextField().setText(QStringLiteral("typed"));
    dialog->close();  // the close box
    EXPECT_EQ(memory.text, QStringLiteral("on"));
    EXPECT_FALSE(memory.wholeWord);

    Open();
    dialog->MatchCaseBox().setChecked(true);
    dialog->TextField().setText(QStringLiteral("typed"));
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    Open();
    EXPECT_EQ(dialog->TextField().text(), QStringLiteral("typed"));
    EXPECT_TRUE(dialog->MatchCaseBox().isChecked());
}

}  // namespace
}  // namespace talvoro::ui
