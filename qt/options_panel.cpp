#include "qt/options_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLocale>
#include <QSettings>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>

#include "qt/delay_spin_box.h"
#include "qt/widgets.h"
#include "res/ui_texts.h"

namespace {

// What is remembered between runs.
const char kNewDelayKey[] = "build/delay";  // of new frames
const char kSmallestKey[] = "build/smallest";
const char kLimitKey[] = "build/sizeLimit";
const char kCustomLimitKey[] = "build/customLimitMB";

// The size limits offered, in megabytes of 1,000,000 bytes; the last entry
// of the list is the custom one.
const int kOfferedLimits[] = {2, 5, 10};
constexpr uint64_t kBytesPerMegabyte = 1000000;
constexpr double kLeastCustomLimit = 0.001;
constexpr int kCustomLimitDecimals = 6;  // whole bytes
constexpr double kMostCustomLimit = 100000;
constexpr double kDefaultCustomLimit = 8;

constexpr int kLeastScale = 1;
constexpr int kMostScale = 1000;
constexpr int kNoScale = 100;

// Megabytes to the byte, shown without trailing zeros: "8 MB", "2.5 MB".
class MegabyteSpinBox final : public QDoubleSpinBox {
public:
    using QDoubleSpinBox::QDoubleSpinBox;

protected:
    QString textFromValue(double value) const override {
        QString text = locale().toString(value, 'f', decimals());
        const QString point = locale().decimalPoint();
        if (text.contains(point)) {
            while (text.endsWith(QLatin1Char('0'))) text.chop(1);
            if (text.endsWith(point)) text.chop(point.size());
        }
        return text;
    }
};

}  // namespace

