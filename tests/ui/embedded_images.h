#pragma once
// The embedded pictures, registered once per test program after its application exists.

#include "support/qt_app.h"
#include "ui/images.h"

namespace talvoro::ui {

inline const ImageStore& EmbeddedImages() {
    talvoro::test::QtApp();
    static const ImageStore store = [] {
        ImageStore images;
        RegisterEmbeddedImages(images);
        return images;
    }();
    return store;
}

}  // namespace talvoro::ui
