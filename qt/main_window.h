// The program's one window: the frame list fed by files dropped from a file
// manager, chosen in a dialog or named on the command line, and reordered by
// dragging or from the keyboard; the info panel with the selected frame's
// name, summary and picture; the delay and loop options; the build, preview,
// help and home-page buttons. The last folders used, the delay and the loop
// setting are remembered between runs.
#ifndef ZORVANE_QT_MAIN_WINDOW_H
#define ZORVANE_QT_MAIN_WINDOW_H

#include <QIcon>
#include <QList>
#include <QString>
#include <QUrl>
#include <QWidget>

#include "qt/core_adapter.h"

class QByteArray;
class QCheckBox;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QListWidget;
class QPushButton;
class QSettings;
class DelaySpinBox;
class UserPrompts;

// The program's icon in all its sizes.
QIcon ProgramIcon();

// The help page for a program in `program_folder`: installed under
// share/zorvane of the same prefix, or else beside the program (as in the
// build tree). When it is in neither place, where the installed one belongs.
QString HelpPagePath(const QString& program_folder);

// The frame files named on a command line (`argv` from index 1, after Qt has
// taken its own options), as the file system names them; relative ones are
// made absolute against `current_folder`. A first "--" is passed over, so that
// names beginning with a dash can follow it.
QList<QByteArray> FramePathsFromArguments(int argc, const char* const* argv, const QByteArray& current_folder);

class MainWindow final : public QWidget {
    Q_OBJECT

public:
    // `help_path` is the help page that the help button opens; `settings`
    // holds what is remembered between runs, and must outlive the window.
    MainWindow(UserPrompts& prompts, const QString& help_path, QSettings& settings, QWidget* parent = nullptr);

    // Appends one entry per path (8-bit, as the file system names it), in
    // the order given, as a drop does: the build is enabled, nothing is
    // selected or inspected.
    void AddFramePaths(const QList<QByteArray>& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateShortcuts();
    // A drag or drop of files from elsewhere, on the window or its list:
    // accepted when it holds a local file; a drop adds its files. False for
    // any other drag.
    bool TakeFileDrag(QEvent* event);
    void RestoreSettings();
    void SaveSettings();
    // Appends one entry per local file, in the order given, and enables the
    // build button. Other addresses are passed over.
    void AddFrames(const QList<QUrl>& urls);
    void AddFramesFromDialog();
    void SetBuildEnabled(bool enabled);
    void RemoveSelectedFrame();
    // Moves the selected entry by `rows` (up when negative) within the list;
    // it stays selected.
    void MoveSelectedFrame(int rows);
    void ClearAllFrames();
    void InspectSelectedFrame();
    // A click that selected nothing new: the entry under it was already
    // selected, and is inspected again (its file may have changed meanwhile).
    void InspectClickedSelectedFrame();
    // Shows the first image of the frame file at `path`, scaled to fit, or
    // nothing when Qt cannot read it.
    void ShowFramePicture(const QByteArray& path);
    void MakeAnimation();
    // Builds the animation into a private temporary folder and plays it.
    void PreviewAnimation();
    void OpenHomePage();
    void OpenHelp();

    UserPrompts& prompts_;
    QString help_path_;
    QSettings& settings_;
    WindowControls controls_{};
    QLabel* frame_picture_ = nullptr;
    QPushButton* add_frames_ = nullptr;
    QPushButton* remove_frame_ = nullptr;
    QPushButton* clear_all_ = nullptr;
    QPushButton* make_gif_ = nullptr;
    QPushButton* preview_ = nullptr;
    QPushButton* web_ = nullptr;
    QPushButton* help_ = nullptr;
    // The last press in the list fell on the entry already selected.
    bool press_on_selected_ = false;
};

#endif  // ZORVANE_QT_MAIN_WINDOW_H
