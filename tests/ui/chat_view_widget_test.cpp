#include "ui/chat_view_widget.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>
#include <QTextCursor>

#include "chat/chat_ids.h"
#include "support/qt_app.h"

namespace talvoro::ui {
namespace {

class ChatView : public ::testing::Test {
  protected:
    // Appends to the document and hands the new runs to the view, as the core and the port do;
    // the view draws them with its next batch.
    void Queue(chat::TextRun run) {
        const std::size_t first = document.RunCount();
        document.Append(std::move(run));
        view.AppendRuns(document, first);
    }
    void Append(chat::TextRun run) {
        Queue(std::move(run));
        view.Flush();
    }
    QTextCharFormat FormatAt(int position) {
        QTextCursor cursor(view.document());
        cursor.setPosition(position + 1);
        return cursor.charFormat();
    }
    void Select(int anchor, int position) {
        QTextCursor selection(view.document());
        selection.setPosition(anchor);
        selection.setPosition(position, QTextCursor::KeepAnchor);
        view.setTextCursor(selection);
    }

    QApplication& app = talvoro::test::QtApp();  // before any widget
    chat::ChatDocument document;
    ChatViewWidget view{chat::kMainView};
};

TEST_F(ChatView, keeps_the_users_selection_while_text_is_appended) {
    Append({"first line\n"});
    Append({"second line\n"});
    Select(2, 8);
    Append({"bob: more text\n"});
    EXPECT_EQ(view.textCursor().anchor(), 2);
    EXPECT_EQ(view.textCursor().position(), 8);
    EXPECT_EQ(view.textCursor().selectedText(), QStringLiteral("rst li"));
    // A selection that reaches the end does not grow with the new text.
    Select(28, 38);
    Append({"abc\n"});
    EXPECT_EQ(view.textCursor().selectedText(), QStringLiteral("more text\u2029"));
}

TEST_F(ChatView, draws_waiting_runs_together_and_scrolls_only_when_asked) {
    view.resize(200, 100);
    view.show();
    for (int i = 0; i < 60; ++i) {
        Append({"line " + std::to_string(i) + "\n"});
    }
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);  // appending alone does not scroll
    for (int i = 60; i < 120; ++i) {
        Queue({"line " + std::to_string(i) + "\n"});
    }
    view.ScrollToEnd();
    EXPECT_TRUE(view.toPlainText().endsWith(QStringLiteral("line 59\n")));  // not drawn yet
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return view.toPlainText().endsWith(QStringLiteral("line 119\n")); }, 5000));
    EXPECT_TRUE(view.AtEnd());  // the scroll asked for before follows the new lines
}

// Runs draw as bold heads and coloured (0x00BBGGRR) bodies of Windows-1252 text; a replaced
// document shows whole, without the runs still waiting for the text it replaces.
TEST_F(ChatView, shows_a_replaced_document_whole_in_its_formats) {
    Append({"old\n"});
    Queue({"still waiting\n"});
    chat::ChatDocument archive;
    archive.Append({"ann: ", 0x0000FF, true});
    archive.Append({"caf\xE9 \x80\n", 0x00FF00});
    view.ShowDocument(archive);
    const QString shown = QString::fromUtf8("ann: café €\n");
    EXPECT_EQ(view.toPlainText(), shown);
    EXPECT_EQ(FormatAt(0).fontWeight(), QFont::Bold);
    EXPECT_EQ(FormatAt(0).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(FormatAt(5).fontWeight(), QFont::Normal);
    view.AppendRuns(archive, 2);  // nothing new
    view.Flush();
    EXPECT_EQ(view.toPlainText(), shown);
    EXPECT_TRUE(view.isReadOnly());
}

}  // namespace
}  // namespace talvoro::ui
