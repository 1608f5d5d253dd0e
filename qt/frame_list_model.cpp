#include "qt/frame_list_model.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QDataStream>
#include <QFile>
#include <QIcon>
#include <QMimeData>
#include <QStringList>
#include <QStyle>
#include <QUndoCommand>
#include <algorithm>
#include <numeric>

#include "gif/file_summary.h"
#include "gif/natural_order.h"
#include "res/ui_texts.h"

namespace {

// The format of the list's own drags: the rows dragged.
const char kRowsMimeType[] = "application/x-zorvane-frame-rows";

constexpr int kHundredths = 100;
constexpr int kPercent = 100;

// Entries a command names, in ascending order without repeats, and only
// those that exist.
QList<int> CleanRows(QList<int> rows, int count) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [count](int row) { return row < 0 || row >= count; }),
               rows.end());
    return rows;
}

// The order that puts `rows` (ascending) before the entry at `before`.
QVector<int> OrderMovingBefore(const QList<int>& rows, int before, int count) {
    QVector<int> order;
    QVector<bool> moved(count, false);
    for (int row : rows) moved[row] = true;
    for (int row = 0; row <= count; ++row) {
        if (row == before) order += QVector<int>(rows.begin(), rows.end());
        if (row < count && !moved[row]) order.append(row);
    }
    return order;
}

bool IsIdentity(const QVector<int>& order) {
    for (int i = 0; i < order.size(); ++i)
        if (order[i] != i) return false;
    return true;
}

uint16_t ScaledDelay(uint16_t delay, int percent) {
    const uint64_t scaled = (uint64_t{delay} * static_cast<uint64_t>(percent) + kPercent / 2) / kPercent;
    return static_cast<uint16_t>(std::min<uint64_t>(scaled, kMostDelay));
}

// Notes the delays of a file's images.
class ImageDelays final : public ImageVisitor {
public:
    void Image(const ImageInfo& image) override { delays.append(image.delay); }
    QVector<uint16_t> delays;
};

// Browsers play a frame of 0 or 1 hundredths as 10.
constexpr uint16_t kLeastPlayedDelay = 2;
constexpr uint16_t kShortDelayPlayedAs = 10;

uint64_t ExtraTime(uint16_t delay) { return delay < kLeastPlayedDelay ? kShortDelayPlayedAs - delay : 0; }

}  // namespace

