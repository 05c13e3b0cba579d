#pragma once
// The dialog shown after a failed connection attempt: "<alias> Found No TalvoroServer", naming the
// host and port, with Retry (Enter), Start Server (Alt+S) and Cancel (Escape). GUI thread only.

#include <QDialog>
#include <cstdint>
#include <string>

namespace talvoro::ui {

enum class FailureChoice { Retry, StartServer, Cancel };

class ConnectionFailureDialog : public QDialog {
    Q_OBJECT

  public:
    // `userName`, `host`: Windows-1252 bytes as in the settings.
    ConnectionFailureDialog(const std::string& userName, const std::string& host, std::int32_t port,
                            QWidget* parent = nullptr);

    // The button the user pressed; Cancel when the dialog was closed any other way.
    FailureChoice Choice() const { return choice_; }

    // Escape and every other way of closing the dialog mean Cancel.
    void reject() override;

  private:
    void Choose(FailureChoice choice);

    FailureChoice choice_ = FailureChoice::Cancel;
};

// Shows the dialog modally and returns the user's choice.
FailureChoice AskAfterFailedConnect(const std::string& userName, const std::string& host,
                                    std::int32_t port);

}  // namespace talvoro::ui
