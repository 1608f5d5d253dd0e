// The preview: a small window that plays an animated GIF with Qt's own GIF
// reader, as written (every frame with its own delay, as often as it says),
// until it is closed, and tells which frame it shows: "frame 3 of 12". "Play
// Again" starts it over (an animation that plays a number of times stops on
// its last frame). A small animation is shown enlarged, one too large for the
// display scaled down.
#ifndef ZORVANE_QT_PREVIEW_DIALOG_H
#define ZORVANE_QT_PREVIEW_DIALOG_H

#include <QDialog>
#include <QSize>
#include <QString>

class QLabel;
class QMovie;

class PreviewDialog final : public QDialog {
    Q_OBJECT

public:
    // Plays `path`, which must stay in place while the window is open.
    PreviewDialog(const QString& path, QWidget* owner);

    // The animation being played; not valid when Qt could not read the file.
    QMovie* Movie() const { return movie_; }

    // Starts the animation from its first frame.
    void PlayAgain();

private:
    void ShowFrame();

    QMovie* movie_;
    QLabel* screen_;
    QLabel* frame_number_;
    QSize shown_size_;  // invalid when the file's size is unknown
};

#endif  // ZORVANE_QT_PREVIEW_DIALOG_H