QByteArray DisplayNameOf(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

void SortPathsNaturally(QList<QByteArray>* paths) {
    std::stable_sort(paths->begin(), paths->end(), [](const QByteArray& a, const QByteArray& b) {
        return NaturalLess(DisplayNameOf(a).constData(), DisplayNameOf(b).constData());
    });
}

QString DurationText(uint64_t hundredths) {
    return QStringLiteral("%1.%2 s")
        .arg(hundredths / kHundredths)
        .arg(static_cast<unsigned>(hundredths % kHundredths), 2, 10, QLatin1Char('0'));
}

// ---- The steps of the undo stack.

class InsertEntriesCommand final : public QUndoCommand {
public:
    InsertEntriesCommand(FrameListModel* list, int row, const QVector<FrameEntry>& entries, const QString& text)
        : QUndoCommand(text), list_(list), row_(row), entries_(entries) {}
    void redo() override {
        QList<int> rows(entries_.size());
        std::iota(rows.begin(), rows.end(), row_);
        list_->InsertRows(rows, entries_);
    }
    void undo() override {
        QList<int> rows(entries_.size());
        std::iota(rows.begin(), rows.end(), row_);
        list_->RemoveRows(rows);
    }

private:
    FrameListModel* list_;
    int row_;
    QVector<FrameEntry> entries_;
};

class RemoveEntriesCommand final : public QUndoCommand {
public:
    RemoveEntriesCommand(FrameListModel* list, const QList<int>& rows, const QString& text)
        : QUndoCommand(text), list_(list), rows_(rows) {
        for (int row : rows_) entries_.append(list->Entry(row));
    }
    void redo() override { list_->RemoveRows(rows_); }
    void undo() override { list_->InsertRows(rows_, entries_); }

private:
    FrameListModel* list_;
    QList<int> rows_;  // ascending
    QVector<FrameEntry> entries_;
};

class ReorderCommand final : public QUndoCommand {
public:
    ReorderCommand(FrameListModel* list, const QVector<int>& order, const QString& text)
        : QUndoCommand(text), list_(list), order_(order), inverse_(order.size()) {
        for (int i = 0; i < order.size(); ++i) inverse_[order[i]] = i;
    }
    void redo() override { list_->Reorder(order_); }
    void undo() override { list_->Reorder(inverse_); }

private:
    FrameListModel* list_;
    QVector<int> order_;
    QVector<int> inverse_;
};

class ChangeEntriesCommand final : public QUndoCommand {
public:
    ChangeEntriesCommand(FrameListModel* list, const QList<int>& rows, const QVector<FrameEntry>& after,
                         const QString& text)
        : QUndoCommand(text), list_(list), rows_(rows), after_(after) {
        for (int row : rows_) before_.append(list->Entry(row));
    }
    void redo() override { list_->ReplaceEntries(rows_, after_); }
    void undo() override { list_->ReplaceEntries(rows_, before_); }

private:
    FrameListModel* list_;
    QList<int> rows_;
    QVector<FrameEntry> before_;
    QVector<FrameEntry> after_;
};

// A change of the options. Changes of the same option in a row (the plays
// typed digit by digit) make one step.
class OptionsCommand final : public QUndoCommand {
public:
    static constexpr int kId = 1;

    OptionsCommand(FrameListModel* list, const PlanOptions& after)
        : QUndoCommand(QString::fromUtf8(ZORVANE_QT_UNDO_OPTIONS)),
          list_(list),
          before_(list->Options()),
          after_(after) {}
    int id() const override { return kId; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const OptionsCommand*>(other);
        if (Changed(before_, after_) != Changed(next->before_, next->after_)) return false;
        after_ = next->after_;
        if (after_ == before_) setObsolete(true);
        return true;
    }
    void redo() override { list_->ReplaceOptions(after_); }
    void undo() override { list_->ReplaceOptions(before_); }

private:
    // Which of the options differ, as a set of bits.
    static int Changed(const PlanOptions& a, const PlanOptions& b) {
        return (a.plays != b.plays ? 1 : 0) | (a.order != b.order ? 2 : 0) | (a.center != b.center ? 4 : 0);
    }

    FrameListModel* list_;
    PlanOptions before_;
    PlanOptions after_;
};

// ---- The model.

FrameListModel::FrameListModel(QObject* parent) : QAbstractListModel(parent) {}

BuildPlan FrameListModel::Plan(const std::string& output) const {
    BuildPlan plan;
    plan.output = output;
    plan.plays = options_.plays;
    plan.order = options_.order;
    plan.center = options_.center;
    plan.mode = OutputMode::kReplaceWhenDone;
    plan.entries.reserve(static_cast<size_t>(entries_.size()));
    for (const FrameEntry& entry : entries_) {
        PlanEntry planned;
        planned.path = entry.path.toStdString();
        planned.images = entry.choice;
        planned.delay = entry.delay;
        plan.entries.push_back(std::move(planned));
    }
    return plan;
}

void FrameListModel::MarkFailed(int row) {
    const int before = marked_row_;
    marked_row_ = row >= 0 && row < entries_.size() ? row : -1;
    for (int changed : {before, marked_row_})
        if (changed >= 0) emit dataChanged(index(changed), index(changed));
}

void FrameListModel::Append(const QList<QByteArray>& paths, int delay) {
    QVector<FrameEntry> added;
    for (const QByteArray& path : paths) {
        FrameEntry entry;
        entry.path = path;
        ImageDelays delays;
        const FileSummary summary = InspectFile(path.constData(), InspectDepth::kWholeFile, &delays);
        entry.problem = summary.message;
        if (!summary.message) {
            entry.images = summary.images;
            entry.own_duration = summary.duration;
            entry.first_delay = delays.delays.value(0);
            entry.own_delays = delays.delays;
        }
        if (entry.Animated()) {
            entry.choice = ImageChoice::kAll;
        } else {
            entry.delay.given = true;
            entry.delay.hundredths = static_cast<uint16_t>(std::clamp(delay, 0, kMostDelay));
        }
        added.append(entry);
    }
    if (added.isEmpty()) return;
    undo_stack_.push(new InsertEntriesCommand(this, entries_.size(), added, QString::fromUtf8(ZORVANE_QT_UNDO_ADD)));
}

void FrameListModel::Remove(QList<int> rows) {
    rows = CleanRows(rows, entries_.size());
    if (rows.isEmpty()) return;
    undo_stack_.push(new RemoveEntriesCommand(this, rows, QString::fromUtf8(ZORVANE_QT_UNDO_REMOVE)));
}

void FrameListModel::Clear() {
    if (entries_.isEmpty()) return;
    QList<int> rows(entries_.size());
    std::iota(rows.begin(), rows.end(), 0);
    undo_stack_.push(new RemoveEntriesCommand(this, rows, QString::fromUtf8(ZORVANE_QT_UNDO_CLEAR)));
}

void FrameListModel::RemoveUnusable() {
    const QList<int> rows = UnusableRows();
    if (rows.isEmpty()) return;
    undo_stack_.push(new RemoveEntriesCommand(this, rows, QString::fromUtf8(ZORVANE_QT_UNDO_REMOVE_UNUSABLE)));
}

QList<int> FrameListModel::UnusableRows() const {
    QList<int> rows;
    for (int row = 0; row < entries_.size(); ++row)
        if (entries_[row].problem) rows.append(row);
    return rows;
}

uint64_t FrameListModel::BrowserExtraTime() const {
    // The frames' delays in the order written forwards.
    QVector<uint16_t> delays;
    for (const FrameEntry& entry : entries_) {
        if (entry.choice == ImageChoice::kFirst || !entry.Animated())
            delays.append(entry.delay.given ? entry.delay.hundredths : entry.first_delay);
        else if (entry.delay.given)
            delays.append(QVector<uint16_t>(static_cast<int>(entry.images), entry.delay.hundredths));
        else
            delays.append(entry.own_delays);
    }
    uint64_t extra = 0;
    for (uint16_t delay : delays) extra += ExtraTime(delay);
    // Bouncing plays every frame but the two ends twice.
    if (options_.order == FrameOrder::kBounce)
        for (int i = 1; i + 1 < delays.size(); ++i) extra += ExtraTime(delays[i]);
    return extra;
}

void FrameListModel::Shift(QList<int> rows, int step) {
    rows = CleanRows(rows, entries_.size());
    if (rows.isEmpty() || (step < 0 && rows.first() == 0) || (step > 0 && rows.last() == entries_.size() - 1)) return;
    // Up: before the entry above the first; down: after the entry below the
    // last, which is before the one after that.
    MoveTo(rows, step < 0 ? rows.first() - 1 : rows.last() + 2);
}

void FrameListModel::MoveTo(QList<int> rows, int before) {
    rows = CleanRows(rows, entries_.size());
    if (rows.isEmpty() || before < 0 || before > entries_.size()) return;
    const QVector<int> order = OrderMovingBefore(rows, before, entries_.size());
    if (IsIdentity(order)) return;
    undo_stack_.push(new ReorderCommand(this, order, QString::fromUtf8(ZORVANE_QT_UNDO_MOVE)));
}

void FrameListModel::SortByName() {
    QVector<int> order(entries_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        return NaturalLess(DisplayNameOf(entries_[a].path).constData(), DisplayNameOf(entries_[b].path).constData());
    });
    if (IsIdentity(order)) return;
    undo_stack_.push(new ReorderCommand(this, order, QString::fromUtf8(ZORVANE_QT_UNDO_SORT)));
}

