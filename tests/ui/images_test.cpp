#include "ui/images.h"

#include <gtest/gtest.h>

#include <set>

#include "ui/identifiers.h"

namespace talvoro::ui {
namespace {

namespace img = app::image;

TEST(Images, registers_every_picture_and_distinct_row_icons) {
    ImageStore store;
    RegisterEmbeddedImages(store);
    for (const int number : img::kAll) {
        EXPECT_TRUE(store.Has(number)) << number;
    }
    EXPECT_TRUE(store.Image(12345).isNull());
    std::set<QByteArray> rowIcons;
    for (const int icon :
         {img::kAway, img::kRejectBoth, img::kNormal, img::kRejectsMe, img::kRejected, img::kSelf,
          img::kNormalBothFileOff, img::kRejectsMeOwnFileOff, img::kRejectedFileOff,
          img::kNormalUserFileOff, img::kNormalOwnFileOff}) {
        const QImage image = store.Image(icon).convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(image.size(), QSize(16, 16)) << icon;
        rowIcons.insert(
            QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(rowIcons.size(), 11u) << "every row icon looks different";

    // Strip pictures are cut out and made transparent by the mask.
    const QImage gear = store.StripPicture(img::kToolBarStrip, img::kToolBarStripMask, 1);
    ASSERT_EQ(gear.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(gear.pixel(0, 0)), 0);    // corner: outside the drawing
    EXPECT_EQ(qAlpha(gear.pixel(8, 3)), 255);  // the gear's ring
    EXPECT_EQ(qAlpha(store.StripPicture(img::kToolBarStrip, 0, 1).pixel(0, 0)), 255);
    EXPECT_TRUE(store.StripPicture(img::kToolBarStrip, img::kToolBarStripMask, 6).isNull());
    EXPECT_TRUE(store.StripPicture(img::kToolBarStrip, img::kToolBarStripMask, 0).isNull());
    EXPECT_FALSE(store.StripPicture(img::kEmoticonStrip, img::kEmoticonStripMask, 24).isNull());
}

}  // namespace
}  // namespace talvoro::ui
