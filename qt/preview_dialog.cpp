#include "qt/preview_dialog.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QMovie>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "qt/frame_list_view.h"
#include "res/ui_texts.h"

namespace {

const char kGifFormat[] = "gif";

// An animation larger than this part of the screen is shown scaled down;
// a small one is enlarged by a whole factor, its pixels kept sharp, until its
// longer side reaches the least length.
constexpr int kScreenShareNumerator = 3;
constexpr int kScreenShareDenominator = 4;
constexpr int kLeastLength = 160;
constexpr int kCheckerSquare = 8;

}  // namespace

PreviewDialog::PreviewDialog(const QString& path, QWidget* owner)
    : QDialog(owner),
      movie_(new QMovie(path, QByteArray(kGifFormat), this)),
      screen_(new QLabel(this)),
      frame_number_(new QLabel(this)) {
    setObjectName(QStringLiteral("preview"));
    setWindowTitle(QString::fromUtf8(ZORVANE_QT_PREVIEW_TITLE));
    screen_->setObjectName(QStringLiteral("previewScreen"));
    screen_->setAlignment(Qt::AlignCenter);
    frame_number_->setObjectName(QStringLiteral("previewFrame"));
    frame_number_->setAlignment(Qt::AlignCenter);

    // The animation's logical screen, scaled to suit the display.
    const QSize natural = QImageReader(path, QByteArray(kGifFormat)).size();
    shown_size_ = natural;
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (natural.isValid() && !natural.isEmpty() && screen) {
        const QSize room = screen->availableGeometry().size() * kScreenShareNumerator / kScreenShareDenominator;
        const int longer = qMax(natural.width(), natural.height());
        if (natural.width() > room.width() || natural.height() > room.height()) {
            shown_size_ = natural.scaled(room, Qt::KeepAspectRatio);
        } else if (longer < kLeastLength) {
            shown_size_ = natural * ((kLeastLength + longer - 1) / longer);
        }
        screen_->setFixedSize(shown_size_);
    }
    movie_->setCacheMode(QMovie::CacheNone);
    connect(movie_, &QMovie::frameChanged, this, &PreviewDialog::ShowFrame);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* again =
        buttons->addButton(QString::fromUtf8(ZORVANE_QT_TEXT_PLAY_AGAIN), QDialogButtonBox::ActionRole);
    again->setObjectName(QStringLiteral("playAgain"));
    connect(again, &QPushButton::clicked, this, &PreviewDialog::PlayAgain);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(screen_, 1);
    layout->addWidget(frame_number_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    movie_->start();
}

void PreviewDialog::ShowFrame() {
    // Transparent parts over a checkerboard, as browsers' viewers show them.
    const QImage played = movie_->currentImage();
    if (played.isNull()) return;
    const QImage frame = OverCheckerboard(played.convertToFormat(QImage::Format_ARGB32), kCheckerSquare);
    frame_number_->setText(
        QString::fromUtf8(ZORVANE_QT_PREVIEW_FRAME).arg(movie_->currentFrameNumber() + 1).arg(movie_->frameCount()));
    if (!shown_size_.isValid() || frame.size() == shown_size_) {
        screen_->setPixmap(QPixmap::fromImage(frame));
        return;
    }
    const Qt::TransformationMode mode =
        shown_size_.width() > frame.width() ? Qt::FastTransformation : Qt::SmoothTransformation;
    screen_->setPixmap(QPixmap::fromImage(frame.scaled(shown_size_, Qt::IgnoreAspectRatio, mode)));
}

void PreviewDialog::PlayAgain() {
    movie_->stop();
    movie_->jumpToFrame(0);
    movie_->start();
}