void FrameListModel::ChangeEntries(const QString& text, const QList<int>& rows, const QVector<FrameEntry>& changed) {
    QList<int> changed_rows;
    QVector<FrameEntry> after;
    for (int i = 0; i < rows.size(); ++i) {
        const FrameEntry& now = entries_[rows[i]];
        const FrameEntry& next = changed[i];
        if (now.choice == next.choice && now.delay.given == next.delay.given &&
            now.delay.hundredths == next.delay.hundredths)
            continue;
        changed_rows.append(rows[i]);
        after.append(next);
    }
    if (changed_rows.isEmpty()) return;
    undo_stack_.push(new ChangeEntriesCommand(this, changed_rows, after, text));
}

void FrameListModel::SetDelay(const QList<int>& rows, int delay) {
    const QList<int> clean = CleanRows(rows, entries_.size());
    QVector<FrameEntry> changed;
    for (int row : clean) {
        FrameEntry entry = entries_[row];
        entry.delay.given = true;
        entry.delay.hundredths = static_cast<uint16_t>(std::clamp(delay, 0, kMostDelay));
        changed.append(entry);
    }
    ChangeEntries(QString::fromUtf8(ZORVANE_QT_UNDO_DELAY), clean, changed);
}

void FrameListModel::SetAllDelays(int delay) {
    QList<int> rows(entries_.size());
    std::iota(rows.begin(), rows.end(), 0);
    SetDelay(rows, delay);
}

