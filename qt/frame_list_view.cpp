#include "qt/frame_list_view.h"

#include <unistd.h>

#include <QDropEvent>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <algorithm>
#include <iterator>

#include "platform/regular_file.h"
#include "qt/frame_list_model.h"

namespace {

const char kGifFormat[] = "gif";

// The frame list shows this many entries, of this many average characters,
// when the window opens at its natural size.
constexpr int kListRows = 14;
constexpr int kListColumns = 44;

}  // namespace

QImage FirstFramePicture(const QByteArray& path) {
    const int descriptor = OpenRegularFileForReading(path.constData());
    if (descriptor < 0) return QImage();
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return QImage();
    }
    // Qt refuses images larger than its allocation limit: a huge logical
    // screen gives no picture.
    QImageReader reader(&file, QByteArray(kGifFormat));
    return reader.read();
}

FrameListView::FrameListView(FrameListModel* frames, QWidget* parent) : QListView(parent), frames_(frames) {
    setModel(frames);
}

QSize FrameListView::sizeHint() const {
    const QFontMetrics metrics(font());
    return QSize(metrics.averageCharWidth() * kListColumns, metrics.height() * kListRows) +
           QSize(2 * frameWidth(), 2 * frameWidth());
}

void FrameListView::keyPressEvent(QKeyEvent* event) {
    QListView::keyPressEvent(event);
    static const int kMovingKeys[] = {Qt::Key_Home, Qt::Key_End,    Qt::Key_Up,
                                      Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown};
    const bool moving =
        std::find(std::begin(kMovingKeys), std::end(kMovingKeys), event->key()) != std::end(kMovingKeys);
    const QModelIndex current = currentIndex();
    if (moving && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && current.isValid() &&
        !selectionModel()->isSelected(current)) {
        selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
    }
}

void FrameListView::dropEvent(QDropEvent* event) {
    if (event->source() != this) {
        QListView::dropEvent(event);
        return;
    }
    // Before the entry under the pointer, or after it in its lower half.
    const QPoint at = event->position().toPoint();
    const QModelIndex target = indexAt(at);
    int before = frames_->Count();
    if (target.isValid()) before = target.row() + (at.y() > visualRect(target).center().y() ? 1 : 0);
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) rows.append(index.row());
    frames_->MoveTo(rows, before);
    // Taken as a copy, so that the drag's source removes nothing.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
}
