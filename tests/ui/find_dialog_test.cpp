#include "ui/find_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTextEdit>

#include "support/qt_app.h"

namespace talvoro::ui {
namespace {

class FindDialogTest : public ::testing::Test {
  protected:
    FindDialogTest() {
        view.setPlainText(QStringLiteral("Cat sat on a concatenated mat with a cat"));
        dialog.SetNotFoundHandler([this] { ++notFound; });
    }
    // Types `text` and presses Find next; returns the selection as start..end.
    std::pair<int, int> Find(const QString& text) {
        dialog.TextField().setText(text);
        dialog.FindNext();
        const QTextCursor cursor = view.textCursor();
        return {cursor.selectionStart(), cursor.selectionEnd()};
    }

    QApplication& app = test::QtApp();  // before any widget
    QTextEdit view;
    FindMemory memory;
    FindDialog dialog{memory, [this]() -> QTextEdit* { return &view; }};
    int notFound = 0;
};

// Whole words and case narrow the match; with no further match the view keeps its selection and
// the user is told. Down searches from the selection's end, up from its start.
TEST_F(FindDialogTest, finds_by_word_case_and_direction_and_reports_the_end) {
    dialog.WholeWordBox().setChecked(true);
    dialog.MatchCaseBox().setChecked(true);
    EXPECT_EQ(Find("cat"), std::make_pair(37, 40));  // not "Cat", not inside "concatenated"
    EXPECT_EQ(Find("cat"), std::make_pair(37, 40));
    EXPECT_EQ(notFound, 1);
    dialog.WholeWordBox().setChecked(false);
    dialog.UpButton().setChecked(true);
    EXPECT_EQ(Find("cat"), std::make_pair(16, 19));
    dialog.MatchCaseBox().setChecked(false);
    EXPECT_EQ(Find("cat"), std::make_pair(0, 3));
    EXPECT_EQ(Find("cat"), std::make_pair(0, 3));
    EXPECT_EQ(notFound, 2);
}

}  // namespace
}  // namespace talvoro::ui