void FrameListModel::ScaleDelays(int percent) {
    QList<int> rows;
    QVector<FrameEntry> changed;
    for (int row = 0; row < entries_.size(); ++row) {
        FrameEntry entry = entries_[row];
        if (!entry.delay.given) continue;
        entry.delay.hundredths = ScaledDelay(entry.delay.hundredths, std::max(percent, 0));
        rows.append(row);
        changed.append(entry);
    }
    ChangeEntries(QString::fromUtf8(ZORVANE_QT_UNDO_SCALE), rows, changed);
}

void FrameListModel::KeepOwnDelays(const QList<int>& rows) {
    QList<int> animated;
    QVector<FrameEntry> changed;
    for (int row : CleanRows(rows, entries_.size())) {
        FrameEntry entry = entries_[row];
        if (!entry.Animated()) continue;
        entry.delay = DelayRule();
        animated.append(row);
        changed.append(entry);
    }
    ChangeEntries(QString::fromUtf8(ZORVANE_QT_UNDO_OWN_DELAYS), animated, changed);
}

void FrameListModel::SetFirstImageOnly(const QList<int>& rows, bool first_only) {
    QList<int> animated;
    QVector<FrameEntry> changed;
    for (int row : CleanRows(rows, entries_.size())) {
        FrameEntry entry = entries_[row];
        if (!entry.Animated()) continue;
        entry.choice = first_only ? ImageChoice::kFirst : ImageChoice::kAll;
        animated.append(row);
        changed.append(entry);
    }
    ChangeEntries(QString::fromUtf8(ZORVANE_QT_UNDO_IMAGES), animated, changed);
}

void FrameListModel::SetOptions(const PlanOptions& options) {
    if (options == options_) return;
    undo_stack_.push(new OptionsCommand(this, options));
}

// ---- Raw edits.

void FrameListModel::InsertRows(const QList<int>& ascending_rows, const QVector<FrameEntry>& entries) {
    marked_row_ = -1;
    // Each at its place in the list as it will be: in ascending order, runs
    // of neighbours at once.
    for (int i = 0; i < ascending_rows.size();) {
        int end = i + 1;
        while (end < ascending_rows.size() && ascending_rows[end] == ascending_rows[end - 1] + 1) ++end;
        const int first = ascending_rows[i];
        beginInsertRows(QModelIndex(), first, first + (end - i) - 1);
        for (int k = i; k < end; ++k) entries_.insert(first + (k - i), entries[k]);
        endInsertRows();
        i = end;
    }
    emit Changed();
}

void FrameListModel::RemoveRows(const QList<int>& ascending_rows) {
    marked_row_ = -1;
    for (int i = ascending_rows.size() - 1; i >= 0; --i) {
        // Runs of neighbours go at once.
        int first = ascending_rows[i];
        const int last = first;
        while (i > 0 && ascending_rows[i - 1] == first - 1) first = ascending_rows[--i];
        beginRemoveRows(QModelIndex(), first, last);
        entries_.remove(first, last - first + 1);
        endRemoveRows();
    }
    emit Changed();
}

void FrameListModel::Reorder(const QVector<int>& order) {
    marked_row_ = -1;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QVector<int> new_row(order.size());
    for (int i = 0; i < order.size(); ++i) new_row[order[i]] = i;
    const QModelIndexList persistent = persistentIndexList();
    QModelIndexList moved;
    for (const QModelIndex& old : persistent) moved.append(index(new_row.value(old.row(), old.row())));
    changePersistentIndexList(persistent, moved);
    QVector<FrameEntry> reordered;
    reordered.reserve(order.size());
    for (int row : order) reordered.append(entries_[row]);
    entries_ = reordered;
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    emit Changed();
}