OptionsPanel::OptionsPanel(QWidget* parent) : QGroupBox(QString::fromLatin1(ZORVANE_TEXT_OPTIONS_GROUP), parent) {
    setObjectName(QStringLiteral("optionsGroup"));

    delay_ = new DelaySpinBox(this);
    delay_->setObjectName(QStringLiteral("delay"));
    QLabel* delay_label = BuddyLabel(ZORVANE_QT_TEXT_DELAY_LABEL, "delayLabel", delay_, this);
    QLabel* delay_unit = TextLabel(QStringLiteral(ZORVANE_TEXT_DELAY_UNIT), "delayUnit", this);
    delay_unit->setToolTip(delay_->toolTip());
    delay_hint_ = TextLabel(QString::fromUtf8(ZORVANE_QT_TEXT_DELAY_HINT), "delayHint", this);
    delay_hint_->setWordWrap(true);
    // Kept in the layout when hidden, so that the window does not jump.
    QSizePolicy hint_policy = delay_hint_->sizePolicy();
    hint_policy.setRetainSizeWhenHidden(true);
    delay_hint_->setSizePolicy(hint_policy);
    connect(delay_, &QSpinBox::valueChanged, this, &OptionsPanel::ShowDelayHint);
    set_delay_ = Button(QString::fromUtf8(ZORVANE_QT_TEXT_SET_DELAY), "setDelay", ZORVANE_QT_TIP_SET_DELAY, this);
    connect(set_delay_, &QPushButton::clicked, this, &OptionsPanel::SetSelected);
    connect(delay_, &DelaySpinBox::Entered, this, &OptionsPanel::SetSelected);
    set_all_delays_ =
        Button(QString::fromUtf8(ZORVANE_QT_TEXT_SET_ALL_DELAYS), "setAllDelays", ZORVANE_QT_TIP_SET_ALL_DELAYS, this);
    connect(set_all_delays_, &QPushButton::clicked, this, [this] { emit SetAllDelays(Delay()); });

    new_delay_ = new DelaySpinBox(this);
    new_delay_->setObjectName(QStringLiteral("newDelay"));
    new_delay_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_NEW_DELAY));
    QLabel* new_delay_label = BuddyLabel(ZORVANE_QT_TEXT_NEW_DELAY_LABEL, "newDelayLabel", new_delay_, this);
    QLabel* new_delay_unit = TextLabel(QStringLiteral(ZORVANE_TEXT_DELAY_UNIT), "newDelayUnit", this);
    new_delay_unit->setToolTip(new_delay_->toolTip());

    scale_percent_ = new QSpinBox(this);
    scale_percent_->setObjectName(QStringLiteral("scalePercent"));
    scale_percent_->setRange(kLeastScale, kMostScale);
    scale_percent_->setValue(kNoScale);
    scale_percent_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_SCALE));
    QLabel* scale_label = BuddyLabel(ZORVANE_QT_TEXT_SCALE_LABEL, "scaleLabel", scale_percent_, this);
    QLabel* scale_unit = TextLabel(QString::fromUtf8(ZORVANE_QT_TEXT_SCALE_UNIT), "scaleUnit", this);
    scale_delays_ = Button(QString::fromUtf8(ZORVANE_QT_TEXT_SCALE), "scaleDelays", ZORVANE_QT_TIP_SCALE, this);
    connect(scale_delays_, &QPushButton::clicked, this, [this] {
        scale_percent_->interpretText();
        emit ScaleDelays(scale_percent_->value());
    });

    loop_ = new QComboBox(this);
    loop_->setObjectName(QStringLiteral("loop"));
    loop_->addItems({QString::fromUtf8(ZORVANE_QT_TEXT_LOOP_FOREVER), QString::fromUtf8(ZORVANE_QT_TEXT_LOOP_TIMES)});
    loop_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_LOOP));
    QLabel* loop_label = BuddyLabel(ZORVANE_QT_TEXT_LOOP_LABEL, "loopLabel", loop_, this);
    plays_ = new QSpinBox(this);
    plays_->setObjectName(QStringLiteral("plays"));
    plays_->setRange(1, static_cast<int>(kMostPlays));
    plays_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_PLAYS));
    plays_meaning_ = TextLabel(QString(), "playsMeaning", this);
    connect(loop_, &QComboBox::currentIndexChanged, this, &OptionsPanel::TakeOptions);
    connect(plays_, &QSpinBox::valueChanged, this, &OptionsPanel::TakeOptions);

    play_order_ = new QComboBox(this);
    play_order_->setObjectName(QStringLiteral("playOrder"));
    play_order_->addItems({QString::fromUtf8(ZORVANE_QT_TEXT_ORDER_FORWARD),
                           QString::fromUtf8(ZORVANE_QT_TEXT_ORDER_REVERSE),
                           QString::fromUtf8(ZORVANE_QT_TEXT_ORDER_BOUNCE)});
    play_order_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_ORDER));
    QLabel* order_label = BuddyLabel(ZORVANE_QT_TEXT_ORDER_LABEL, "playOrderLabel", play_order_, this);
    connect(play_order_, &QComboBox::currentIndexChanged, this, &OptionsPanel::TakeOptions);

    center_ = new QCheckBox(QString::fromUtf8(ZORVANE_QT_TEXT_CENTER), this);
    center_->setObjectName(QStringLiteral("center"));
    center_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_CENTER));
    connect(center_, &QCheckBox::toggled, this, &OptionsPanel::TakeOptions);

    size_limit_ = new QComboBox(this);
    size_limit_->setObjectName(QStringLiteral("sizeLimit"));
    size_limit_->addItem(QString::fromUtf8(ZORVANE_QT_TEXT_LIMIT_NONE), 0);
    for (int megabytes : kOfferedLimits)
        size_limit_->addItem(QStringLiteral("%1 " ZORVANE_QT_TEXT_LIMIT_UNIT).arg(megabytes), megabytes);
    size_limit_->addItem(QString::fromUtf8(ZORVANE_QT_TEXT_LIMIT_CUSTOM), -1);
    size_limit_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_LIMIT));
    QLabel* limit_label = BuddyLabel(ZORVANE_QT_TEXT_LIMIT_LABEL, "sizeLimitLabel", size_limit_, this);
    custom_limit_ = new MegabyteSpinBox(this);
    custom_limit_->setObjectName(QStringLiteral("customLimit"));
    custom_limit_->setDecimals(kCustomLimitDecimals);
    custom_limit_->setRange(kLeastCustomLimit, kMostCustomLimit);
    custom_limit_->setValue(kDefaultCustomLimit);
    custom_limit_->setSuffix(QStringLiteral(" " ZORVANE_QT_TEXT_LIMIT_UNIT));
    custom_limit_->setToolTip(size_limit_->toolTip());
    custom_limit_->setEnabled(false);
    connect(size_limit_, &QComboBox::currentIndexChanged, this, [this] {
        ShowLimitControls();
        emit OutputChoiceChanged();
    });
    connect(custom_limit_, &QDoubleSpinBox::valueChanged, this, &OptionsPanel::OutputChoiceChanged);
    smallest_ = new QCheckBox(QString::fromUtf8(ZORVANE_QT_TEXT_SMALLEST), this);
    smallest_->setObjectName(QStringLiteral("smallest"));
    smallest_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_SMALLEST));
    smallest_->setChecked(true);
    connect(smallest_, &QCheckBox::toggled, this, &OptionsPanel::OutputChoiceChanged);
    fit_limit_ = new QCheckBox(QString::fromUtf8(ZORVANE_QT_TEXT_FIT_LIMIT), this);
    fit_limit_->setObjectName(QStringLiteral("fitLimit"));
    fit_limit_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_FIT_LIMIT));
    fit_limit_->setEnabled(false);
    connect(fit_limit_, &QCheckBox::toggled, this, &OptionsPanel::OutputChoiceChanged);

    auto* layout = new QGridLayout(this);
    int row = 0;
    layout->addWidget(delay_label, row, 0);
    layout->addWidget(delay_, row, 1);
    layout->addWidget(delay_unit, row, 2);
    layout->addWidget(delay_hint_, row, 3, 1, 2);
    layout->addWidget(set_delay_, ++row, 1, 1, 2);
    layout->addWidget(set_all_delays_, row, 3);
    layout->addWidget(new_delay_label, ++row, 0);
    layout->addWidget(new_delay_, row, 1);
    layout->addWidget(new_delay_unit, row, 2);
    layout->addWidget(scale_label, ++row, 0);
    layout->addWidget(scale_percent_, row, 1);
    layout->addWidget(scale_unit, row, 2);
    layout->addWidget(scale_delays_, row, 3);
    layout->addWidget(loop_label, ++row, 0);
    layout->addWidget(loop_, row, 1, 1, 3);
    layout->addWidget(plays_, row, 4);
    layout->addWidget(plays_meaning_, ++row, 1, 1, 4);
    layout->addWidget(order_label, ++row, 0);
    layout->addWidget(play_order_, row, 1, 1, 4);
    layout->addWidget(center_, ++row, 0, 1, 5, Qt::AlignLeft);
    layout->addWidget(limit_label, ++row, 0);
    layout->addWidget(size_limit_, row, 1, 1, 3);
    layout->addWidget(custom_limit_, row, 4);
    layout->addWidget(smallest_, ++row, 0, 1, 5, Qt::AlignLeft);
    layout->addWidget(fit_limit_, ++row, 0, 1, 5, Qt::AlignLeft);
    layout->setColumnStretch(3, 1);

    ShowDelayHint();
    ShowOptions(PlanOptions());
}

