// Draws the program's numbered pictures with QPainter. Every picture is drawn on a transparent
// ARGB image; the strip forms (24-bit, 8-bit and 1-bit) are derived from those drawings.

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <array>

#include "app/identifiers.h"
#include "ui/emoticon_pictures.h"
#include "ui/images.h"

namespace talvoro::ui {

namespace {

namespace img = app::image;

constexpr int kIcon = 16;
constexpr int kLarge = 48;
constexpr int kToolBarPictures = 5;
constexpr QRgb kStripBackground = 0xFFC0C0C0;

void Smooth(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, true);
}

// 1-bit mask of a drawing: index 1 (white) where the drawing is transparent, 0 where it is drawn.
QImage MonoMask(const QImage& drawing) {
    QImage mask(drawing.size(), QImage::Format_Mono);
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < drawing.height(); ++y) {
        for (int x = 0; x < drawing.width(); ++x) {
            mask.setPixel(x, y, qAlpha(drawing.pixel(x, y)) < 128 ? 1 : 0);
        }
    }
    return mask;
}

// The drawing over a plain background, without alpha, 24 bits per pixel.
QImage Opaque24(const QImage& drawing) {
    QImage flat(drawing.size(), QImage::Format_ARGB32_Premultiplied);
    flat.fill(kStripBackground);
    QPainter painter(&flat);
    painter.drawImage(0, 0, drawing);
    painter.end();
    return flat.convertToFormat(QImage::Format_RGB888);
}

// A greyed, lighter form of the drawing with an 8-bit palette (disabled tool-bar pictures).
QImage Disabled8(const QImage& drawing) {
    QImage grey = Opaque24(drawing).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        for (int x = 0; x < grey.width(); ++x) {
            const int level = 128 + qGray(grey.pixel(x, y)) / 2;
            grey.setPixel(x, y, qRgb(level, level, level));
        }
    }
    return grey.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
}

// --- Row icons of the user list: the disc colour and the arrow directions show the reject state,
// a fading arrow end shows that file receive is switched off on that side.
struct ArrowStyle {
    bool left = false;       // arrow head towards the left (messages reach me)
    bool right = false;      // arrow head towards the right (my messages reach the user)
    bool fadeLeft = false;   // own file receive off
    bool fadeRight = false;  // the user's file receive off
};

void DrawArrow(QPainter& painter, const ArrowStyle& style) {
    QLinearGradient gradient(3, 0, 13, 0);
    gradient.setColorAt(0, QColor(255, 255, 255, style.fadeLeft ? 60 : 255));
    gradient.setColorAt(1, QColor(255, 255, 255, style.fadeRight ? 60 : 255));
    painter.setPen(QPen(QBrush(gradient), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(4, 8), QPointF(12, 8));
    if (style.left) {
        painter.drawLine(QPointF(4, 8), QPointF(6.5, 5.5));
        painter.drawLine(QPointF(4, 8), QPointF(6.5, 10.5));
    }
    if (style.right) {
        painter.drawLine(QPointF(12, 8), QPointF(9.5, 5.5));
        painter.drawLine(QPointF(12, 8), QPointF(9.5, 10.5));
    }
}

QImage RowIcon(QColor disc, const ArrowStyle& style) {
    QImage image = TransparentImage(kIcon, kIcon);
    QPainter painter(&image);
    Smooth(painter);
    painter.setPen(QPen(disc.darker(150), 1));
    painter.setBrush(disc);
    painter.drawEllipse(QRectF(1, 1, 14, 14));
    if (style.left || style.right) {
        DrawArrow(painter, style);
    } else {
        painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(4.5, 8), QPointF(11.5, 8));
    }
    return image;
}

QImage AwayIcon() {
    QImage image = TransparentImage(kIcon, kIcon);
    QPainter painter(&image);
    Smooth(painter);
    painter.setPen(QPen(QColor(90, 90, 90), 1));
    painter.setBrush(QColor(150, 150, 150));
    painter.drawEllipse(QRectF(1, 1, 14, 14));
    // A crescent moon.
    QPainterPath moon;
    moon.addEllipse(QRectF(4, 3.5, 9, 9));
    QPainterPath bite;
    bite.addEllipse(QRectF(6.5, 2, 8, 8));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 244, 170));
    painter.drawPath(moon.subtracted(bite));
    return image;
}

QImage SelfIcon() {
    QImage image = TransparentImage(kIcon, kIcon);
    QPainter painter(&image);
    Smooth(painter);
    painter.setPen(QPen(QColor(20, 60, 140), 1));
    painter.setBrush(QColor(40, 100, 210));
    painter.drawEllipse(QRectF(1, 1, 14, 14));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(6, 3.5, 4, 4));
    painter.drawChord(QRectF(3.5, 8, 9, 8), 0, 180 * 16);
    return image;
}

