// Answers the GIF core's requests from the main window: the two interfaces
// the core calls back through, mapped onto the window's controls, its frame
// list and the user prompts.
#ifndef ZORVANE_QT_CORE_ADAPTER_H
#define ZORVANE_QT_CORE_ADAPTER_H

#include <QByteArray>
#include <QString>
#include <Qt>

#include "gif/animation_builder.h"
#include "gif/frame_summary.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QWidget;
class DelaySpinBox;
class UserPrompts;

// Role under which each list entry keeps its full path as 8-bit bytes.
constexpr int kFramePathRole = Qt::UserRole;

// Every message of the core is shown in a box with this title.
extern const char kMessageTitle[];

struct WindowControls {
    QWidget* window;
    QListWidget* frame_list;
    QLabel* frame_name;
    QLabel* frame_info;
    DelaySpinBox* delay;
    QCheckBox* loop;
};

class InspectionAdapter final : public InspectionCaller {
public:
    InspectionAdapter(const WindowControls& controls, UserPrompts& prompts);

    void SetFrameName(const char* name) override;
    void SetFrameSummary(const char* summary) override;
    void ShowWarning(const char* message) override;

    // The core summarised the frame: it is a GIF with a first image.
    bool Summarised() const { return summarised_; }

private:
    const WindowControls& controls_;
    UserPrompts& prompts_;
    bool summarised_ = false;
};

class BuildAdapter final : public BuildOptions {
public:
    // The output is asked for in the save dialog, which starts in
    // `save_folder` (its own choice when empty).
    BuildAdapter(const WindowControls& controls, UserPrompts& prompts, const QString& save_folder);

    // Writes to `path` instead of asking.
    void WriteTo(const QString& path);

    // The output file asked for or given; empty when the dialog was cancelled.
    const QString& Output() const { return output_; }
    // The messages shown during the run: each tells of a failure.
    int MessageCount() const { return message_count_; }

    const char* OutputPath() override;
    bool LoopFlag() override;
    size_t FrameCount() override;
    const char* FramePath(size_t index) override;
    unsigned Delay() override;
    void ShowMessage(const char* text, MessageIcon icon) override;

private:
    const WindowControls& controls_;
    UserPrompts& prompts_;
    QString save_folder_;
    QString output_;
    bool output_given_ = false;
    int message_count_ = 0;
    QByteArray output_path_;  // lives until the run ends
    QByteArray frame_path_;   // the path last asked for
};

#endif  // ZORVANE_QT_CORE_ADAPTER_H
