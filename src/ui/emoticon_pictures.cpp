// The 24 emoticon faces, drawn with QPainter in the order of the emoticon table.

#include "ui/emoticon_pictures.h"

#include <QPainter>
#include <array>

#include "ui/images.h"

namespace talvoro::ui {

namespace {

constexpr int kIcon = 16;
constexpr int kEmoticons = 24;

enum class Eyes { Dots, Wink, Laugh, Cross, Shades, Wide, Hearts, Sleepy, Angry };
enum class Mouth { Smile, Grin, Tongue, BigSmile, Flat, Small, Open, Wavy, Frown, Slant };

struct Face {
    Eyes eyes;
    Mouth mouth;
    QColor skin = QColor(255, 214, 40);
    bool horns = false;
    bool cheeks = false;
};

void DrawEyes(QPainter& painter, Eyes eyes) {
    painter.setPen(QPen(Qt::black, 1.2, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::black);
    switch (eyes) {
        case Eyes::Dots:
            painter.drawEllipse(QRectF(5, 5, 1.5, 2));
            painter.drawEllipse(QRectF(9.5, 5, 1.5, 2));
            break;
        case Eyes::Wink:
            painter.drawEllipse(QRectF(5, 5, 1.5, 2));
            painter.drawLine(QPointF(9, 6.5), QPointF(11.5, 6.5));
            break;
        case Eyes::Laugh:
            painter.setBrush(Qt::NoBrush);
            painter.drawArc(QRectF(4.5, 5, 3, 3), 0, 180 * 16);
            painter.drawArc(QRectF(8.5, 5, 3, 3), 0, 180 * 16);
            break;
        case Eyes::Cross:
            for (const qreal x : {4.5, 9.0}) {
                painter.drawLine(QPointF(x, 4.5), QPointF(x + 2.5, 7));
                painter.drawLine(QPointF(x + 2.5, 4.5), QPointF(x, 7));
            }
            break;
        case Eyes::Shades:
            painter.drawRoundedRect(QRectF(3.5, 4.5, 4, 2.5), 1, 1);
            painter.drawRoundedRect(QRectF(8.5, 4.5, 4, 2.5), 1, 1);
            painter.drawLine(QPointF(7.5, 5.2), QPointF(8.5, 5.2));
            break;
        case Eyes::Wide:
            painter.setBrush(Qt::white);
            painter.drawEllipse(QRectF(4, 3.5, 3, 4));
            painter.drawEllipse(QRectF(9, 3.5, 3, 4));
            painter.setBrush(Qt::black);
            painter.drawEllipse(QRectF(5, 5, 1, 1.5));
            painter.drawEllipse(QRectF(10, 5, 1, 1.5));
            break;
        case Eyes::Hearts:
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(220, 20, 60));
            for (const qreal x : {4.0, 9.0}) {
                painter.drawEllipse(QRectF(x, 4.5, 1.8, 1.8));
                painter.drawEllipse(QRectF(x + 1.4, 4.5, 1.8, 1.8));
                painter.drawPolygon(
                    QPolygonF({QPointF(x, 5.6), QPointF(x + 3.2, 5.6), QPointF(x + 1.6, 7.8)}));
            }
            break;
        case Eyes::Sleepy:
            painter.drawLine(QPointF(4.5, 6), QPointF(7, 6));
            painter.drawLine(QPointF(9, 6), QPointF(11.5, 6));
            break;
        case Eyes::Angry:
            painter.drawLine(QPointF(4, 4), QPointF(7, 5.5));
            painter.drawLine(QPointF(12, 4), QPointF(9, 5.5));
            painter.drawEllipse(QRectF(5, 6, 1.5, 1.5));
            painter.drawEllipse(QRectF(9.5, 6, 1.5, 1.5));
            break;
    }
}

void DrawMouth(QPainter& painter, Mouth mouth) {
    painter.setPen(QPen(Qt::black, 1.2, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    switch (mouth) {
        case Mouth::Smile:
            painter.drawArc(QRectF(4.5, 6, 7, 5.5), 200 * 16, 140 * 16);
            break;
        case Mouth::BigSmile:
            painter.drawArc(QRectF(3.5, 5, 9, 7), 190 * 16, 160 * 16);
            break;
        case Mouth::Grin:
            painter.setBrush(QColor(120, 20, 20));
            painter.drawChord(QRectF(4, 6.5, 8, 6), 180 * 16, 180 * 16);
            break;
        case Mouth::Tongue:
            painter.drawLine(QPointF(5, 10), QPointF(11, 10));
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(230, 70, 90));
            painter.drawEllipse(QRectF(7.5, 9.5, 3, 3.5));
            break;
        case Mouth::Flat:
            painter.drawLine(QPointF(5.5, 10.5), QPointF(10.5, 10.5));
            break;
        case Mouth::Small:
            painter.drawEllipse(QRectF(7.2, 9.8, 1.6, 1.6));
            break;
        case Mouth::Open:
            painter.setBrush(QColor(120, 20, 20));
            painter.drawEllipse(QRectF(6, 8.5, 4, 4.5));
            break;
        case Mouth::Wavy:
            painter.drawPolyline(
                QPolygonF({QPointF(4.5, 11), QPointF(6, 10), QPointF(7.5, 11), QPointF(9, 10),
                           QPointF(10.5, 11), QPointF(11.5, 10.3)}));
            break;
        case Mouth::Frown:
            painter.drawArc(QRectF(4.5, 9.5, 7, 5), 30 * 16, 120 * 16);
            break;
        case Mouth::Slant:
            painter.drawLine(QPointF(5.5, 11), QPointF(10.5, 9.5));
            break;
    }
}

QImage Face16(const Face& face) {
    QImage image = TransparentImage(kIcon, kIcon);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (face.horns) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(face.skin.darker(130));
        painter.drawPolygon(QPolygonF({QPointF(2, 0), QPointF(5.5, 3), QPointF(3, 4.5)}));
        painter.drawPolygon(QPolygonF({QPointF(14, 0), QPointF(10.5, 3), QPointF(13, 4.5)}));
    }
    painter.setPen(QPen(face.skin.darker(170), 1));
    painter.setBrush(face.skin);
    painter.drawEllipse(QRectF(1, 1, 14, 14));
    if (face.cheeks) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 120, 130, 170));
        painter.drawEllipse(QRectF(2.5, 8, 3, 2));
        painter.drawEllipse(QRectF(10.5, 8, 3, 2));
    }
    DrawEyes(painter, face.eyes);
    DrawMouth(painter, face.mouth);
    return image;
}

}  // namespace

