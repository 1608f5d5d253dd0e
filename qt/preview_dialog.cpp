#include "qt/preview_dialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "gif/file_summary.h"
#include "qt/frame_list_view.h"
#include "res/ui_texts.h"

namespace {

// An animation larger than this part of the screen is shown scaled down;
// a small one is enlarged by a whole factor, its pixels kept sharp, until its
// longer side reaches the least length.
constexpr int kScreenShareNumerator = 3;
constexpr int kScreenShareDenominator = 4;
constexpr int kLeastLength = 160;
constexpr int kCheckerSquare = 8;

// Browsers show a frame of 0 or 1 hundredths for 10.
constexpr uint16_t kLeastPlayedDelay = 2;
constexpr uint16_t kShortDelayPlayedAs = 10;
constexpr int kMillisecondsPerHundredth = 10;

}  // namespace

PreviewDialog::PreviewDialog(const QString& path, QWidget* owner)
    : QDialog(owner),
      path_(QFile::encodeName(path)),
      timer_(new QTimer(this)),
      screen_(new QLabel(this)),
      frame_text_(new QLabel(this)) {
    setObjectName(QStringLiteral("preview"));
    setWindowTitle(QString::fromUtf8(ZORVANE_QT_PREVIEW_TITLE));
    screen_->setObjectName(QStringLiteral("previewScreen"));
    screen_->setAlignment(Qt::AlignCenter);
    frame_text_->setObjectName(QStringLiteral("previewFrame"));
    frame_text_->setAlignment(Qt::AlignCenter);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &PreviewDialog::Advance);

    // The number of frames and plays, from the file's records.
    const FileSummary summary = InspectFile(path_.constData(), InspectDepth::kWholeFile);
    valid_ = !summary.message && summary.images > 0 && !player_.Open(path_.constData());
    if (valid_) {
        frame_count_ = static_cast<int>(summary.images);
        plays_ = !summary.has_looping_block ? 1 : summary.loop_count == 0 ? 0 : uint32_t{summary.loop_count} + 1;
        // The canvas, scaled to suit the display.
        const QSize natural(static_cast<int>(player_.width()), static_cast<int>(player_.height()));
        shown_size_ = natural;
        const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        if (!natural.isEmpty() && screen) {
            const QSize room = screen->availableGeometry().size() * kScreenShareNumerator / kScreenShareDenominator;
            const int longer = qMax(natural.width(), natural.height());
            if (natural.width() > room.width() || natural.height() > room.height()) {
                shown_size_ = natural.scaled(room, Qt::KeepAspectRatio);
            } else if (longer < kLeastLength) {
                shown_size_ = natural * ((kLeastLength + longer - 1) / longer);
            }
            screen_->setFixedSize(shown_size_);
        }
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* again =
        buttons->addButton(QString::fromUtf8(ZORVANE_QT_TEXT_PLAY_AGAIN), QDialogButtonBox::ActionRole);
    again->setObjectName(QStringLiteral("playAgain"));
    connect(again, &QPushButton::clicked, this, &PreviewDialog::PlayAgain);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(screen_, 1);
    layout->addWidget(frame_text_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (valid_) Advance();
}

bool PreviewDialog::Advance() {
    timer_->stop();
    if (!valid_) return false;
    PlayedFrame frame;
    if (player_.Next(&frame)) {
        ShowFrame(frame);
        return true;
    }
    // One play ended: again from the start, or it stays on its last frame.
    ++plays_done_;
    if (plays_ != 0 && plays_done_ >= plays_) return false;
    frame_number_ = -1;
    if (player_.Open(path_.constData()) || !player_.Next(&frame)) return false;
    ShowFrame(frame);
    return true;
}

void PreviewDialog::PlayAgain() {
    if (!valid_) return;
    plays_done_ = 0;
    frame_number_ = -1;
    PlayedFrame frame;
    if (!player_.Open(path_.constData()) && player_.Next(&frame)) ShowFrame(frame);
}

void PreviewDialog::ShowFrame(const PlayedFrame& frame) {
    ++frame_number_;
    current_ = CanvasImage(frame.canvas, player_.width(), player_.height());
    frame_text_->setText(QString::fromUtf8(ZORVANE_QT_PREVIEW_FRAME).arg(frame_number_ + 1).arg(frame_count_));
    // Transparent parts over a checkerboard, as browsers' viewers show them.
    const QImage shown = OverCheckerboard(current_, kCheckerSquare);
    if (shown_size_ == shown.size()) {
        screen_->setPixmap(QPixmap::fromImage(shown));
    } else {
        const Qt::TransformationMode mode =
            shown_size_.width() > shown.width() ? Qt::FastTransformation : Qt::SmoothTransformation;
        screen_->setPixmap(QPixmap::fromImage(shown.scaled(shown_size_, Qt::IgnoreAspectRatio, mode)));
    }
    const uint16_t delay = frame.delay < kLeastPlayedDelay ? kShortDelayPlayedAs : frame.delay;
    timer_->start(delay * kMillisecondsPerHundredth);
}
