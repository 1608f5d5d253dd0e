#include "qt/user_prompts.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "res/ui_texts.h"

QFileDialog* CreateSaveDialog(QWidget* owner) {
    auto* dialog = new QFileDialog(owner, QStringLiteral(ZORVANE_SAVE_AS_TITLE));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(QStringList{QStringLiteral(ZORVANE_GIF_FILTER_NAME)});
    dialog->setDefaultSuffix(QStringLiteral(ZORVANE_GIF_EXTENSION));
    dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    return dialog;
}

QMessageBox* CreateMessageBox(QWidget* owner, const QString& title, const QString& text, MessageIcon icon) {
    const QMessageBox::Icon shown = icon == MessageIcon::kWarning ? QMessageBox::Warning : QMessageBox::NoIcon;
    auto* box = new QMessageBox(shown, title, text, QMessageBox::Ok, owner);
    box->setTextFormat(Qt::PlainText);
    return box;
}

QString DesktopPrompts::AskSavePath(QWidget* owner) {
    QFileDialog* dialog = CreateSaveDialog(owner);
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
