// The frame list as the window shows it, and the pictures of its entries.
//
// The list takes the first entry as its current one when it gains the focus,
// without selecting it; a key that moves to the current entry (Home, or Up,
// on the first) then selects it as a move to any other would. Its entries
// dragged within it are moved by one step of the model. Each entry shows a
// small picture of its first frame, as a browser shows it.
#ifndef ZORVANE_QT_FRAME_LIST_VIEW_H
#define ZORVANE_QT_FRAME_LIST_VIEW_H

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QListView>
#include <QPixmap>

#include "gif/canvas.h"

class FrameListModel;

// A copy of the compositor's canvas of `width` x `height` pixels.
QImage CanvasImage(const Rgba* canvas, uint32_t width, uint32_t height);

// The first frame of the GIF file at `path` as a browser shows it, drawn by
// the core's compositor: its transparent parts transparent. Null when the
// file cannot be played. The file is opened by its 8-bit name, and read only
// when it is a regular file.
QImage FirstFramePicture(const QByteArray& path);

// `image` over a grey checkerboard of `square` pixels, as browsers and
// editors show what is transparent.
QImage OverCheckerboard(const QImage& image, int square);

class FrameListView final : public QListView {
    Q_OBJECT

public:
    FrameListView(FrameListModel* frames, QWidget* parent);

    QSize sizeHint() const override;

    // The small picture of the entry of file `path`: its first frame over a
    // checkerboard; null when the file cannot be read.
    QPixmap EntryPicture(const QByteArray& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    FrameListModel* frames_;
    // Read once for each file, again when its size or time changes.
    struct Picture {
        qint64 size = -1;
        qint64 modified = 0;
        QPixmap pixmap;
    };
    QHash<QByteArray, Picture> pictures_;
};

#endif  // ZORVANE_QT_FRAME_LIST_VIEW_H
