// The delay field: a text field that takes any text, with up and down arrows
// (and the arrow keys) that step a position from 0 to 1000 and write it into
// the field. The text is read as it stands when a build asks for the delay.
#ifndef ZORVANE_QT_DELAY_SPIN_BOX_H
#define ZORVANE_QT_DELAY_SPIN_BOX_H

#include <QAbstractSpinBox>

class DelaySpinBox final : public QAbstractSpinBox {
    Q_OBJECT

public:
    static constexpr int kMinimum = 0;
    static constexpr int kMaximum = 1000;

    explicit DelaySpinBox(QWidget* parent = nullptr);

    QString Text() const;
    void SetText(const QString& text);

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;

private:
    // The position the arrows step from: 0 for an empty field, the field's
    // number when it holds one within the range, else (text, or a number out
    // of range) the position the arrows last read or wrote.
    int CurrentPosition() const;

    int position_ = kMinimum;
};

#endif  // ZORVANE_QT_DELAY_SPIN_BOX_H
