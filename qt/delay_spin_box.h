// A delay field: whole hundredths of a second from 0 to 65535, with arrows
// (and the arrow keys) that step it. Anything else is refused as it is typed:
// a sign, a point, letters, a number past 65535. Its tooltip names the unit.
#ifndef ZORVANE_QT_DELAY_SPIN_BOX_H
#define ZORVANE_QT_DELAY_SPIN_BOX_H

#include <QSpinBox>

class DelaySpinBox final : public QSpinBox {
    Q_OBJECT

public:
    explicit DelaySpinBox(QWidget* parent = nullptr);

signals:
    // Enter or Return was pressed in the field, after its text was taken.
    void Entered();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

#endif  // ZORVANE_QT_DELAY_SPIN_BOX_H
