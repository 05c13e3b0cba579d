#include "ui/images.h"

#include <gtest/gtest.h>

#include <set>

#include "ui/identifiers.h"
#include "ui/tone_player.h"

namespace talvoro::ui {
namespace {

namespace img = app::image;

TEST(Images, registers_distinct_pictures_of_their_sizes_and_depths) {
    ImageStore store;
    RegisterEmbeddedImages(store);
    EXPECT_EQ(store.Count(), 26u);
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
    EXPECT_EQ(store.Image(img::kAboutFrame1).size(), QSize(48, 48));
    EXPECT_EQ(store.Image(img::kToolBarStrip).depth(), 24);
    EXPECT_EQ(store.Image(img::kToolBarStripMask).depth(), 1);
    EXPECT_EQ(store.Image(img::kToolBarStripDisabled).depth(), 8);
    EXPECT_EQ(store.Image(img::kEmoticonStrip).size(), QSize(384, 16));

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

TEST(TonePlayer, sine_samples_have_the_length_and_start_silent) {
    const QByteArray samples = TonePlayer::SineSamples(600, 50, 22050);
    ASSERT_EQ(samples.size(), 22050 * 50 / 1000 * 2);
    int first = 0;
    int peak = 0;
    for (int i = 0; i < samples.size() / 2; ++i) {
        const auto sample = static_cast<qint16>(static_cast<quint8>(samples[2 * i]) |
                                                static_cast<quint8>(samples[2 * i + 1]) << 8);
        first = i == 0 ? sample : first;
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    }
    EXPECT_EQ(first, 0);
    EXPECT_GT(peak, 10000);
    EXPECT_LT(peak, 32767);
}

}  // namespace
}  // namespace talvoro::ui
