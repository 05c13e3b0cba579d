#include "app/about_animation.h"

#include <algorithm>
#include <cmath>

#include "app/date_time.h"

namespace talvoro::app {

std::string AboutVersionLine(int clientVersion, std::int32_t dateValue) {
    return "Version " + FormatVersion(clientVersion) + ", " + FormatDate(dateValue, "%mm-%yyyy");
}

AboutAnimation::AboutAnimation(int delayMs)
    : delay_(std::max(1, delayMs)),
      span_(static_cast<int>(std::lround(std::sqrt(delay_ * 346000.0)))),
      counter_(static_cast<int>(std::lround(std::sqrt(delay_ * 173000.0)))) {}

AboutFrame AboutAnimation::Next() {
    do {
        counter_ += step_;
    } while (counter_ % delay_ != 0);

    const auto fall = [this](int t) {
        return static_cast<int>(std::lround(static_cast<double>(t) * t / 2000.0 / delay_));
    };
    AboutFrame frame;
    frame.leftY = fall(counter_);
    frame.rightY = fall(span_ - counter_);
    if (counter_ % (12 * delay_) == 0) {
        frame.leftPicture = kAboutAnimation[picture_];
        frame.rightPicture = kAboutAnimation[kAboutAnimation.size() - 1 - picture_];
        picture_ = (picture_ + 1) % kAboutAnimation.size();
    }
    if (counter_ >= span_ || counter_ <= 0) {
        step_ = -step_;
    }
    return frame;
}

}  // namespace talvoro::app
