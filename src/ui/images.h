#pragma once
// The program's numbered pictures (row icons, tool-bar strips, tab and tray icons, emoticons, the
// About animation), registered once at start-up and looked up by number by every window.
// The pictures are drawn by code (image_drawing.cpp); the store only keeps and hands them out.
//
// Thread: filled and read on the GUI thread. QImage needs no application object; Pixmap() and
// Icon() need a QGuiApplication.

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <map>

namespace talvoro::ui {

class ImageStore {
  public:
    // Stores `image` under `number`, replacing an earlier one.
    void Register(int number, QImage image);
    bool Has(int number) const { return images_.contains(number); }
    std::size_t Count() const { return images_.size(); }
    // The stored image; a null image for an unknown number.
    QImage Image(int number) const;
    QPixmap Pixmap(int number) const;
    QIcon Icon(int number) const;
    // Picture `position` (counted from 1) of a strip of 16-pixel pictures, made transparent where
    // the 1-bit `mask` strip is set (mask 0: no mask). A null image when out of range.
    QImage StripPicture(int strip, int mask, int position) const;

  private:
    std::map<int, QImage> images_;
};

// Draws and registers the 26 pictures of the program under their numbers (app/identifiers.h).
void RegisterEmbeddedImages(ImageStore& store);

// The program's own picture (the tray icon's talking bubble) drawn `size` pixels square: the
// desktop entry's icons are made from it.
QImage ProgramIcon(int size);

// A fully transparent picture to draw on, in the format every drawn image uses.
QImage TransparentImage(int width, int height);

}  // namespace talvoro::ui
