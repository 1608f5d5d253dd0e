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
    if (Text().isEmpty()) return kMinimum;  // an empty field reads as 0
    bool is_number = false;
    const int value = Text().trimmed().toInt(&is_number, kDecimal);
    if (is_number && value >= kMinimum && value <= kMaximum) return value;
    return position_;
}

void DelaySpinBox::stepBy(int steps) {
    // Each press reads the field first and remembers what it read, also when
    // the position is at a limit and the field is left as it stands.
    const int from = CurrentPosition();
    const long long stepped = static_cast<long long>(from) + steps;
    position_ = static_cast<int>(stepped < kMinimum ? kMinimum : stepped > kMaximum ? kMaximum : stepped);
    if (position_ == from) return;
    lineEdit()->setText(QString::number(position_));
    selectAll();
}

QAbstractSpinBox::StepEnabled DelaySpinBox::stepEnabled() const {
    // Both arrows always answer; a step past a limit changes nothing.
    return StepUpEnabled | StepDownEnabled;
}
