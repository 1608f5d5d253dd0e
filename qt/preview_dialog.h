// The preview: a small window that plays an animated GIF as a browser plays
// it, every frame drawn by the core's compositor over a checkerboard where it
// is transparent, shown for its delay (0 and 1 hundredths as 10), as often as
// the file says, until it is closed; it tells which frame it shows: "frame 3
// of 12". "Play Again" starts it over (an animation that plays a number of
// times stops on its last frame). A small animation is shown enlarged, one
// too large for the display scaled down.
#ifndef ZORVANE_QT_PREVIEW_DIALOG_H
#define ZORVANE_QT_PREVIEW_DIALOG_H

#include <QByteArray>
#include <QDialog>
#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>

#include "gif/gif_player.h"

class QLabel;
class QTimer;

class PreviewDialog final : public QDialog {
    Q_OBJECT

public:
    // Plays `path`, which must stay in place while the window is open.
    PreviewDialog(const QString& path, QWidget* owner);

    // The file could be played.
    bool IsValid() const { return valid_; }
    // The frames of one play, and how often it plays (0: without end).
    int FrameCount() const { return frame_count_; }
    uint32_t Plays() const { return plays_; }
    // The frame shown, as the compositor drew it, before any scaling.
    const QImage& CurrentFrame() const { return current_; }
    int CurrentFrameNumber() const { return frame_number_; }

    // Shows the next frame now, as the timer does when a delay ends; false
    // when the last play has ended.
    bool Advance();
    // Starts the animation from its first frame.
    void PlayAgain();

private:
    void ShowFrame(const PlayedFrame& frame);

    QByteArray path_;
    GifPlayer player_;
    QTimer* timer_;
    QLabel* screen_;
    QLabel* frame_text_;
    bool valid_ = false;
    int frame_count_ = 0;
    uint32_t plays_ = 1;
    uint32_t plays_done_ = 0;
    int frame_number_ = -1;  // from 0
    QImage current_;
    QSize shown_size_;
};

#endif  // ZORVANE_QT_PREVIEW_DIALOG_H
