#pragma once
// The About box's first text line and its animation: two pictures that fall and bounce like balls
// in opposite phase while cycling through ten frames.
//
// Thread: pure values, any thread (the animation worker steps it and posts each frame).

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace talvoro::app {

// "Version " + the version as "1.6.0.0" + ", " + the month and year of `dateValue` ("03-2005").
std::string AboutVersionLine(int clientVersion, std::int32_t dateValue);

// Picture numbers of the animation frames, in the order the left picture shows them.
inline constexpr std::array<int, 10> kAboutAnimation = {130, 131, 132, 132, 131,
                                                        130, 133, 134, 134, 133};

struct AboutFrame {
    int leftY = 0;   // vertical position of the left picture
    int rightY = 0;  // vertical position of the right picture
    // New pictures for this frame, set every twelfth frame.
    std::optional<int> leftPicture;
    std::optional<int> rightPicture;
};

class AboutAnimation {
  public:
    // `delayMs` is the pause between two frames (10 in the program).
    explicit AboutAnimation(int delayMs);

    int DelayMs() const { return delay_; }
    // Advances the counter to its next multiple of the delay and returns that frame; the
    // direction turns at the counter's ends (0 and the bounce span).
    AboutFrame Next();

  private:
    int delay_;
    int span_;     // round(sqrt(delay * 346000))
    int counter_;  // starts at round(sqrt(delay * 173000))
    int step_ = 1;
    std::size_t picture_ = 0;
};

}  // namespace talvoro::app
