#include "qt/delay_spin_box.h"

#include <QLineEdit>

namespace {

constexpr int kDecimal = 10;

}  // namespace

DelaySpinBox::DelaySpinBox(QWidget* parent) : QAbstractSpinBox(parent) {
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    setAccelerated(false);
    setWrapping(false);
}

QString DelaySpinBox::Text() const { return lineEdit()->text(); }

void DelaySpinBox::SetText(const QString& text) { lineEdit()->setText(text); }

int DelaySpinBox::CurrentPosition() const {
    bool is_number = false;
    const int value = Text().trimmed().toInt(&is_number, kDecimal);
    if (is_number && value >= kMinimum && value <= kMaximum) return value;
    return position_;
}

void DelaySpinBox::stepBy(int steps) {
    const long long stepped = static_cast<long long>(CurrentPosition()) + steps;
    position_ = static_cast<int>(stepped < kMinimum ? kMinimum : stepped > kMaximum ? kMaximum : stepped);
    lineEdit()->setText(QString::number(position_));
    selectAll();
}

QAbstractSpinBox::StepEnabled DelaySpinBox::stepEnabled() const {
    const int position = CurrentPosition();
    StepEnabled enabled = StepNone;
    if (position > kMinimum) enabled |= StepDownEnabled;
    if (position < kMaximum) enabled |= StepUpEnabled;
    return enabled;
}
