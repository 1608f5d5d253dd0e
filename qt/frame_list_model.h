// The frame list of the Linux window and the plan around it: which files, in
// which order, how each one is taken (all its images or its first, its own
// delays or one given delay), how often and in which order the animation
// plays, and whether smaller frames are centred. Every change goes through
// the undo stack as one command, so Undo restores exactly what was there.
#ifndef ZORVANE_QT_FRAME_LIST_MODEL_H
#define ZORVANE_QT_FRAME_LIST_MODEL_H

#include <QAbstractListModel>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QUndoStack>
#include <QVector>
#include <cstdint>
#include <string>

#include "gif/build_plan.h"

// Roles beside Qt's own: the entry's full path as 8-bit bytes, its file name.
constexpr int kFramePathRole = Qt::UserRole;
constexpr int kFrameNameRole = Qt::UserRole + 1;

// The default delay a first start offers, in hundredths of a second.
constexpr int kDefaultDelay = 10;
constexpr int kMostDelay = 65535;

struct FrameEntry {
    QByteArray path;
    // What the file held when it was added: its number of images (0 when it
    // could not be read, and then `problem` says why), the sum of their own
    // delays and the first one's.
    size_t images = 0;
    uint64_t own_duration = 0;
    uint16_t first_delay = 0;
    // The delays of its images, in file order (none when it could not be
    // read).
    QVector<uint16_t> own_delays;
    const char* problem = nullptr;
    ImageChoice choice = ImageChoice::kFirst;
    DelayRule delay;

    bool Animated() const { return images > 1; }
    // Its frames play with the delays of its images.
    bool KeepsOwnDelays() const { return !delay.given; }
};

// What applies to the whole animation.
struct PlanOptions {
    uint32_t plays = kPlayForever;
    FrameOrder order = FrameOrder::kForward;
    bool center = false;

    bool operator==(const PlanOptions& other) const {
        return plays == other.plays && order == other.order && center == other.center;
    }
    bool operator!=(const PlanOptions& other) const { return !(*this == other); }
};

// The file name part of an 8-bit path: what follows its last '/'.
QByteArray DisplayNameOf(const QByteArray& path);

// Sorts 8-bit paths by their file names in natural order (frame2 before
// frame10); equal names keep their order.
void SortPathsNaturally(QList<QByteArray>* paths);

class FrameListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    explicit FrameListModel(QObject* parent = nullptr);

    QUndoStack* UndoStack() { return &undo_stack_; }

    const FrameEntry& Entry(int row) const { return entries_.at(row); }
    int Count() const { return entries_.size(); }
    const PlanOptions& Options() const { return options_; }

    // The plan that writes the list to `output`.
    BuildPlan Plan(const std::string& output) const;

    // The entries whose files could not be read when they were added.
    QList<int> UnusableRows() const;

    // How much longer than written a browser plays the animation, in
    // hundredths: it plays a frame of 0 or 1 as 10. (Frames added between
    // entries to clear the canvas are not counted.)
    uint64_t BrowserExtraTime() const;

    // The entry a failure was about, shown marked until the list changes;
    // -1 for none.
    void MarkFailed(int row);
    int MarkedRow() const { return marked_row_; }

    // Each of the following is one step of the undo stack, and does nothing
    // (adds no step) when it would change nothing.

    // Appends one entry per path, in the order given. Each file is read to
    // learn its images: an animated file brings all of them with their own
    // delays, any other takes `delay`.
    void Append(const QList<QByteArray>& paths, int delay);
    // `rows` in any order.
    void Remove(QList<int> rows);
    void Clear();
    // Removes every entry whose file could not be read when it was added.
    void RemoveUnusable();
    // Moves the entries at `rows` by one place up (-1) or down (1), kept
    // together in their order; nothing when one is already at that end.
    void Shift(QList<int> rows, int step);
    // Moves the entries at `rows` before the entry at `before` (Count() for
    // the end), kept together in their order.
    void MoveTo(QList<int> rows, int before);
    void SortByName();
    void SetDelay(const QList<int>& rows, int delay);
    void SetAllDelays(int delay);
    // Every given delay times `percent` / 100, rounded, at most 65535.
    // Entries that keep their own delays are left as they are.
    void ScaleDelays(int percent);
    // For the animated entries among `rows`: their images' own delays again.
    void KeepOwnDelays(const QList<int>& rows);
    // For the animated entries among `rows`: the first image only, or all.
    void SetFirstImageOnly(const QList<int>& rows, bool first_only);
    void SetOptions(const PlanOptions& options);

    // QAbstractListModel.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

signals:
    // After every change of the entries or the options, undo and redo too.
    void Changed();
    void OptionsChanged();

private:
    friend class InsertEntriesCommand;
    friend class RemoveEntriesCommand;
    friend class ReorderCommand;
    friend class ChangeEntriesCommand;
    friend class OptionsCommand;

    // The raw edits the commands make; each reports one change. Entry i
    // goes to (or comes from) ascending_rows[i] of the list with them.
    void InsertRows(const QList<int>& ascending_rows, const QVector<FrameEntry>& entries);
    void RemoveRows(const QList<int>& ascending_rows);
    // Entry i becomes the one that was at order[i]; the views keep their
    // selection on the same entries.
    void Reorder(const QVector<int>& order);
    void ReplaceEntries(const QList<int>& rows, const QVector<FrameEntry>& entries);
    void ReplaceOptions(const PlanOptions& options);

    // One step that gives `rows` their `changed` entries, when any differs.
    void ChangeEntries(const QString& text, const QList<int>& rows, const QVector<FrameEntry>& changed);
    QString EntryText(const FrameEntry& entry) const;

    QVector<FrameEntry> entries_;
    PlanOptions options_;
    int marked_row_ = -1;
    QUndoStack undo_stack_;
};

// The text of a duration in hundredths of a second: "2.35 s".
QString DurationText(uint64_t hundredths);

#endif  // ZORVANE_QT_FRAME_LIST_MODEL_H
