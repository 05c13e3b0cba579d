#pragma once
// The emoticon bar (tool bar 2): 24 buttons with 16 x 16 faces in the order of the emoticon table,
// each with the tooltip name + line feed + code. A click reports the button's number (171..194).
// And the insertion of an emoticon's code into the message field.
//
// Thread: GUI thread only.

#include <QToolBar>
#include <functional>
#include <map>

namespace talvoro::ui {

class ImageStore;
class MessageField;

class EmoticonBar : public QToolBar {
    Q_OBJECT
  public:
    EmoticonBar(const ImageStore& images, std::function<void(int button)> trigger,
                QWidget* parent = nullptr);

    // The action of `button` (171..194); null for another number.
    QAction* ButtonAction(int button) const;

  private:
    std::map<int, QAction*> actions_;  // owned by the tool bar
};

// Inserts the code of emoticon `button` at the start of the field's selection, with a blank on
// either side where the neighbouring character is not one; the caret goes behind the code, the
// field scrolls to it and takes the focus. The field's length limit cuts what does not fit.
// An unknown button changes nothing.
void InsertEmoticon(MessageField& field, int button);

}  // namespace talvoro::ui
