#include "qt/delay_spin_box.h"

#include <QKeyEvent>

#include "qt/frame_list_model.h"
#include "res/ui_texts.h"

DelaySpinBox::DelaySpinBox(QWidget* parent) : QSpinBox(parent) {
    setRange(0, kMostDelay);
    setValue(kDefaultDelay);
    setAccelerated(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_DELAY));
}

void DelaySpinBox::keyPressEvent(QKeyEvent* event) {
    QSpinBox::keyPressEvent(event);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Taken here: the window has no default button to pass it on to.
        event->accept();
        emit Entered();
    }
}
