#include "ui/images.h"

#include <gtest/gtest.h>

#include <set>

#include "app/identifiers.h"
#include "ui/tone_player.h"

namespace talvoro::ui {
namespace {

namespace img = app::image;

class Images : public ::testing::Test {
  protected:
    void SetUp() override { RegisterEmbeddedImages(store); }
    ImageStore store;
};

TEST_F(Images, registers_the_26_numbered_pictures) {
    EXPECT_EQ(store.Count(), 26u);
    for (const int number : img::kAll) {
        EXPECT_TRUE(store.Has(number)) << number;
    }
    EXPECT_EQ(std::set<int>(img::kAll.begin(), img::kAll.end()).size(), 26u);
    EXPECT_TRUE(store.Image(12345).isNull());
}

TEST_F(Images, pictures_have_their_sizes_and_depths) {
    for (const int icon :
         {img::kAway, img::kRejectBoth, img::kNormal, img::kRejectsMe, img::kRejected, img::kSelf,
          img::kNormalBothFileOff, img::kRejectsMeOwnFileOff, img::kRejectedFileOff,
          img::kNormalUserFileOff, img::kNormalOwnFileOff, img::kStatusBarIcon, img::kTrayNormal,
          img::kTrayBlink, img::kTab, img::kTabUnread}) {
        EXPECT_EQ(store.Image(icon).size(), QSize(16, 16)) << icon;
    }
    for (const int frame : {img::kAboutFrame1, img::kAboutFrame2, img::kAboutFrame3,
                            img::kAboutFrame4, img::kAboutFrame5}) {
        EXPECT_EQ(store.Image(frame).size(), QSize(48, 48)) << frame;
    }
    EXPECT_EQ(store.Image(img::kToolBarStrip).size(), QSize(80, 16));
    EXPECT_EQ(store.Image(img::kToolBarStrip).depth(), 24);
    EXPECT_EQ(store.Image(img::kToolBarStripMask).depth(), 1);
    EXPECT_EQ(store.Image(img::kToolBarStripDisabled).depth(), 8);
    EXPECT_EQ(store.Image(img::kEmoticonStrip).size(), QSize(384, 16));
    EXPECT_EQ(store.Image(img::kEmoticonStripMask).depth(), 1);
}

TEST_F(Images, the_eleven_row_icons_differ_from_each_other) {
    std::set<QByteArray> seen;
    for (const int icon :
         {img::kAway, img::kRejectBoth, img::kNormal, img::kRejectsMe, img::kRejected, img::kSelf,
          img::kNormalBothFileOff, img::kRejectsMeOwnFileOff, img::kRejectedFileOff,
          img::kNormalUserFileOff, img::kNormalOwnFileOff}) {
        const QImage image = store.Image(icon).convertToFormat(QImage::Format_ARGB32);
        seen.insert(
            QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(seen.size(), 11u);
}

TEST_F(Images, strip_pictures_are_cut_and_made_transparent_by_the_mask) {
    const QImage gear = store.StripPicture(img::kToolBarStrip, img::kToolBarStripMask, 1);
    ASSERT_EQ(gear.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(gear.pixel(0, 0)), 0);    // corner: outside the drawing
    EXPECT_EQ(qAlpha(gear.pixel(8, 3)), 255);  // the gear's ring
    const QImage unmasked = store.StripPicture(img::kToolBarStrip, 0, 1);
    EXPECT_EQ(qAlpha(unmasked.pixel(0, 0)), 255);
    EXPECT_TRUE(store.StripPicture(img::kToolBarStrip, img::kToolBarStripMask, 6).isNull());
    EXPECT_TRUE(store.StripPicture(img::kToolBarStrip, img::kToolBarStripMask, 0).isNull());
    EXPECT_FALSE(store.StripPicture(img::kEmoticonStrip, img::kEmoticonStripMask, 24).isNull());
}

TEST(TonePlayer, sine_samples_have_the_length_and_stay_silent_at_the_ends) {
    const QByteArray samples = TonePlayer::SineSamples(600, 50, 22050);
    ASSERT_EQ(samples.size(), 22050 * 50 / 1000 * 2);
    const auto sample = [&](int i) {
        return static_cast<qint16>(static_cast<quint8>(samples[2 * i]) |
                                   static_cast<quint8>(samples[2 * i + 1]) << 8);
    };
    EXPECT_EQ(sample(0), 0);
    int peak = 0;
    for (int i = 0; i < samples.size() / 2; ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(sample(i))));
    }
    EXPECT_GT(peak, 10000);
    EXPECT_LT(peak, 32767);
}

}  // namespace
}  // namespace talvoro::ui
