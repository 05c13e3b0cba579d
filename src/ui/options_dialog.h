#pragma once
// The Options dialog "Set Options ...": the flags and numbers of the settings that may change
// while the program runs, in five frames, each control with its balloon tip. Controls are loaded
// from the settings when the dialog opens and read back as an OptionsForm; the dialog itself
// keeps no state. Enter saves, Escape and the close box cancel.
//
// Thread: GUI thread only.

#include <QDialog>
#include <functional>
#include <utility>
#include <vector>

#include "app/options_save.h"
#include "app/process_state.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace talvoro::ui {

class OptionsDialog : public QDialog {
    Q_OBJECT
  public:
    // `serverRunning` enables the server functions (keep-alive and whisper trace).
    OptionsDialog(const app::Settings& settings, bool serverRunning, QWidget* parent = nullptr);

    // What the controls hold now.
    app::OptionsForm CurrentForm() const;

    // The check box bound to `field` of the form; the number and text fields by name.
    QCheckBox* Check(bool app::OptionsForm::*field) const;
    QLineEdit& CycleField() const { return *cycle_; }
    QLineEdit& MinutesField() const { return *minutes_; }
    QLineEdit& AwayTextField() const { return *awayText_; }
    QLabel& MinutesLabel() const { return *minutesLabel_; }

  private:
    void BuildFrames();
    void BuildChecks(const app::OptionsForm& form);
    void BuildFields(const app::OptionsForm& form);
    void BuildButtons();
    void EnableFileChecks();
    void EnableAwayControls();

    bool serverRunning_;
    std::vector<std::pair<bool app::OptionsForm::*, QCheckBox*>> checks_;  // children of the dialog
    QLineEdit* cycle_ = nullptr;
    QLineEdit* minutes_ = nullptr;
    QLineEdit* awayText_ = nullptr;
    QLabel* minutesLabel_ = nullptr;
};

// The side effects of a Save, each optional; run in the order the save returned them.
struct OptionsActions {
    std::function<void()> rebuildUserList;
    // A client's file server: started when receiving is switched on (it tells the server "0"
    // itself), stopped when it is switched off, before the server is told "1".
    std::function<void()> startFileServer;
    std::function<void()> stopFileServer;
    std::function<void(bool refused)> sendFileReceiveStatus;
    std::function<void()> stopKeepAlive;     // on the server thread, through its request inbox
    std::function<void()> restartAwayTimer;  // a running away timer starts over
    std::function<void()> awayReset;
    std::function<void()> saveSettings;  // writes the preferences file
};

void RunOptionsEffects(const std::vector<app::OptionsEffect>& effects,
                       const OptionsActions& actions);

// Event 49: opens the dialog over the disabled `main` and returns it at once. Save applies the
// form to `state.settings`, runs the side effects, closes the dialog and writes the file; Cancel,
// Escape and the close box change nothing.
OptionsDialog* OpenOptionsDialog(QWidget& main, app::ProcessState& state, OptionsActions actions);

}  // namespace talvoro::ui
