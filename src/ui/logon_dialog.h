#pragma once
// The "Client/Server Information" dialog: alias, server host, port and text colour, with the MyIP
// button that cycles through this computer's addresses and host name. The alias and host fields
// refuse ":" "[" "]" (typed or pasted); the port field takes digits only. GUI thread only.
//
// exec() returns QDialog::Accepted for Connect (Enter) and QDialog::Rejected for Cancel (Escape).
// The dialog only collects the values; the caller applies them (app::ApplyLogonFields) and
// decides what happens next.

#include <QColor>
#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>

#include "app/logon_settings.h"
#include "app/settings.h"

class QLayout;
class QLineEdit;
class QPushButton;

namespace talvoro::ui {

class ColorSample;

// The desktop services the dialog uses, replaceable in tests.
struct LogonDialogServices {
    // Opens a colour chooser starting at `initial`; nullopt when the user cancels.
    std::function<std::optional<QColor>(QColor initial, QWidget* parent)> chooseColor;
    // This computer's IPv4 addresses (dotted) and its host name, for the MyIP button.
    app::OwnAddressCycle::AddressSource addresses;
    app::OwnAddressCycle::HostNameSource hostName;
};

// The real services: the system colour chooser and the transport's address functions.
LogonDialogServices DesktopLogonServices();

class LogonDialog : public QDialog {
    Q_OBJECT

  public:
    // Fills the fields from "Username", "Host", "Port", "Color", "Font" and "FontSize".
    LogonDialog(const app::Settings& settings, LogonDialogServices services,
                QWidget* parent = nullptr);
    ~LogonDialog() override;

    // The three fields as typed (Windows-1252 bytes), untrimmed.
    app::LogonFields Fields() const;
    // The text colour after the last choice (0x00BBGGRR), already passed through the contrast rule.
    std::int32_t Color() const { return color_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* BuildFields(const app::Settings& settings);
    QLayout* BuildButtons();
    void ChooseColor();
    void NextOwnAddress();

    LogonDialogServices services_;
    app::OwnAddressCycle addressCycle_;
    std::int32_t color_;
    QLineEdit* userName_ = nullptr;
    QLineEdit* host_ = nullptr;
    QLineEdit* port_ = nullptr;
    QPushButton* myIp_ = nullptr;
    ColorSample* sample_ = nullptr;
    QPushButton* connect_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace talvoro::ui
