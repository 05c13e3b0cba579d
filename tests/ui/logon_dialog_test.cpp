#include "ui/logon_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <stdexcept>

#include "support/qt_app.h"
#include "ui/connection_failure_dialog.h"

namespace talvoro::ui {
namespace {

struct LogonDialogTest : ::testing::Test {
    void SetUp() override {
        test::QtApp();
        settings.UserName = "bob";
        settings.Host = "chatserver";
        settings.Port = 1805;
        settings.Color = 0x123456;
        services.chooseColor = [this](QColor, QWidget*) { return chosenColor; };
        services.addresses = [] { return std::vector<std::string>{"10.1.1.1", "192.168.7.7"}; };
        services.hostName = [] { return std::string{"workstation"}; };
    }

    template <typename T = QLineEdit>
    static T& Child(QWidget& dialog, const char* name) {
        T* child = dialog.findChild<T*>(QString::fromLatin1(name));
        return child != nullptr ? *child : throw std::runtime_error(name);
    }

    app::Settings settings;
    LogonDialogServices services;
    std::optional<QColor> chosenColor;
};

TEST_F(LogonDialogTest, focus_starts_in_the_alias_and_filters_refuse_what_the_fields_cannot_hold) {
    const struct {
        const char* field;
        const char* typed;
        const char* shown;
    } cases[] = {
        {"userNameField", "[b:o]b", "bob"},
        {"hostField", "10.0.0.1:80", "10.0.0.180"},
        {"portField", "8a0-x", "80"},
        {"portField", "1234567", "12345"},
        {"userNameField", "abcdefghijklmnopqrstuvwxyz0123", "abcdefghijklmnopqrstuvwx"},
    };
    LogonDialog dialog(settings, services);
    dialog.show();
    EXPECT_EQ(dialog.focusWidget(), &Child(dialog, "userNameField"));
    for (const auto& c : cases) {
        QLineEdit& edit = Child(dialog, c.field);
        edit.clear();
        QTest::keyClicks(&edit, c.typed);
        EXPECT_EQ(edit.text(), QString::fromLatin1(c.shown)) << c.field << " " << c.typed;
    }
    QLineEdit& alias = Child(dialog, "userNameField");
    alias.setText(QStringLiteral("bob"));
    alias.insert(QStringLiteral(" [x]:y"));  // as a paste does
    EXPECT_EQ(alias.text(), QStringLiteral("bob xy"));
    // My IP puts the first own address into the host field.
    QTest::mouseClick(&Child<QPushButton>(dialog, "myIpButton"), Qt::LeftButton);
    EXPECT_EQ(Child(dialog, "hostField").text(), QStringLiteral("10.1.1.1"));
}

TEST_F(LogonDialogTest, chosen_colour_too_close_to_the_background_turns_into_its_complement) {
    LogonDialog dialog(settings, services);
    QPalette palette = dialog.palette();
    palette.setColor(QPalette::Base, Qt::white);
    dialog.setPalette(palette);
    dialog.show();
    const struct {
        std::optional<QColor> chosen;
        std::int32_t color;                 // 0x00BBGGRR
    } cases[] = {{std::nullopt, 0x123456},  // cancelled: unchanged
                 {QColor(255, 255, 255), 0x000000},
                 {QColor(0, 0, 255), 0xFF0000}};
    for (const auto& c : cases) {
        chosenColor = c.chosen;
        QTest::mouseClick(&Child<QWidget>(dialog, "colorSample"), Qt::LeftButton);
        EXPECT_EQ(dialog.Color(), c.color) << c.color;
    }
}

TEST_F(LogonDialogTest, failure_dialog_names_user_host_and_port) {
    ConnectionFailureDialog dialog("bob", "chat.example", 1805);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("bob Found No TalvoroServer"));
    EXPECT_EQ(Child<QLabel>(dialog, "failureText").text(),
              QStringLiteral("Connecting to host *chat.example:1805* failed."));
    const QLabel& advice = Child<QLabel>(dialog, "adviceText");
    EXPECT_TRUE(advice.text().startsWith(QStringLiteral("Press <Retry> to try again")));
    EXPECT_EQ(advice.textFormat(), Qt::PlainText) << "the <...> words must show literally";
}

}  // namespace
}  // namespace talvoro::ui
