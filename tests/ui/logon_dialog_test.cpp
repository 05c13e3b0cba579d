#include "ui/logon_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "support/qt_app.h"

namespace talvoro::ui {
namespace {

struct DialogFixture : ::testing::Test {
    void SetUp() override { test::QtApp(); }

    LogonDialogServices Services() {
        LogonDialogServices services;
        services.chooseColor = [this](QColor, QWidget*) -> std::optional<QColor> {
            ++colorChooserCalls;
            return chosenColor;
        };
        services.addresses = [] { return std::vector<std::string>{"10.1.1.1", "192.168.7.7"}; };
        services.hostName = [] { return std::string{"workstation"}; };
        return services;
    }

    template <typename T>
    static T* Child(QWidget& dialog, const char* name) {
        T* child = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    std::optional<QColor> chosenColor;
    int colorChooserCalls = 0;
    app::Settings settings;
};

TEST_F(DialogFixture, fields_start_with_the_settings_and_focus_in_the_alias) {
    settings.UserName = "bob";
    settings.Host = "chatserver";
    settings.Port = 1805;
    LogonDialog dialog(settings, Services());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Client/Server Information"));
    const app::LogonFields fields = dialog.Fields();
    EXPECT_EQ(fields.userName, "bob");
    EXPECT_EQ(fields.host, "chatserver");
    EXPECT_EQ(fields.port, "1805");
    EXPECT_EQ(dialog.focusWidget(), Child<QLineEdit>(dialog, "userNameField"));
}

TEST_F(DialogFixture, typed_values_are_trimmed_and_port_cut_when_applied) {
    settings.UserName.clear();
    settings.Host.clear();
    settings.Port = 0;
    LogonDialog dialog(settings, Services());
    dialog.show();
    Child<QLineEdit>(dialog, "portField")->clear();
    QTest::keyClicks(Child<QLineEdit>(dialog, "userNameField"), "  alice  ");
    QTest::keyClicks(Child<QLineEdit>(dialog, "hostField"), " 127.0.0.1 ");
    QTest::keyClicks(Child<QLineEdit>(dialog, "portField"), "99999");
    app::ApplyLogonFields(dialog.Fields(), settings, [] { return 7; });
    EXPECT_EQ(settings.UserName, "alice");
    EXPECT_EQ(settings.Host, "127.0.0.1");
    EXPECT_EQ(settings.Port, 65535);
}

TEST_F(DialogFixture, fields_hold_at_most_their_limits) {
    LogonDialog dialog(settings, Services());
    dialog.show();
    auto* alias = Child<QLineEdit>(dialog, "userNameField");
    alias->clear();
    QTest::keyClicks(alias, "abcdefghijklmnopqrstuvwxyz0123");
    EXPECT_EQ(alias->text().size(), 24);
    auto* port = Child<QLineEdit>(dialog, "portField");
    port->clear();
    QTest::keyClicks(port, "1234567");
    EXPECT_EQ(port->text(), QStringLiteral("12345"));
}

TEST_F(DialogFixture, port_field_takes_digits_only) {
    LogonDialog dialog(settings, Services());
    dialog.show();
    auto* port = Child<QLineEdit>(dialog, "portField");
    port->clear();
    QTest::keyClicks(port, "8a0-x");
    EXPECT_EQ(port->text(), QStringLiteral("80"));
}

TEST_F(DialogFixture, alias_and_host_refuse_colon_and_brackets_typed_or_pasted) {
    LogonDialog dialog(settings, Services());
    dialog.show();
    auto* alias = Child<QLineEdit>(dialog, "userNameField");
    alias->clear();
    QTest::keyClicks(alias, "[b:o]b");
    EXPECT_EQ(alias->text(), QStringLiteral("bob"));
    alias->insert(QStringLiteral(" [x]:y"));
    EXPECT_EQ(alias->text(), QStringLiteral("bob xy"));
    auto* host = Child<QLineEdit>(dialog, "hostField");
    host->clear();
    QTest::keyClicks(host, "10.0.0.1:80");
    EXPECT_EQ(host->text(), QStringLiteral("10.0.0.180"));
}

TEST_F(DialogFixture, myip_cycles_through_own_addresses_then_host_name) {
    LogonDialog dialog(settings, Services());
    dialog.show();
    auto* myIp = Child<QPushButton>(dialog, "myIpButton");
    auto* host = Child<QLineEdit>(dialog, "hostField");
    const QStringList expected = {"10.1.1.1", "192.168.7.7", "workstation",
                                  "10.1.1.1", "192.168.7.7", "workstation"};
    for (const QString& want : expected) {
        QTest::mouseClick(myIp, Qt::LeftButton);
        EXPECT_EQ(host->text(), want);
    }
}

TEST_F(DialogFixture, choosing_background_colour_turns_it_into_its_complement) {
    settings.Color = 0x0000AA;
    LogonDialog dialog(settings, Services());
    QPalette palette = dialog.palette();
    palette.setColor(QPalette::Base, Qt::white);
    dialog.setPalette(palette);
    dialog.show();
    auto* sample = Child<QWidget>(dialog, "colorSample");

    chosenColor = QColor(255, 255, 255);
    QTest::mouseClick(sample, Qt::LeftButton);
    EXPECT_EQ(colorChooserCalls, 1);
    EXPECT_EQ(dialog.Color(), 0x000000);

    chosenColor = QColor(128, 128, 128);
    QTest::mouseClick(sample, Qt::LeftButton);
    EXPECT_EQ(dialog.Color(), 0x808080);

    chosenColor = QColor(0, 0, 255);  // blue: 0x00BBGGRR form
    QTest::mouseClick(sample, Qt::LeftButton);
    EXPECT_EQ(dialog.Color(), 0xFF0000);
}

TEST_F(DialogFixture, cancelled_colour_chooser_keeps_the_colour) {
    settings.Color = 0x123456;
    LogonDialog dialog(settings, Services());
    dialog.show();
    chosenColor.reset();
    QTest::mouseClick(Child<QWidget>(dialog, "colorSample"), Qt::LeftButton);
    EXPECT_EQ(colorChooserCalls, 1);
    EXPECT_EQ(dialog.Color(), 0x123456);
}

TEST_F(DialogFixture, enter_connects_and_escape_cancels) {
    {
        LogonDialog dialog(settings, Services());
        dialog.show();
        QTest::keyClick(Child<QLineEdit>(dialog, "userNameField"), Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(dialog.isVisible());
    }
    {
        LogonDialog dialog(settings, Services());
        dialog.show();
        QTest::keyClick(Child<QLineEdit>(dialog, "hostField"), Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
    }
}

}  // namespace
}  // namespace talvoro::ui
