#include "ui/dialog_host.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "ui/balloon_tip.h"

namespace talvoro::ui {

namespace {

bool HoldsOneLineText(const QWidget& child) {
    if (const auto* label = qobject_cast<const QLabel*>(&child)) {
        return !label->wordWrap() && !label->text().isEmpty();
    }
    return qobject_cast<const QCheckBox*>(&child) != nullptr ||
           qobject_cast<const QRadioButton*>(&child) != nullptr;
}

int Scaled(int value, double factor) {
    return static_cast<int>(std::lround(value * factor));
}

}  // namespace

void SetUpFixedDialog(QDialog& dialog, const QString& objectName, const QString& title, QSize size,
                      TitleBar titleBar) {
    dialog.setObjectName(objectName);
    dialog.setWindowTitle(title);
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (titleBar == TitleBar::WithClose) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    dialog.setWindowFlags(flags);
    dialog.setFixedSize(size);
    QFont small = dialog.font();
    small.setPointSize(8);
    dialog.setFont(small);
}

QPushButton* PlaceButton(QWidget& parent, const QString& text, QRect rect, const QString& tipTitle,
                         const QString& tipText) {
    auto* button = new QPushButton(text, &parent);
    button->setGeometry(rect);
    AddBalloonTip(*button, tipText, tipTitle);
    return button;
}

double FitLayoutToFont(QDialog& dialog) {
    constexpr double kMaxFactor = 2.0;
    const QList<QWidget*> children = dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    double factor = 1.0;
    for (const QWidget* child : children) {
        if (HoldsOneLineText(*child) && child->width() > 0 && child->height() > 0) {
            const QSize hint = child->sizeHint();
            factor = std::max({factor, static_cast<double>(hint.width()) / child->width(),
                               static_cast<double>(hint.height()) / child->height()});
        }
    }
    factor = std::min(factor, kMaxFactor);
    if (factor > 1.0) {
        for (QWidget* child : children) {
            const QRect r = child->geometry();
            child->setGeometry(Scaled(r.x(), factor), Scaled(r.y(), factor),
                               Scaled(r.width(), factor), Scaled(r.height(), factor));
        }
        dialog.setFixedSize(Scaled(dialog.width(), factor), Scaled(dialog.height(), factor));
    }
    return factor;
}

void ShowOverDisabledMain(QWidget& main, QDialog& dialog) {
    main.setEnabled(false);
    const QRect frame = main.isVisible() ? main.frameGeometry() : main.geometry();
    dialog.move(frame.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
    QObject::connect(&dialog, &QDialog::finished, &dialog, &QObject::deleteLater);
    QObject::connect(&dialog, &QObject::destroyed, &main, [&main] {
        main.setEnabled(true);
        main.activateWindow();
    });
    // A dialog still open when the main window goes (the program ends) goes with it, without
    // calling back into the half-destroyed window.
    QObject::connect(&main, &QObject::destroyed, &dialog,
                     [&main, guard = QPointer<QDialog>(&dialog)] {
                         if (QDialog* open = guard.data()) {
                             QObject::disconnect(open, nullptr, &main, nullptr);
                             delete open;
                         }
                     });
    dialog.show();
    if (main.windowHandle() != nullptr && dialog.windowHandle() != nullptr) {
        dialog.windowHandle()->setTransientParent(main.windowHandle());
    }
}

}  // namespace talvoro::ui
