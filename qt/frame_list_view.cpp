#include "qt/frame_list_view.h"

#include <unistd.h>

#include <QDateTime>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <iterator>

#include "gif/gif_player.h"
#include "platform/regular_file.h"
#include "qt/frame_list_model.h"

namespace {

// Larger first frames get no picture.
constexpr uint64_t kMostPicturePixels = uint64_t{1} << 24;

// The frame list shows this many entries, of this many average characters,
// when the window opens at its natural size.
constexpr int kListRows = 14;
constexpr int kListColumns = 44;
// An entry's picture is this many text lines high, 4:3.
constexpr int kPictureLines = 2;
// The checkerboard under transparent pixels.
constexpr int kCheckerSquare = 4;
const QColor kCheckerLight(0xCC, 0xCC, 0xCC);
const QColor kCheckerDark(0x99, 0x99, 0x99);

// Shows the model's own decoration (the mark of an unusable or failed
// entry) when it has one, else the entry's picture.
class PictureDelegate final : public QStyledItemDelegate {
public:
    explicit PictureDelegate(FrameListView* view) : QStyledItemDelegate(view), view_(view) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->features & QStyleOptionViewItem::HasDecoration) return;
        const QPixmap picture = view_->EntryPicture(index.data(kFramePathRole).toByteArray());
        if (picture.isNull()) return;
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->icon = QIcon(picture);
        option->decorationSize = view_->iconSize();
    }

    // No wider than the list: a long text is cut at its end, never scrolled.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize hint = QStyledItemDelegate::sizeHint(option, index);
        return QSize(std::min(hint.width(), view_->viewport()->width()), hint.height());
    }

private:
    FrameListView* view_;
};

}  // namespace

QImage CanvasImage(const Rgba* canvas, uint32_t width, uint32_t height) {
    // The canvas's pixels are 0xAARRGGBB with 0 for transparent: Qt's ARGB32.
    const QImage view(reinterpret_cast<const uchar*>(canvas), static_cast<int>(width), static_cast<int>(height),
                      static_cast<qsizetype>(width) * sizeof(Rgba), QImage::Format_ARGB32);
    return view.copy();
}

QImage FirstFramePicture(const QByteArray& path) {
    // Only a regular file is read: a pipe or a device would never end.
    const int descriptor = OpenRegularFileForReading(path.constData());
    if (descriptor < 0) return QImage();
    ::close(descriptor);
    GifPlayer player(kMostPicturePixels);
    PlayedFrame frame;
    if (player.Open(path.constData()) || !player.Next(&frame)) return QImage();
    return CanvasImage(frame.canvas, player.width(), player.height());
}

QImage OverCheckerboard(const QImage& image, int square) {
    QImage board(image.size(), QImage::Format_RGB32);
    QPainter painter(&board);
    for (int y = 0; y < board.height(); y += square)
        for (int x = 0; x < board.width(); x += square)
            painter.fillRect(x, y, square, square, ((x / square + y / square) % 2) ? kCheckerDark : kCheckerLight);
    painter.drawImage(0, 0, image);
    return board;
}

FrameListView::FrameListView(FrameListModel* frames, QWidget* parent) : QListView(parent), frames_(frames) {
    setModel(frames);
    const int height = fontMetrics().height() * kPictureLines;
    setIconSize(QSize(height * 4 / 3, height));
    setItemDelegate(new PictureDelegate(this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setResizeMode(QListView::Adjust);
}

QPixmap FrameListView::EntryPicture(const QByteArray& path) {
    const QFileInfo file(QFile::decodeName(path));
    const qint64 size = file.exists() ? file.size() : -1;
    const qint64 modified = file.exists() ? file.lastModified().toMSecsSinceEpoch() : 0;
    const auto found = pictures_.constFind(path);
    if (found != pictures_.constEnd() && found->size == size && found->modified == modified) return found->pixmap;
    Picture picture{size, modified, QPixmap()};
    const QImage image = FirstFramePicture(path);
    if (!image.isNull()) {
        const QImage fitted = image.scaled(iconSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        picture.pixmap = QPixmap::fromImage(OverCheckerboard(fitted, kCheckerSquare));
    }
    pictures_.insert(path, picture);
    return picture.pixmap;
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