int OptionsPanel::Delay() {
    delay_->interpretText();
    return delay_->value();
}

int OptionsPanel::NewFrameDelay() {
    new_delay_->interpretText();
    return new_delay_->value();
}

void OptionsPanel::ShowLimitControls() {
    const int limit = size_limit_->currentData().toInt();
    custom_limit_->setEnabled(limit < 0);
    fit_limit_->setEnabled(limit != 0);
}

void OptionsPanel::SetSelectionPresent(bool present) { set_delay_->setEnabled(present); }

void OptionsPanel::SetSelected() {
    if (set_delay_->isEnabled()) emit SetSelectedDelay(Delay());
}

void OptionsPanel::ShowOptions(const PlanOptions& options) {
    {
        const QSignalBlocker quiet_loop(loop_), quiet_plays(plays_), quiet_order(play_order_), quiet_center(center_);
        loop_->setCurrentIndex(options.plays == kPlayForever ? 0 : 1);
        if (options.plays != kPlayForever) plays_->setValue(static_cast<int>(options.plays));
        plays_->setEnabled(options.plays != kPlayForever);
        play_order_->setCurrentIndex(static_cast<int>(options.order));
        center_->setChecked(options.center);
    }
    ShowPlaysMeaning(options.plays);
}

void OptionsPanel::TakeOptions() {
    PlanOptions options;
    options.plays = loop_->currentIndex() == 0 ? kPlayForever : static_cast<uint32_t>(plays_->value());
    options.order = static_cast<FrameOrder>(std::clamp(play_order_->currentIndex(), 0, 2));
    options.center = center_->isChecked();
    plays_->setEnabled(options.plays != kPlayForever);
    emit OptionsEdited(options);
}

