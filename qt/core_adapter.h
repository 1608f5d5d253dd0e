// The GIF core as the main window uses it: the plan built from the window's
// controls and frame list, and the core's results shown in them.
#ifndef ZORVANE_QT_CORE_ADAPTER_H
#define ZORVANE_QT_CORE_ADAPTER_H

#include <QByteArray>
#include <QString>
#include <Qt>

#include "gif/build_plan.h"

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

// Shows the name and summary of the frame file at `path` in the info panel,
// or the core's warning. True when the file was summarised.
bool ShowFrameSummary(const WindowControls& controls, UserPrompts& prompts, const QByteArray& path);

// Writes `output` from every entry's first image, with the window's delay and
// loop setting. False, with the message shown, when the build failed.
bool BuildFromWindow(const WindowControls& controls, UserPrompts& prompts, const QString& output);

#endif  // ZORVANE_QT_CORE_ADAPTER_H
