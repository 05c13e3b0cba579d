#pragma once
// The Find dialog "Find Text ...": searches the text view of the selected tab for a string and
// selects the next match, up or down, optionally whole words only and case-sensitive. The string
// and the two check boxes are remembered for the run (FindMemory, not saved).
//
// Thread: GUI thread only.

#include <QDialog>
#include <QString>
#include <QTextDocument>
#include <functional>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QTextEdit;

namespace talvoro::ui {

// Remembered from one opening of the dialog to the next.
struct FindMemory {
    QString text;
    bool wholeWord = false;
    bool matchCase = false;
};

// Searches `view` for `text` from its current selection: downward from the selection's end,
// upward (FindBackward) from its start; `restart` first puts the caret at the top. A match is
// selected; without one the view keeps its selection. Returns whether a match was found.
bool FindInView(QTextEdit& view, const QString& text, QTextDocument::FindFlags flags, bool restart);

class FindDialog : public QDialog {
    Q_OBJECT
  public:
    // `memory` must outlive the dialog; `view` returns the view to search (null: none).
    FindDialog(FindMemory& memory, std::function<QTextEdit*()> view, QWidget* parent = nullptr);

    // Called when a search finds nothing; by default the "String could not be found!" box.
    void SetNotFoundHandler(std::function<void()> handler) { onNotFound_ = std::move(handler); }

    // "Find next" (Enter).
    void FindNext();
    // "Use Selection" (Alt+S): the view's selected text into the string field.
    void UseSelection();
    // "Close" (Escape): remembers the string and the check boxes, then closes. The close box
    // closes without remembering the check boxes.
    void CloseRemembering();

    QLineEdit& TextField() const { return *text_; }
    QCheckBox& WholeWordBox() const { return *wholeWord_; }
    QCheckBox& MatchCaseBox() const { return *matchCase_; }
    QRadioButton& UpButton() const { return *up_; }
    QRadioButton& DownButton() const { return *down_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void ShowNotFound();

    FindMemory& memory_;
    std::function<QTextEdit*()> view_;
    std::function<void()> onNotFound_;
    QLineEdit* text_ = nullptr;
    QCheckBox* wholeWord_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QRadioButton* up_ = nullptr;
    QRadioButton* down_ = nullptr;
};

// Event 200: opens the dialog over the disabled `main` and returns it at once.
FindDialog* OpenFindDialog(QWidget& main, FindMemory& memory, std::function<QTextEdit*()> view);

}  // namespace talvoro::ui
