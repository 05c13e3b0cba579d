#pragma once
// Shows a dialog of the main window as a window of its own while the main window is disabled, as
// the Options, Find and About windows are: the main window takes no input (and the tray menu is
// refused) until the dialog is gone. The dialog is not a child of the main window, since a
// disabled parent would disable it too; it is placed over the main window and deleted when it
// finishes or when the main window goes.
//
// Thread: GUI thread only.

#include <QRect>
#include <QSize>
#include <QString>

class QDialog;
class QPushButton;
class QWidget;

namespace talvoro::ui {

// Names and titles a fixed-layout dialog, fixes its size and gives it the small 8-point font its
// controls are placed for.
enum class TitleBar { TitleOnly, WithClose };  // WithClose adds the close button and system menu
void SetUpFixedDialog(QDialog& dialog, const QString& objectName, const QString& title, QSize size,
                      TitleBar titleBar);

// A push button of a fixed-layout dialog at `rect` in `parent`, with its balloon tip.
QPushButton* PlaceButton(QWidget& parent, const QString& text, QRect rect, const QString& tipTitle,
                         const QString& tipText);

// The controls of the fixed-layout dialogs are placed for a small 8-point font. Where the
// platform's font is wider, this scales every direct child's geometry and the dialog's fixed size
// by the factor at which each check box, option button and one-line label fits its text (never
// below 1, at most 2), so the layout keeps its proportions. Returns the factor.
double FitLayoutToFont(QDialog& dialog);

// Disables `main`, centres `dialog` (which must have no parent) on it and shows it. When the
// dialog finishes it is deleted, `main` is enabled again and becomes the active window.
void ShowOverDisabledMain(QWidget& main, QDialog& dialog);

}  // namespace talvoro::ui
