// The program's one window, an editor of the animation: the frame list (fed
// by files dropped from a file manager, chosen in a dialog or named on the
// command line; reordered by dragging, from the keyboard or by name; every
// change undoable), the info panel with the selected frame's name, summary
// and picture, the timing and play options, the status line that tells what
// "Make Animated GIF" will write, and the build, preview, help and home-page
// buttons. The list and the plan around it live in a FrameListModel, shown
// by a FrameListView; the InfoPanel and the OptionsPanel are files of their
// own. The window wires them together and turns the user's actions into the
// model's edits. The folders last used and the window's size are remembered
// between runs (the options panel remembers its own preferences).
#ifndef ZORVANE_QT_MAIN_WINDOW_H
#define ZORVANE_QT_MAIN_WINDOW_H

#include <QIcon>
#include <QList>
#include <QPersistentModelIndex>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <cstdint>

#include "gif/build_plan.h"
#include "qt/frame_list_model.h"

class QAction;
class QByteArray;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QGroupBox;
class QLabel;
class QListView;
class QPushButton;
class QSettings;
class QStatusBar;
class QThread;
class InfoPanel;
class OptionsPanel;
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
    ~MainWindow() override;

    // Appends one entry per path (8-bit, as the file system names it), in
    // the order given, as a drop does: one step to undo, nothing selected or
    // inspected.
    void AddFramePaths(const QList<QByteArray>& paths);

    // The window took its size and place from the settings.
    bool RestoredGeometry() const { return restored_geometry_; }

    // The size of the file is being worked out away from the window.
    bool Measuring() const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* CreateFramesGroup();
    QLayout* CreateButtonRow();
    void CreateActions();
    void SetTabOrder();
    // A drag or drop of files from elsewhere, on the window or its list:
    // accepted when it holds a local file; a drop adds its files. False for
    // any other drag.
    bool TakeFileDrag(QEvent* event);
    void RestoreSettings();
    void SaveSettings();
    void AddFrames(const QList<QUrl>& urls);
    void AddFramesFromDialog();
    QList<int> SelectedRows() const;
    void RemoveSelectedFrames();
    void ClearAllFrames();
    void RemoveUnusableFrames();
    // After every change of the list or its options.
    void ListChanged();
    void SelectionChanged();
    // The plan of the list and the options, written to `output`.
    BuildPlan CurrentPlan(const std::string& output) const;
    // The plan measured from the files' records alone, its frames copied as
    // they are: quick, with every refusal a build would give.
    BuildResult MeasureRecords() const;
    // The status line from what the core measures of the plan; the size of
    // a file written smallest, or fitted to the limit, is measured in the
    // background, a newer edit superseding an older measurement.
    void ShowSummary();
    void MeasureInTheBackground();
    void ShowMeasured(const BuildResult& result);
    // One text in the status line, red when `alarming`; `tip` follows it in
    // the tooltip.
    void ShowStatus(const QString& text, bool alarming, const QString& tip);
    // Shows the refusal of the plan, if any, as a failed build would.
    bool CheckPlan();
    // The name the save dialog suggests: the one used last, else one made
    // from the first entry's.
    QString SuggestedName() const;
    void InspectSelectedFrame(bool again);
    void ClearInfoPanel();
    void ShowContextMenu(const QPoint& at);
    // A failed build or measure, in the words the user sees: the message,
    // with the file and place of the entry it is about.
    QString FailureText(const BuildResult& result) const;
    // A failed build: the entry it is about selected and marked, the
    // message in a box and, once, in the status line.
    void ShowFailure(const BuildResult& result);
    void MakeAnimation();
    // Builds the animation into a private temporary folder and plays it.
    void PreviewAnimation();
    void OpenHomePage();
    void OpenHelp();

    UserPrompts& prompts_;
    QString help_path_;
    QSettings& settings_;
    FrameListModel frames_;

    QListView* list_ = nullptr;
    QPushButton* remove_frame_ = nullptr;
    QPushButton* clear_all_ = nullptr;
    QPushButton* add_frames_ = nullptr;
    QPushButton* sort_by_name_ = nullptr;
    QPushButton* undo_ = nullptr;
    QPushButton* redo_ = nullptr;
    QPushButton* remove_unusable_ = nullptr;
    InfoPanel* info_ = nullptr;
    OptionsPanel* options_ = nullptr;
    QPushButton* make_gif_ = nullptr;
    QPushButton* preview_ = nullptr;
    QPushButton* web_ = nullptr;
    QPushButton* help_ = nullptr;
    QStatusBar* status_line_ = nullptr;
    QLabel* plan_summary_ = nullptr;
    QAction* first_image_only_ = nullptr;
    QAction* own_delays_ = nullptr;
    QAction* set_delay_action_ = nullptr;
    QAction* undo_action_ = nullptr;
    QAction* redo_action_ = nullptr;

    // The entry the info panel shows, followed through moves; invalid for
    // none.
    QPersistentModelIndex shown_;
    // What the status line shows, counted; a measurement started for an
    // older one is not shown.
    unsigned shown_generation_ = 0;
    QThread* measurer_ = nullptr;
    // The plan of the newest edit, waiting for the running measurement.
    BuildPlan pending_plan_;
    bool has_pending_ = false;
    QString last_saved_name_;
    // The last press in the list fell on an entry already selected.
    bool press_on_selected_ = false;
    bool restored_geometry_ = false;
};

#endif  // ZORVANE_QT_MAIN_WINDOW_H