QImage EmoticonStripDrawing() {
    const QColor devil(170, 70, 200);
    const QColor mad(240, 90, 50);
    const std::array<Face, kEmoticons> faces = {{
        {Eyes::Dots, Mouth::Smile},                                      // Happy
        {Eyes::Dots, Mouth::Grin},                                       // Laughing
        {Eyes::Wink, Mouth::Tongue},                                     // Funny
        {Eyes::Wink, Mouth::Smile},                                      // Ironic
        {Eyes::Wide, Mouth::BigSmile},                                   // Excited
        {Eyes::Laugh, Mouth::Tongue},                                    // Yummy
        {Eyes::Laugh, Mouth::Grin},                                      // LOL
        {Eyes::Cross, Mouth::Grin},                                      // ROFL
        {Eyes::Shades, Mouth::Smile},                                    // Cool
        {Eyes::Cross, Mouth::Smile},                                     // Crazy
        {Eyes::Wide, Mouth::Slant},                                      // Curious
        {Eyes::Dots, Mouth::Flat},                                       // Thoughtful
        {Eyes::Wide, Mouth::Small},                                      // Oops
        {Eyes::Sleepy, Mouth::Slant},                                    // Bored
        {Eyes::Wide, Mouth::Wavy},                                       // Spooked
        {Eyes::Dots, Mouth::Wavy},                                       // Confused
        {Eyes::Wide, Mouth::Open},                                       // Surprised
        {Eyes::Sleepy, Mouth::Flat},                                     // Sorry
        {Eyes::Hearts, Mouth::Smile},                                    // In Love
        {Eyes::Angry, Mouth::BigSmile, devil, true},                     // Devil
        {Eyes::Dots, Mouth::Frown},                                      // Sad
        {Eyes::Angry, Mouth::Frown, mad},                                // Mad
        {Eyes::Angry, Mouth::Open},                                      // Yelling
        {Eyes::Laugh, Mouth::Smile, QColor(255, 214, 40), false, true},  // Blush
    }};
    QImage strip = TransparentImage(kIcon * kEmoticons, kIcon);
    QPainter painter(&strip);
    for (int i = 0; i < kEmoticons; ++i) {
        painter.drawImage(i * kIcon, 0, Face16(faces[static_cast<std::size_t>(i)]));
    }
    return strip;
}

}  // namespace talvoro::ui
