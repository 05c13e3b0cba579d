#include "ui/main_shortcuts.h"

#include <QShortcut>
#include <QWidget>
#include <utility>

#include "ui/identifiers.h"

namespace talvoro::ui {

namespace cmd = app::cmd;

namespace {

constexpr int kTopicTabShortcuts = 4;  // Alt+1 .. Alt+4 for tab positions 0..3

QKeySequence Alt(int key) {
    return QKeySequence(QKeyCombination(Qt::AltModifier, static_cast<Qt::Key>(key)));
}
QKeySequence AltShift(int key) {
    return QKeySequence(
        QKeyCombination(Qt::AltModifier | Qt::ShiftModifier, static_cast<Qt::Key>(key)));
}
QKeySequence Ctrl(int key) {
    return QKeySequence(QKeyCombination(Qt::ControlModifier, static_cast<Qt::Key>(key)));
}

}  // namespace

std::vector<ShortcutBinding> MainShortcutTable(bool serviceMode) {
    std::vector<ShortcutBinding> table = {
        {QKeySequence(Qt::Key_Return), cmd::kSend},
        {QKeySequence(Qt::Key_Enter), cmd::kSend},
        {Alt(Qt::Key_A), cmd::kAbout},
        {Alt(Qt::Key_H), cmd::kHideShow},
        {Alt(Qt::Key_O), cmd::kOpenTransferDir},
        {Alt(Qt::Key_Y), cmd::kToggleAway},
        {Alt(Qt::Key_P), cmd::kPreferences},
        {Alt(Qt::Key_F), cmd::kFindText},
        {Alt(Qt::Key_S), cmd::kSaveSession},
        {Alt(Qt::Key_I), cmd::kTopicInfo},
        {Alt(Qt::Key_C), cmd::kClearTopic},
        {Alt(Qt::Key_G), cmd::kPrivateGroupToggle},
        {Alt(Qt::Key_N), cmd::kSpawnTopic},
        {Ctrl(Qt::Key_E), cmd::kLastEmoticonAgain},
        {Ctrl(Qt::Key_W), cmd::kAnswerWhisper},
        {AltShift(Qt::Key_W), cmd::kWhisper},
        {AltShift(Qt::Key_R), cmd::kReject},
        {Alt(Qt::Key_0), cmd::kSelectPrivateTab},
    };
    if (!serviceMode) {
        table.push_back({Alt(Qt::Key_Q), cmd::kQuit});
    }
    for (int k = 0; k < kTopicTabShortcuts; ++k) {
        table.push_back({Alt(Qt::Key_1 + k), cmd::kSelectTabBase + k});
    }
    return table;
}

MainShortcuts::MainShortcuts(QWidget& window, bool serviceMode, Trigger trigger)
    : trigger_(std::move(trigger)) {
    for (const ShortcutBinding& binding : MainShortcutTable(serviceMode)) {
        Add(window, binding.keys, binding.event);
    }
    // Per-user shortcuts: disabled until a row allows them.
    Add(window, Alt(Qt::Key_W), cmd::kWhisper);
    Add(window, Alt(Qt::Key_T), cmd::kTransfer);
    Add(window, AltShift(Qt::Key_T), cmd::kTransfer);
    Add(window, Alt(Qt::Key_R), cmd::kReject);
    Add(window, Alt(Qt::Key_D), cmd::kUserDetail);
    SetUserActions(chat::UserActions{});
    SetTopicTabCount(1);
}

QShortcut* MainShortcuts::Add(QWidget& window, const QKeySequence& keys, int event) {
    auto* shortcut = new QShortcut(keys, &window);  // owned by the window (Qt parent)
    shortcut->setContext(Qt::WindowShortcut);
    shortcut->setAutoRepeat(false);
    const Qt::KeyboardModifiers modifiers = keys[0].keyboardModifiers();
    QObject::connect(shortcut, &QShortcut::activated, shortcut, [this, event, modifiers] {
        if (trigger_) {
            trigger_(event, modifiers);
        }
    });
    byKeys_[keys.toString(QKeySequence::PortableText)] = shortcut;
    return shortcut;
}

void MainShortcuts::SetUserActions(const chat::UserActions& actions) {
    const auto enable = [this](const QKeySequence& keys, bool on) {
        if (QShortcut* shortcut = Find(keys)) {
            shortcut->setEnabled(on);
        }
    };
    enable(Alt(Qt::Key_D), actions.details);
    enable(Alt(Qt::Key_R), actions.reject);
    enable(Alt(Qt::Key_W), actions.whisper);
    enable(Alt(Qt::Key_T), actions.transfer);
    enable(AltShift(Qt::Key_T), actions.transfer);
}

void MainShortcuts::SetTopicTabCount(int count) {
    for (int k = 0; k < kTopicTabShortcuts; ++k) {
        if (QShortcut* shortcut = Find(Alt(Qt::Key_1 + k))) {
            shortcut->setEnabled(k < count);
        }
    }
}

QShortcut* MainShortcuts::Find(const QKeySequence& keys) const {
    const auto found = byKeys_.find(keys.toString(QKeySequence::PortableText));
    return found == byKeys_.end() ? nullptr : found->second;
}

bool MainShortcuts::IsEnabled(const QKeySequence& keys) const {
    const QShortcut* shortcut = Find(keys);
    return shortcut != nullptr && shortcut->isEnabled();
}

}  // namespace talvoro::ui
