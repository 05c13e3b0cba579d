#pragma once
// The About box "About Talvoro Client/Server": the version line with the current month, notice
// lines, the maker's mail and web links, and two pictures that bounce in opposite phase while
// cycling through their frames. A worker thread in the About slot steps the animation and posts
// each frame to the box on the GUI thread, so the worker never touches a widget.
//
// Thread: GUI thread, except the animation worker described above.

#include <QDialog>
#include <cstdint>

#include "app/about_animation.h"
#include "app/thread_slots.h"

class QLabel;

namespace talvoro::ui {

class ImageStore;

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    // `now` is the date value whose month and year the version line shows.
    AboutBox(const ImageStore& images, std::int32_t now, QWidget* parent = nullptr);

    // Moves the pictures to the frame's heights and shows its new pictures, if any.
    void ShowFrame(const app::AboutFrame& frame);

    QString VersionLine() const;
    QLabel& LeftPicture() const { return *left_; }
    QLabel& RightPicture() const { return *right_; }

  private:
    const ImageStore& images_;
    QLabel* left_ = nullptr;
    QLabel* right_ = nullptr;
    QString versionLine_;
};

// Event 1: opens the About box over the disabled `main` and starts its animation worker in
// `workers` (stopped when the box closes). Does nothing while an About worker still runs. `main`
// must outlive `workers`.
AboutBox* OpenAboutBox(QWidget& main, app::ThreadSlots& workers, const ImageStore& images);

}  // namespace talvoro::ui
