#include "ui/images.h"

#include <utility>

namespace talvoro::ui {

namespace {
constexpr int kStripPictureSize = 16;
}

void ImageStore::Register(int number, QImage image) {
    images_[number] = std::move(image);
}

QImage ImageStore::Image(int number) const {
    const auto found = images_.find(number);
    return found == images_.end() ? QImage() : found->second;
}

QPixmap ImageStore::Pixmap(int number) const {
    return QPixmap::fromImage(Image(number));
}

QIcon ImageStore::Icon(int number) const {
    return QIcon(Pixmap(number));
}

QImage ImageStore::StripPicture(int strip, int mask, int position) const {
    const QImage source = Image(strip);
    const int x = (position - 1) * kStripPictureSize;
    if (source.isNull() || position < 1 || x + kStripPictureSize > source.width()) {
        return {};
    }
    QImage picture = source.copy(x, 0, kStripPictureSize, source.height())
                         .convertToFormat(QImage::Format_ARGB32);
    const QImage maskStrip = Image(mask);
    if (mask == 0 || maskStrip.isNull() || maskStrip.width() < x + kStripPictureSize) {
        return picture;
    }
    // A set mask bit (colour index 1) marks a transparent pixel.
    const QImage maskPicture = maskStrip.copy(x, 0, kStripPictureSize, maskStrip.height());
    for (int py = 0; py < picture.height() && py < maskPicture.height(); ++py) {
        for (int px = 0; px < kStripPictureSize; ++px) {
            if (maskPicture.pixelIndex(px, py) == 1) {
                picture.setPixel(px, py, qRgba(0, 0, 0, 0));
            }
        }
    }
    return picture;
}

QImage TransparentImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

}  // namespace talvoro::ui