void OptionsPanel::ShowPlaysMeaning(uint32_t plays) {
    if (plays == kPlayForever)
        plays_meaning_->setText(QString::fromUtf8(ZORVANE_QT_TEXT_PLAYS_FOREVER));
    else if (plays == 1)
        plays_meaning_->setText(QString::fromUtf8(ZORVANE_QT_TEXT_PLAYS_ONCE));
    else
        plays_meaning_->setText(QString::fromUtf8(ZORVANE_QT_TEXT_PLAYS_TIMES).arg(plays));
}

void OptionsPanel::ShowDelayHint() { delay_hint_->setVisible(delay_->value() <= 1); }

uint64_t OptionsPanel::SizeLimit() const {
    const int megabytes = size_limit_->currentData().toInt();
    if (megabytes > 0) return static_cast<uint64_t>(megabytes) * kBytesPerMegabyte;
    if (megabytes < 0) return static_cast<uint64_t>(custom_limit_->value() * kBytesPerMegabyte + 0.5);
    return 0;
}

QString OptionsPanel::SizeLimitText() const {
    if (size_limit_->currentData().toInt() < 0)
        return QLocale(QLocale::English).toString(custom_limit_->value(), 'g', 7) +
               QStringLiteral(" " ZORVANE_QT_TEXT_LIMIT_UNIT);
    return size_limit_->currentText();
}

bool OptionsPanel::Smallest() const { return smallest_->isChecked(); }

bool OptionsPanel::FitLimit() const { return fit_limit_->isEnabled() && fit_limit_->isChecked(); }

void OptionsPanel::Restore(QSettings& settings) {
    bool is_number = false;
    const int delay = settings.value(QLatin1String(kNewDelayKey)).toString().trimmed().toInt(&is_number);
    new_delay_->setValue(is_number && delay >= 0 && delay <= kMostDelay ? delay : kDefaultDelay);
    const QSignalBlocker quiet_limit(size_limit_), quiet_custom(custom_limit_), quiet_smallest(smallest_);
    smallest_->setChecked(settings.value(QLatin1String(kSmallestKey), true).toBool());
    const int limit = size_limit_->findData(settings.value(QLatin1String(kLimitKey), 0).toInt());
    custom_limit_->setValue(settings.value(QLatin1String(kCustomLimitKey), kDefaultCustomLimit).toDouble());
    size_limit_->setCurrentIndex(std::max(limit, 0));
    ShowLimitControls();
}

void OptionsPanel::Save(QSettings& settings) const {
    settings.setValue(QLatin1String(kNewDelayKey), new_delay_->value());
    settings.setValue(QLatin1String(kSmallestKey), smallest_->isChecked());
    settings.setValue(QLatin1String(kLimitKey), size_limit_->currentData().toInt());
    settings.setValue(QLatin1String(kCustomLimitKey), custom_limit_->value());
}

QList<QWidget*> OptionsPanel::DelayControls() const {
    return {delay_, set_delay_, set_all_delays_, new_delay_, scale_percent_, scale_delays_};
}

QList<QWidget*> OptionsPanel::AnimationControls() const {
    return {loop_, plays_, play_order_, center_, size_limit_, custom_limit_, smallest_, fit_limit_};
}