void FrameListModel::ReplaceEntries(const QList<int>& rows, const QVector<FrameEntry>& entries) {
    marked_row_ = -1;
    for (int i = 0; i < rows.size(); ++i) {
        entries_[rows[i]] = entries[i];
        emit dataChanged(index(rows[i]), index(rows[i]));
    }
    emit Changed();
}

void FrameListModel::ReplaceOptions(const PlanOptions& options) {
    marked_row_ = -1;
    options_ = options;
    emit OptionsChanged();
    emit Changed();
}

// ---- What the views show.

QString FrameListModel::EntryText(const FrameEntry& entry) const {
    auto part = [](const char* text, const QString& value) { return QString::fromUtf8(text).arg(value); };
    QStringList parts;
    parts.append(QFile::decodeName(DisplayNameOf(entry.path)));
    const QString images = QString::number(entry.images);
    const QString delay = QString::number(entry.delay.hundredths);
    // The one delay its frames show, when there is one.
    int shown_delay = entry.delay.given ? entry.delay.hundredths : -1;
    if (entry.Animated()) {
        const bool first = entry.choice == ImageChoice::kFirst;
        parts.append(part(first ? ZORVANE_QT_ENTRY_FIRST_OF : ZORVANE_QT_ENTRY_IMAGES, images));
        if (entry.KeepsOwnDelays() && first) {
            shown_delay = entry.first_delay;
            parts.append(part(ZORVANE_QT_ENTRY_OWN_DELAY, QString::number(entry.first_delay)));
        } else if (entry.KeepsOwnDelays()) {
            parts.append(part(ZORVANE_QT_ENTRY_OWN_DELAYS, DurationText(entry.own_duration)));
        } else {
            parts.append(part(first ? ZORVANE_QT_ENTRY_DELAY : ZORVANE_QT_ENTRY_DELAY_EACH, delay));
        }
    } else {
        parts.append(part(ZORVANE_QT_ENTRY_DELAY, delay));
    }
    if (shown_delay == 0 || shown_delay == 1) parts.append(QString::fromUtf8(ZORVANE_QT_ENTRY_PLAYS_AS_10));
    return parts.join(QString::fromUtf8(ZORVANE_QT_ENTRY_SEPARATOR));
}

int FrameListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : entries_.size(); }

QVariant FrameListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= entries_.size()) return QVariant();
    const FrameEntry& entry = entries_[index.row()];
    const bool marked = index.row() == marked_row_;
    switch (role) {
        case Qt::DisplayRole:
            return EntryText(entry);
        case Qt::ToolTipRole:
            // The whole text, however the list cuts it, and the reason a
            // file cannot be used.
            return EntryText(entry) + QLatin1Char('\n') + QFile::decodeName(entry.path) +
                   (entry.problem ? QLatin1Char('\n') + QString::fromUtf8(ZORVANE_WEB_UNUSABLE " ") +
                                        QFile::decodeName(QByteArray(entry.problem))
                                  : QString());
        case Qt::DecorationRole:
            if (marked || entry.problem) return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
            return QVariant();
        case Qt::ForegroundRole:
            if (marked) return QBrush(QColor(Qt::red));
            return QVariant();
        case kFramePathRole:
            return entry.path;
        case kFrameNameRole:
            return QFile::decodeName(DisplayNameOf(entry.path));
        default:
            return QVariant();
    }
}

Qt::ItemFlags FrameListModel::flags(const QModelIndex& index) const {
    // Entries are dropped between entries, never on one.
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

Qt::DropActions FrameListModel::supportedDragActions() const { return Qt::MoveAction; }

Qt::DropActions FrameListModel::supportedDropActions() const { return Qt::MoveAction; }

QStringList FrameListModel::mimeTypes() const { return {QString::fromLatin1(kRowsMimeType)}; }

QMimeData* FrameListModel::mimeData(const QModelIndexList& indexes) const {
    QByteArray rows;
    QDataStream stream(&rows, QIODevice::WriteOnly);
    for (const QModelIndex& index : indexes) stream << index.row();
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kRowsMimeType), rows);
    return data;
}
