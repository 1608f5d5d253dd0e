// The windows the program opens on the user's behalf: the dialogs for adding
// frames and for saving, the message boxes, the preview and the desktop's
// default handler for documents and web addresses. The main window reaches them only through this interface, so a
// test can answer them itself.
#ifndef ZORVANE_QT_USER_PROMPTS_H
#define ZORVANE_QT_USER_PROMPTS_H

#include <QString>
#include <QStringList>
#include <QUrl>

#include "gif/build_plan.h"

class QFileDialog;
class QMessageBox;
class QWidget;

class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // Asks for frame files to add, in the order chosen. `folder` is where the
    // dialog starts (its own choice when empty). Empty when cancelled.
    virtual QStringList AskOpenPaths(QWidget* owner, const QString& folder) = 0;

    // Asks for the file to write the animation to, starting in `folder` (the
    // dialog's own choice when empty) with `name` suggested. Empty when
    // cancelled.
    virtual QString AskSavePath(QWidget* owner, const QString& folder, const QString& name) = 0;

    // Shows `text` in a message box with one OK button and waits for it.
    virtual void ShowMessage(QWidget* owner, const QString& title, const QString& text, MessageIcon icon) = 0;

    // Hands `url` to the desktop's default handler; false when that failed.
    virtual bool OpenExternal(const QUrl& url) = 0;

    // Plays the animation in `path` until the user closes the preview; the
    // caller removes the file afterwards.
    virtual void ShowPreview(QWidget* owner, const QString& path) = 0;
};

// The prompts of the running program.
class DesktopPrompts final : public UserPrompts {
public:
    QStringList AskOpenPaths(QWidget* owner, const QString& folder) override;
    QString AskSavePath(QWidget* owner, const QString& folder, const QString& name) override;
    void ShowMessage(QWidget* owner, const QString& title, const QString& text, MessageIcon icon) override;
    bool OpenExternal(const QUrl& url) override;
    void ShowPreview(QWidget* owner, const QString& path) override;
};

// The dialog as AskOpenPaths shows it: titled "Add Frames", several existing
// files at once, GIF files listed first and all files selectable.
QFileDialog* CreateOpenDialog(QWidget* owner, const QString& folder);

// The save dialog as AskSavePath shows it: titled "Make Animated GIF", GIF
// files only, suffix "gif" added when none is typed, asking before an
// existing file is replaced, `name` (if any) suggested. The caller owns the
// dialog.
QFileDialog* CreateSaveDialog(QWidget* owner, const QString& folder, const QString& name);

// The message box as ShowMessage shows it. The caller owns the box.
QMessageBox* CreateMessageBox(QWidget* owner, const QString& title, const QString& text, MessageIcon icon);

#endif  // ZORVANE_QT_USER_PROMPTS_H