void RegisterRowIcons(ImageStore& store) {
    const QColor green(48, 160, 48);
    const QColor red(208, 48, 48);
    const QColor orange(224, 128, 32);
    const QColor darkRed(144, 16, 16);
    store.Register(img::kAway, AwayIcon());
    store.Register(img::kSelf, SelfIcon());
    store.Register(img::kRejectBoth, RowIcon(darkRed, {}));
    store.Register(img::kRejected, RowIcon(red, {.right = true}));
    store.Register(img::kRejectedFileOff, RowIcon(red, {.right = true, .fadeRight = true}));
    store.Register(img::kRejectsMe, RowIcon(orange, {.left = true}));
    store.Register(img::kRejectsMeOwnFileOff, RowIcon(orange, {.left = true, .fadeLeft = true}));
    store.Register(img::kNormal, RowIcon(green, {.left = true, .right = true}));
    store.Register(img::kNormalUserFileOff,
                   RowIcon(green, {.left = true, .right = true, .fadeRight = true}));
    store.Register(img::kNormalOwnFileOff,
                   RowIcon(green, {.left = true, .right = true, .fadeLeft = true}));
    store.Register(img::kNormalBothFileOff, RowIcon(green, {true, true, true, true}));
}

// --- Tool-bar pictures: 1 preferences, 2 reject, 3 transfer, 4 user detail, 5 whisper.
void DrawGear(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(110, 110, 120));
    for (int tooth = 0; tooth < 8; ++tooth) {
        painter.save();
        painter.translate(8, 8);
        painter.rotate(tooth * 45.0);
        painter.drawRect(QRectF(-1.5, -7.5, 3, 4));
        painter.restore();
    }
    painter.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(5.5, 5.5, 5, 5));
}

void DrawNoEntry(QPainter& painter) {
    painter.setPen(QPen(QColor(140, 0, 0), 1));
    painter.setBrush(QColor(220, 30, 30));
    painter.drawEllipse(QRectF(1, 1, 14, 14));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(4, 6.5, 8, 3));
}

void DrawPageWithArrow(QPainter& painter) {
    QPainterPath page;
    page.moveTo(2.5, 1.5);
    page.lineTo(9.5, 1.5);
    page.lineTo(12.5, 4.5);
    page.lineTo(12.5, 14.5);
    page.lineTo(2.5, 14.5);
    page.closeSubpath();
    painter.setPen(QPen(QColor(90, 90, 90), 1));
    painter.setBrush(Qt::white);
    painter.drawPath(page);
    painter.setPen(QPen(QColor(20, 150, 40), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(5, 10), QPointF(14, 10));
    painter.drawLine(QPointF(14, 10), QPointF(11, 7));
    painter.drawLine(QPointF(14, 10), QPointF(11, 13));
}

void DrawPersonInfo(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(70, 90, 140));
    painter.drawEllipse(QRectF(2, 1.5, 6, 6));
    painter.drawChord(QRectF(0, 7.5, 10, 12), 0, 180 * 16);
    painter.setBrush(QColor(30, 110, 220));
    painter.drawEllipse(QRectF(8, 7, 8, 8));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(11.25, 10.5, 1.5, 3.5));
    painter.drawRect(QRectF(11.25, 8.5, 1.5, 1.25));
}

void DrawBubble(QPainter& painter, QRectF area, QColor fill, int dots) {
    const qreal scale = area.width() / 16.0;
    QPainterPath bubble;
    bubble.addRoundedRect(
        QRectF(area.x() + 1 * scale, area.y() + 1.5 * scale, 14 * scale, 10 * scale), 3 * scale,
        3 * scale);
    QPainterPath tail;
    tail.moveTo(area.x() + 4 * scale, area.y() + 10 * scale);
    tail.lineTo(area.x() + 3 * scale, area.y() + 15 * scale);
    tail.lineTo(area.x() + 8.5 * scale, area.y() + 10 * scale);
    tail.closeSubpath();
    painter.setPen(QPen(fill.darker(160), scale));
    painter.setBrush(fill);
    painter.drawPath(bubble.united(tail));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    for (int dot = 0; dot < dots; ++dot) {
        const qreal x = area.x() + (4 + dot * 3.2) * scale;
        painter.drawEllipse(QRectF(x, area.y() + 5.5 * scale, 2 * scale, 2 * scale));
    }
}

