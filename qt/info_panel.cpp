#include "qt/info_panel.h"

#include <QFile>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>

#include "gif/file_summary.h"
#include "qt/frame_list_view.h"
#include "qt/widgets.h"
#include "res/ui_texts.h"

namespace {

// The picture of the selected frame is at least this many text lines high.
constexpr int kPictureLines = 5;
constexpr int kCheckerSquare = 8;

}  // namespace

InfoPanel::InfoPanel(QWidget* parent) : QGroupBox(QString::fromLatin1(ZORVANE_TEXT_INFO_GROUP), parent) {
    setObjectName(QStringLiteral("infoGroup"));
    name_ = TextLabel(QString(), "frameName", this);
    name_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    name_->setAlignment(Qt::AlignCenter);
    name_->setMinimumWidth(name_->fontMetrics().averageCharWidth() * 16);
    name_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    QLabel* labels = TextLabel(QStringLiteral(ZORVANE_TEXT_INFO_LABELS), "infoLabels", this);
    labels->setAlignment(Qt::AlignRight | Qt::AlignTop);
    summary_ = TextLabel(QString(), "frameInfo", this);
    summary_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for the widest summary, so that the panel does not jump.
    summary_->setMinimumSize(summary_->fontMetrics().size(0, QStringLiteral("65535 x 65535\nglobal (8 bpp)")));
    QLabel* images_label = TextLabel(QString::fromUtf8(ZORVANE_QT_TEXT_IMAGES_LABEL), "imagesLabel", this);
    images_label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    images_ = TextLabel(QString(), "frameImages", this);
    picture_ = TextLabel(QString(), "framePicture", this);
    picture_->setAlignment(Qt::AlignCenter);
    const int side = picture_->fontMetrics().height() * kPictureLines;
    picture_->setMinimumSize(side * 4 / 3, side);
    picture_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);

    // Why a file cannot be used, wrapped to the panel's width.
    problem_ = TextLabel(QString(), "frameProblem", this);
    problem_->setWordWrap(true);
    problem_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* layout = new QGridLayout(this);
    layout->addWidget(name_, 0, 0, 1, 3);
    layout->addWidget(labels, 1, 0);
    layout->addWidget(summary_, 1, 1);
    layout->addWidget(images_label, 2, 0);
    layout->addWidget(images_, 2, 1);
    layout->addWidget(picture_, 1, 2, 3, 1);
    layout->addWidget(problem_, 4, 0, 1, 3);
    layout->setRowStretch(3, 1);
    layout->setColumnStretch(2, 1);
}

void InfoPanel::Clear() {
    name_->clear();
    summary_->clear();
    images_->clear();
    picture_->clear();
    problem_->clear();
}

void InfoPanel::ShowEntry(const FrameEntry& entry) {
    Clear();
    name_->setText(QFile::decodeName(DisplayNameOf(entry.path)));
    const FileSummary summary = InspectFile(entry.path.constData(), InspectDepth::kFirstImage);
    if (summary.message) {
        problem_->setText(QString::fromUtf8(ZORVANE_WEB_UNUSABLE " ") + QFile::decodeName(QByteArray(summary.message)));
        return;
    }
    char text[64];
    FormatFrameSummary(summary.width, summary.height, summary.palette_kind, summary.bits_per_pixel, text, sizeof text);
    summary_->setText(QFile::decodeName(QByteArray(text)));
    if (entry.Animated())
        images_->setText(
            QString::fromUtf8(ZORVANE_QT_INFO_IMAGES).arg(entry.images).arg(DurationText(entry.own_duration)));
    else if (entry.images == 1)
        images_->setText(QString::number(entry.images));
    ShowPicture(entry.path);
}

void InfoPanel::ShowPicture(const QByteArray& path) {
    const QImage image = FirstFramePicture(path);
    if (image.isNull()) return;
    const QSize room = picture_->contentsRect().size();
    const QSize fitted = image.size().scaled(room, Qt::KeepAspectRatio);
    // Small frames are enlarged with their pixels kept sharp; large ones
    // shrunk smoothly.
    const Qt::TransformationMode mode =
        fitted.width() > image.width() ? Qt::FastTransformation : Qt::SmoothTransformation;
    picture_->setPixmap(
        QPixmap::fromImage(OverCheckerboard(image.scaled(fitted, Qt::KeepAspectRatio, mode), kCheckerSquare)));
}
