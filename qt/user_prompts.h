// The windows the program opens on the user's behalf: the save dialog, the
// message boxes and the desktop's default handler for documents and web
// addresses. The main window reaches them only through this interface, so a
// test can answer them itself.
#ifndef ZORVANE_QT_USER_PROMPTS_H
#define ZORVANE_QT_USER_PROMPTS_H

#include <QString>
#include <QUrl>

#include "gif/animation_builder.h"

class QFileDialog;
class QMessageBox;
class QWidget;

class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // Asks for the file to write the animation to. Empty when cancelled.
    virtual QString AskSavePath(QWidget* owner) = 0;

    // Shows `text` in a message box with one OK button and waits for it.
    virtual void ShowMessage(QWidget* owner, const QString& title, const QString& text, MessageIcon icon) = 0;

    // Hands `url` to the desktop's default handler; false when that failed.
    virtual bool OpenExternal(const QUrl& url) = 0;
};

// The prompts of the running program.
class DesktopPrompts final : public UserPrompts {
public:
    QString AskSavePath(QWidget* owner) override;
    void ShowMessage(QWidget* owner, const QString& title, const QString& text, MessageIcon icon) override;
    bool OpenExternal(const QUrl& url) override;
};

// The save dialog as AskSavePath shows it: titled "Make Animated GIF", GIF
// files only, suffix "gif" added when none is typed, asking before an
// existing file is replaced. The caller owns the dialog.
QFileDialog* CreateSaveDialog(QWidget* owner);

// The message box as ShowMessage shows it. The caller owns the box.
QMessageBox* CreateMessageBox(QWidget* owner, const QString& title, const QString& text, MessageIcon icon);

#endif  // ZORVANE_QT_USER_PROMPTS_H
