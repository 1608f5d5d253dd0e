// Small makers of the window's labels and buttons, named for the tests and
// screen readers.
#ifndef ZORVANE_QT_WIDGETS_H
#define ZORVANE_QT_WIDGETS_H

#include <QLabel>
#include <QPushButton>
#include <QString>

inline QLabel* TextLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// A label whose marked letter, with Alt, moves to `buddy`.
inline QLabel* BuddyLabel(const char* text, const char* name, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(buddy);
    return label;
}

inline QPushButton* Button(const QString& text, const char* name, const char* tip, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    if (tip) button->setToolTip(QString::fromUtf8(tip));
    return button;
}

#endif  // ZORVANE_QT_WIDGETS_H