QImage ToolBarDrawing() {
    QImage strip = TransparentImage(kIcon * kToolBarPictures, kIcon);
    QPainter painter(&strip);
    Smooth(painter);
    const auto at = [&](int position) {
        painter.resetTransform();
        painter.translate((position - 1) * kIcon, 0);
    };
    at(img::kStripPreferences);
    DrawGear(painter);
    at(img::kStripReject);
    DrawNoEntry(painter);
    at(img::kStripTransfer);
    DrawPageWithArrow(painter);
    at(img::kStripUserDetail);
    DrawPersonInfo(painter);
    at(img::kStripWhisper);
    DrawBubble(painter, QRectF(0, 0, 16, 16), QColor(250, 230, 120), 3);
    return strip;
}

// --- Single icons.
QImage TabIcon(bool unread) {
    QImage image = TransparentImage(kIcon, kIcon);
    QPainter painter(&image);
    Smooth(painter);
    DrawBubble(painter, QRectF(0, 0, 16, 16), QColor(150, 180, 220), 0);
    if (unread) {
        painter.setPen(QPen(QColor(150, 0, 0), 1));
        painter.setBrush(QColor(240, 40, 40));
        painter.drawEllipse(QRectF(9, 0.5, 6.5, 6.5));
    }
    return image;
}

QImage TalkingBubble(int size, QColor fill) {
    QImage image = TransparentImage(size, size);
    QPainter painter(&image);
    Smooth(painter);
    DrawBubble(painter, QRectF(0, 0, size, size), fill, 3);
    return image;
}

const QColor kProgramBlue(60, 120, 220);

QImage TrayIcon(bool blink) {
    return TalkingBubble(kIcon, blink ? QColor(255, 160, 30) : kProgramBlue);
}

QImage StatusIcon() {
    QImage image = TransparentImage(kIcon, kIcon);
    QPainter painter(&image);
    Smooth(painter);
    painter.setPen(QPen(QColor(60, 60, 70), 1));
    painter.setBrush(QColor(80, 140, 210));
    painter.drawRoundedRect(QRectF(1.5, 2.5, 13, 9), 1.5, 1.5);
    painter.setBrush(QColor(60, 60, 70));
    painter.drawRect(QRectF(6.5, 11.5, 3, 2));
    painter.drawRect(QRectF(4, 13.5, 8, 1));
    return image;
}

// About animation: a bubble whose dots come and go (130..132) and a bubble with a heart
// (133, 134), in two sizes so that it seems to beat.
QImage AboutFrame(int frame) {
    QImage image = TransparentImage(kLarge, kLarge);
    QPainter painter(&image);
    Smooth(painter);
    const QRectF area(0, 0, kLarge, kLarge);
    if (frame <= 3) {
        DrawBubble(painter, area, QColor(60, 120, 220), frame);
        return image;
    }
    DrawBubble(painter, area, QColor(60, 120, 220), 0);
    const qreal size = frame == 4 ? 12 : 16;
    const QPointF centre(24, 19);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(230, 40, 70));
    const qreal r = size / 4;
    painter.drawEllipse(QRectF(centre.x() - 2 * r, centre.y() - 1.5 * r, 2 * r, 2 * r));
    painter.drawEllipse(QRectF(centre.x(), centre.y() - 1.5 * r, 2 * r, 2 * r));
    painter.drawPolygon(QPolygonF({QPointF(centre.x() - 2 * r, centre.y() - 0.3 * r),
                                   QPointF(centre.x() + 2 * r, centre.y() - 0.3 * r),
                                   QPointF(centre.x(), centre.y() + 2.2 * r)}));
    return image;
}

}  // namespace

QImage ProgramIcon(int size) {
    return TalkingBubble(size, kProgramBlue);
}

void RegisterEmbeddedImages(ImageStore& store) {
    RegisterRowIcons(store);
    const QImage toolBar = ToolBarDrawing();
    store.Register(img::kToolBarStrip, Opaque24(toolBar));
    store.Register(img::kToolBarStripMask, MonoMask(toolBar));
    store.Register(img::kToolBarStripDisabled, Disabled8(toolBar));
    const QImage emoticons = EmoticonStripDrawing();
    store.Register(img::kEmoticonStrip, Opaque24(emoticons));
    store.Register(img::kEmoticonStripMask, MonoMask(emoticons));
    store.Register(img::kStatusBarIcon, StatusIcon());
    store.Register(img::kTrayNormal, TrayIcon(false));
    store.Register(img::kTrayBlink, TrayIcon(true));
    store.Register(img::kTab, TabIcon(false));
    store.Register(img::kTabUnread, TabIcon(true));
    const std::array frames = {img::kAboutFrame1, img::kAboutFrame2, img::kAboutFrame3,
                               img::kAboutFrame4, img::kAboutFrame5};
    for (std::size_t i = 0; i < frames.size(); ++i) {
        store.Register(frames[i], AboutFrame(static_cast<int>(i) + 1));
    }
}

}  // namespace talvoro::ui
