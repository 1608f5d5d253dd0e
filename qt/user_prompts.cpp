#include "qt/user_prompts.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "qt/preview_dialog.h"
#include "res/ui_texts.h"

QFileDialog* CreateOpenDialog(QWidget* owner, const QString& folder) {
    auto* dialog = new QFileDialog(owner, QString::fromUtf8(ZORVANE_QT_OPEN_TITLE), folder);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setNameFilters(
        QStringList{QStringLiteral(ZORVANE_GIF_FILTER_NAME), QString::fromUtf8(ZORVANE_QT_ALL_FILES_FILTER_NAME)});
    return dialog;
}

QFileDialog* CreateSaveDialog(QWidget* owner, const QString& folder, const QString& name) {
    auto* dialog = new QFileDialog(owner, QStringLiteral(ZORVANE_SAVE_AS_TITLE), folder);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(QStringList{QStringLiteral(ZORVANE_GIF_FILTER_NAME)});
    dialog->setDefaultSuffix(QStringLiteral(ZORVANE_GIF_EXTENSION));
    dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!name.isEmpty()) dialog->selectFile(name);
    return dialog;
}

QMessageBox* CreateMessageBox(QWidget* owner, const QString& title, const QString& text, MessageIcon icon) {
    const QMessageBox::Icon shown = icon == MessageIcon::kWarning ? QMessageBox::Warning : QMessageBox::NoIcon;
    auto* box = new QMessageBox(shown, title, text, QMessageBox::Ok, owner);
    box->setTextFormat(Qt::PlainText);
    return box;
}

QStringList DesktopPrompts::AskOpenPaths(QWidget* owner, const QString& folder) {
    QFileDialog* dialog = CreateOpenDialog(owner, folder);
    QStringList paths;
    if (dialog->exec() == QDialog::Accepted) paths = dialog->selectedFiles();
    delete dialog;
    return paths;
}

QString DesktopPrompts::AskSavePath(QWidget* owner, const QString& folder, const QString& name) {
    QFileDialog* dialog = CreateSaveDialog(owner, folder, name);
    QString path;
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
        path = dialog->selectedFiles().first();
    }
    delete dialog;
    return path;
}

void DesktopPrompts::ShowMessage(QWidget* owner, const QString& title, const QString& text, MessageIcon icon) {
    QMessageBox* box = CreateMessageBox(owner, title, text, icon);
    box->exec();
    delete box;
}

bool DesktopPrompts::OpenExternal(const QUrl& url) { return QDesktopServices::openUrl(url); }

void DesktopPrompts::ShowPreview(QWidget* owner, const QString& path) {
    auto* dialog = new PreviewDialog(path, owner);
    if (dialog->IsValid()) {
        dialog->exec();
    } else {
        ShowMessage(owner, QStringLiteral(ZORVANE_ERROR_CAPTION), QString::fromUtf8(ZORVANE_QT_MSG_PREVIEW_UNREADABLE),
                    MessageIcon::kWarning);
    }
    delete dialog;
}
