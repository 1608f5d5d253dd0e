// The panel about the selected entry: its file name, the size of its screen
// and its palette, its images and their duration, and its first frame as a
// browser shows it; for a file that cannot be used, the reason instead.
#ifndef ZORVANE_QT_INFO_PANEL_H
#define ZORVANE_QT_INFO_PANEL_H

#include <QGroupBox>

#include "qt/frame_list_model.h"

class QLabel;

class InfoPanel final : public QGroupBox {
    Q_OBJECT

public:
    explicit InfoPanel(QWidget* parent);

    // Reads the entry's file again and shows what it holds, or why it
    // cannot be used.
    void ShowEntry(const FrameEntry& entry);
    void Clear();

private:
    void ShowPicture(const QByteArray& path);

    QLabel* name_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* images_ = nullptr;
    QLabel* picture_ = nullptr;
    QLabel* problem_ = nullptr;
};

#endif  // ZORVANE_QT_INFO_PANEL_H
