// The program's one window: the frame list fed by files dropped from a file
// manager, the info panel for the selected frame, the delay and loop options
// and the build, help and home-page buttons.
#ifndef ZORVANE_QT_MAIN_WINDOW_H
#define ZORVANE_QT_MAIN_WINDOW_H

#include <QIcon>
#include <QList>
#include <QString>
#include <QUrl>
#include <QWidget>

#include "qt/core_adapter.h"

class QCheckBox;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QListWidget;
class QPushButton;
class DelaySpinBox;
class UserPrompts;

// The program's icon in all its sizes.
QIcon ProgramIcon();

// The help page for a program in `program_folder`: installed under
// share/zorvane of the same prefix, or else beside the program (as in the
// build tree). When it is in neither place, where the installed one belongs.
QString HelpPagePath(const QString& program_folder);

class MainWindow final : public QWidget {
    Q_OBJECT

public:
    // `help_path` is the help page that the help button opens.
    MainWindow(UserPrompts& prompts, const QString& help_path, QWidget* parent = nullptr);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    // Appends one entry per local file, in the order given, and enables the
    // build button. Other addresses are passed over.
    void AddFrames(const QList<QUrl>& urls);
    void RemoveSelectedFrame();
    void ClearAllFrames();
    void InspectSelectedFrame();
    // A click that selected nothing new: the entry under it was already
    // selected, and is inspected again (its file may have changed meanwhile).
    void InspectClickedSelectedFrame();
    void MakeAnimation();
    void OpenHomePage();
    void OpenHelp();

    UserPrompts& prompts_;
    QString help_path_;
    WindowControls controls_{};
    QPushButton* remove_frame_ = nullptr;
    QPushButton* clear_all_ = nullptr;
    QPushButton* make_gif_ = nullptr;
    QPushButton* web_ = nullptr;
    QPushButton* help_ = nullptr;
    // The last press in the list fell on the entry already selected.
    bool press_on_selected_ = false;
};

#endif  // ZORVANE_QT_MAIN_WINDOW_H
