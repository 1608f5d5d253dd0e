#include "qt/main_window.h"

#include <unistd.h>

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QList>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QThread>
#include <QUndoStack>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>
#include <memory>

#include "gif/delay_text.h"
#include "gif/file_summary.h"
#include "platform/regular_file.h"
#include "qt/frame_list_view.h"
#include "qt/info_panel.h"
#include "qt/options_panel.h"
#include "qt/user_prompts.h"
#include "qt/widgets.h"
#include "res/ui_texts.h"

namespace {

const char* const kProgramIconFiles[] = {":/icons/zorvane-16.png", ":/icons/zorvane-32.png", ":/icons/zorvane-48.png",
                                         ":/icons/zorvane-128.png"};
const char kHelpIconFile[] = ":/icons/help-32.png";
constexpr int kButtonIconSize = 32;

// What is remembered between runs.
const char kAddFolderKey[] = "folders/add";
const char kSaveFolderKey[] = "folders/save";
const char kGeometryKey[] = "window/geometry";

const char kEndOfOptions[] = "--";
const char kPreviewFolderTemplate[] = "zorvane-preview-XXXXXX";
const char kPreviewFile[] = "preview.gif";

const QColor kOverLimitColour(Qt::red);

bool HoldsLocalFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return false;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) return true;
    }
    return false;
}

// `folder` when it still exists, else empty (the dialog's own choice).
QString ExistingFolder(const QString& folder) {
    return !folder.isEmpty() && QDir(folder).exists() ? folder : QString();
}

// Texts from the core are 8-bit in the file system's encoding.
QString FromCore(const char* text) { return QFile::decodeName(QByteArray(text)); }

QString ByteCount(uint64_t bytes) { return QLocale(QLocale::English).toString(static_cast<qulonglong>(bytes)); }

// The suffix of a name suggested from the first entry's: "walk-animated.gif".
const char kSuggestedSuffix[] = "-animated.gif";

// A status line that never widens the window: its text is cut at the end to
// the room it has, the whole of it in the tooltip.
class StatusText final : public QLabel {
public:
    explicit StatusText(QWidget* parent) : QLabel(parent) {
        setTextFormat(Qt::PlainText);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

    QSize minimumSizeHint() const override { return QSize(0, QLabel::minimumSizeHint().height()); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect room = contentsRect();
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideRight, room.width()));
    }
};

}  // namespace

QString HelpPagePath(const QString& program_folder) {
    const QDir folder(program_folder);
    const QString installed =
        QDir::cleanPath(folder.filePath(QStringLiteral(ZORVANE_HELP_DIR_FROM_PROGRAM "/" ZORVANE_HELP_PAGE_FILE)));
    const QString beside = folder.filePath(QStringLiteral(ZORVANE_HELP_PAGE_FILE));
    return !QFileInfo(installed).isFile() && QFileInfo(beside).isFile() ? beside : installed;
}

QList<QByteArray> FramePathsFromArguments(int argc, const char* const* argv, const QByteArray& current_folder) {
    QList<QByteArray> paths;
    int first = 1;
    if (first < argc && QByteArray(argv[first]) == kEndOfOptions) ++first;
    for (int i = first; i < argc; ++i) {
        const QByteArray path(argv[i]);
        if (path.isEmpty()) continue;
        paths.append(path.startsWith('/') ? path : current_folder + '/' + path);
    }
    return paths;
}

QIcon ProgramIcon() {
    // The icons are linked from a static library: register them before use.
    Q_INIT_RESOURCE(zorvane);
    QIcon icon;
    for (const char* file : kProgramIconFiles) icon.addFile(QString::fromLatin1(file));
    return icon;
}

MainWindow::MainWindow(UserPrompts& prompts, const QString& help_path, QSettings& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), prompts_(prompts), help_path_(help_path), settings_(settings) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral(ZORVANE_WINDOW_TITLE));
    setWindowIcon(ProgramIcon());

    auto* columns = new QHBoxLayout;
    columns->addWidget(CreateFramesGroup(), 3);
    auto* right = new QVBoxLayout;
    info_ = new InfoPanel(this);
    right->addWidget(info_);
    options_ = new OptionsPanel(this);
    right->addWidget(options_);
    right->addStretch(1);
    columns->addLayout(right, 2);

    status_line_ = new QStatusBar(this);
    status_line_->setObjectName(QStringLiteral("statusLine"));
    plan_summary_ = new StatusText(status_line_);
    plan_summary_->setObjectName(QStringLiteral("planSummary"));
    plan_summary_->setText(QString::fromUtf8(ZORVANE_QT_STATUS_EMPTY));
    status_line_->addPermanentWidget(plan_summary_, 1);

    auto* window_layout = new QVBoxLayout(this);
    window_layout->addLayout(columns, 1);
    window_layout->addLayout(CreateButtonRow());
    window_layout->addWidget(status_line_);

    CreateActions();
    SetTabOrder();
    // No default button: Enter clicks the focused push button, as in a
    // dialog, and otherwise does nothing.
    for (QPushButton* push_button : findChildren<QPushButton*>()) {
        push_button->setAutoDefault(true);
        push_button->setDefault(false);
    }
    // Drops of files anywhere on the window reach the window itself; the
    // list takes its own entries' drags, and hands files on (eventFilter).
    for (QWidget* child : findChildren<QWidget*>()) child->setAcceptDrops(false);
    list_->setAcceptDrops(true);
    list_->viewport()->setAcceptDrops(true);
    setAcceptDrops(true);

    connect(&frames_, &FrameListModel::Changed, this, &MainWindow::ListChanged);
    connect(&frames_, &FrameListModel::OptionsChanged, this, [this] { options_->ShowOptions(frames_.Options()); });
    connect(options_, &OptionsPanel::OptionsEdited, &frames_, &FrameListModel::SetOptions);
    connect(options_, &OptionsPanel::SetSelectedDelay, this,
            [this](int delay) { frames_.SetDelay(SelectedRows(), delay); });
    connect(options_, &OptionsPanel::SetAllDelays, &frames_, &FrameListModel::SetAllDelays);
    connect(options_, &OptionsPanel::ScaleDelays, &frames_, &FrameListModel::ScaleDelays);
    connect(options_, &OptionsPanel::OutputChoiceChanged, this, &MainWindow::ShowSummary);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MainWindow::SelectionChanged);

    resize(sizeHint());
    RestoreSettings();
    ListChanged();
    list_->setFocus(Qt::OtherFocusReason);
}

QGroupBox* MainWindow::CreateFramesGroup() {
    auto* group = new QGroupBox(QString::fromLatin1(ZORVANE_TEXT_FRAMES_GROUP), this);
    group->setObjectName(QStringLiteral("framesGroup"));

    list_ = new FrameListView(&frames_, this);
    list_->setObjectName(QStringLiteral("frameList"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setUniformItemSizes(true);
    // Cut at the end, the whole text in the entry's tooltip.
    list_->setTextElideMode(Qt::ElideRight);
    // Entries are dragged within the list to reorder them.
    list_->setDragDropMode(QAbstractItemView::InternalMove);
    list_->setDefaultDropAction(Qt::MoveAction);
    list_->setDropIndicatorShown(true);
    list_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_FRAME_LIST));
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QListView::customContextMenuRequested, this, &MainWindow::ShowContextMenu);
    connect(list_, &QListView::clicked, this, [this] {
        if (press_on_selected_) InspectSelectedFrame(true);
    });
    list_->viewport()->installEventFilter(this);

    remove_frame_ = Button(QStringLiteral(ZORVANE_TEXT_REMOVE_FRAME), "removeFrame", ZORVANE_QT_TIP_REMOVE_FRAME, this);
    connect(remove_frame_, &QPushButton::clicked, this, &MainWindow::RemoveSelectedFrames);
    clear_all_ = Button(QStringLiteral(ZORVANE_TEXT_CLEAR_ALL), "clearAll", ZORVANE_QT_TIP_CLEAR_ALL, this);
    connect(clear_all_, &QPushButton::clicked, this, &MainWindow::ClearAllFrames);
    add_frames_ = Button(QString::fromUtf8(ZORVANE_QT_TEXT_ADD_FRAMES), "addFrames", ZORVANE_QT_TIP_ADD_FRAMES, this);
    connect(add_frames_, &QPushButton::clicked, this, &MainWindow::AddFramesFromDialog);
    sort_by_name_ =
        Button(QString::fromUtf8(ZORVANE_QT_TEXT_SORT_BY_NAME), "sortByName", ZORVANE_QT_TIP_SORT_BY_NAME, this);
    connect(sort_by_name_, &QPushButton::clicked, &frames_, &FrameListModel::SortByName);
    undo_ = Button(QString::fromUtf8(ZORVANE_QT_TEXT_UNDO), "undo", ZORVANE_QT_TIP_UNDO, this);
    connect(undo_, &QPushButton::clicked, frames_.UndoStack(), &QUndoStack::undo);
    connect(frames_.UndoStack(), &QUndoStack::canUndoChanged, undo_, &QPushButton::setEnabled);
    redo_ = Button(QString::fromUtf8(ZORVANE_QT_TEXT_REDO), "redo", ZORVANE_QT_TIP_REDO, this);
    connect(redo_, &QPushButton::clicked, frames_.UndoStack(), &QUndoStack::redo);
    connect(frames_.UndoStack(), &QUndoStack::canRedoChanged, redo_, &QPushButton::setEnabled);
    undo_->setEnabled(false);
    redo_->setEnabled(false);
    remove_unusable_ = Button(QString::fromUtf8(ZORVANE_QT_TEXT_REMOVE_UNUSABLE), "removeUnusable",
                              ZORVANE_QT_TIP_REMOVE_UNUSABLE, this);
    connect(remove_unusable_, &QPushButton::clicked, this, &MainWindow::RemoveUnusableFrames);

    auto* buttons = new QGridLayout;
    buttons->addWidget(remove_frame_, 0, 0);
    buttons->addWidget(clear_all_, 0, 1);
    buttons->addWidget(add_frames_, 0, 2);
    buttons->addWidget(sort_by_name_, 1, 0);
    buttons->addWidget(undo_, 1, 1);
    buttons->addWidget(redo_, 1, 2);
    buttons->addWidget(remove_unusable_, 2, 0, 1, 3);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    return group;
}

QLayout* MainWindow::CreateButtonRow() {
    make_gif_ = Button(QStringLiteral(ZORVANE_TEXT_MAKE_GIF), "makeGif", ZORVANE_QT_TIP_MAKE_GIF, this);
    connect(make_gif_, &QPushButton::clicked, this, &MainWindow::MakeAnimation);
    preview_ = Button(QString::fromUtf8(ZORVANE_QT_TEXT_PREVIEW), "preview", ZORVANE_QT_TIP_PREVIEW, this);
    connect(preview_, &QPushButton::clicked, this, &MainWindow::PreviewAnimation);
    QLabel* notice = TextLabel(QStringLiteral(ZORVANE_TEXT_NOTICE), "notice", this);
    notice->setAlignment(Qt::AlignCenter);
    web_ = Button(QString(), "web", ZORVANE_QT_TIP_WEB, this);
    web_->setIcon(ProgramIcon());
    connect(web_, &QPushButton::clicked, this, &MainWindow::OpenHomePage);
    help_ = Button(QString(), "help", ZORVANE_QT_TIP_HELP, this);
    help_->setIcon(QIcon(QString::fromLatin1(kHelpIconFile)));
    connect(help_, &QPushButton::clicked, this, &MainWindow::OpenHelp);
    // The icon buttons' names, for screen readers.
    web_->setAccessibleName(QStringLiteral(ZORVANE_TEXT_WEB));
    help_->setAccessibleName(QStringLiteral(ZORVANE_TEXT_HELP));
    for (QPushButton* icon_button : {web_, help_}) icon_button->setIconSize(QSize(kButtonIconSize, kButtonIconSize));

    auto* row = new QHBoxLayout;
    row->addWidget(make_gif_);
    row->addWidget(preview_);
    row->addWidget(notice, 1);
    row->addWidget(web_);
    row->addWidget(help_);
    return row;
}

void MainWindow::CreateActions() {
    // Keys of the list: they act when it has the focus.
    auto on_list = [this](const QKeySequence& keys, auto action) {
        auto* shortcut = new QShortcut(keys, list_);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    on_list(QKeySequence(Qt::ALT | Qt::Key_Up), [this] { frames_.Shift(SelectedRows(), -1); });
    on_list(QKeySequence(Qt::ALT | Qt::Key_Down), [this] { frames_.Shift(SelectedRows(), 1); });
    on_list(QKeySequence(Qt::Key_Delete), [this] { RemoveSelectedFrames(); });

    first_image_only_ = new QAction(QString::fromUtf8(ZORVANE_QT_TEXT_FIRST_IMAGE_ONLY), this);
    first_image_only_->setObjectName(QStringLiteral("firstImageOnly"));
    first_image_only_->setCheckable(true);
    first_image_only_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    first_image_only_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(first_image_only_, &QAction::triggered, this,
            [this](bool checked) { frames_.SetFirstImageOnly(SelectedRows(), checked); });
    own_delays_ = new QAction(QString::fromUtf8(ZORVANE_QT_TEXT_OWN_DELAYS), this);
    own_delays_->setObjectName(QStringLiteral("ownDelays"));
    own_delays_->setCheckable(true);
    own_delays_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_2));
    own_delays_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(own_delays_, &QAction::triggered, this, [this](bool checked) {
        if (checked)
            frames_.KeepOwnDelays(SelectedRows());
        else
            frames_.SetDelay(SelectedRows(), options_->Delay());
    });
    set_delay_action_ = new QAction(QString::fromUtf8(ZORVANE_QT_TEXT_SET_DELAY_MENU), this);
    connect(set_delay_action_, &QAction::triggered, options_, &OptionsPanel::SetSelected);
    list_->addActions({first_image_only_, own_delays_});

    // Undo and redo anywhere in the window, except where a text field takes
    // the keys for its own text.
    undo_action_ = frames_.UndoStack()->createUndoAction(this);
    undo_action_->setShortcut(QKeySequence::Undo);
    redo_action_ = frames_.UndoStack()->createRedoAction(this);
    QList<QKeySequence> redo_keys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)})
        if (!redo_keys.contains(keys)) redo_keys.append(keys);
    redo_action_->setShortcuts(redo_keys);
    addActions({undo_action_, redo_action_});
    connect(frames_.UndoStack(), &QUndoStack::undoTextChanged, this, [this](const QString& text) {
        undo_->setToolTip(text.isEmpty() ? QString::fromUtf8(ZORVANE_QT_TIP_UNDO)
                                         : undo_action_->text() + QStringLiteral(" (Ctrl+Z)"));
    });
    connect(frames_.UndoStack(), &QUndoStack::redoTextChanged, this, [this](const QString& text) {
        redo_->setToolTip(text.isEmpty() ? QString::fromUtf8(ZORVANE_QT_TIP_REDO)
                                         : redo_action_->text() + QStringLiteral(" (Ctrl+Shift+Z)"));
    });

    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this, &MainWindow::AddFramesFromDialog);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, [this] {
        if (make_gif_->isEnabled()) MakeAnimation();
    });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, &MainWindow::OpenHelp);
}

void MainWindow::SetTabOrder() {
    // The controls the window has always had keep their order: the frame
    // list, Remove Frame, Clear All, Add Frames, the delay, Make Animated GIF,
    // Preview, web, loop and help. The newer ones follow their neighbours.
    QList<QWidget*> tab_order = {list_,         remove_frame_, clear_all_, add_frames_,
                                 sort_by_name_, undo_,         redo_,      remove_unusable_};
    tab_order += options_->DelayControls();
    tab_order += {make_gif_, preview_, web_};
    tab_order += options_->AnimationControls();
    tab_order += help_;
    for (int i = 0; i + 1 < tab_order.size(); ++i) setTabOrder(tab_order[i], tab_order[i + 1]);
    // The status line has nothing to focus.
    status_line_->setFocusPolicy(Qt::NoFocus);
}

void MainWindow::RestoreSettings() {
    options_->Restore(settings_);
    restored_geometry_ = restoreGeometry(settings_.value(QLatin1String(kGeometryKey)).toByteArray());
}

void MainWindow::SaveSettings() {
    options_->Save(settings_);
    settings_.setValue(QLatin1String(kGeometryKey), saveGeometry());
    settings_.sync();
}

void MainWindow::AddFramePaths(const QList<QByteArray>& paths) { frames_.Append(paths, options_->NewFrameDelay()); }

void MainWindow::AddFramesFromDialog() {
    const QStringList chosen =
        prompts_.AskOpenPaths(this, ExistingFolder(settings_.value(QLatin1String(kAddFolderKey)).toString()));
    if (chosen.isEmpty()) return;
    settings_.setValue(QLatin1String(kAddFolderKey), QFileInfo(chosen.first()).absolutePath());
    QList<QByteArray> paths;
    for (const QString& path : chosen) paths.append(QFile::encodeName(path));
    // The dialog gives its files in the order they were clicked, or its own:
    // they come in the order of their names.
    SortPathsNaturally(&paths);
    AddFramePaths(paths);
}

void MainWindow::AddFrames(const QList<QUrl>& urls) {
    QList<QByteArray> paths;
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) paths.append(QFile::encodeName(url.toLocalFile()));
    }
    AddFramePaths(paths);
}

QList<int> MainWindow::SelectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedIndexes()) rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void MainWindow::RemoveSelectedFrames() {
    const QList<int> rows = SelectedRows();
    if (rows.isEmpty()) return;
    // Qt would move the selection to a neighbour of the removed entries; the
    // list is left with no selection instead, and nothing is inspected.
    list_->selectionModel()->clear();
    frames_.Remove(rows);
}

void MainWindow::RemoveUnusableFrames() {
    list_->selectionModel()->clear();
    frames_.RemoveUnusable();
}

void MainWindow::ClearAllFrames() {
    list_->selectionModel()->clear();
    frames_.Clear();
}

void MainWindow::ListChanged() {
    const bool any = frames_.Count() > 0;
    make_gif_->setEnabled(any);
    preview_->setEnabled(any);
    clear_all_->setEnabled(any);
    sort_by_name_->setEnabled(frames_.Count() > 1);
    remove_unusable_->setEnabled(!frames_.UnusableRows().isEmpty());
    ShowSummary();
    SelectionChanged();
}

void MainWindow::SelectionChanged() {
    const QList<int> rows = SelectedRows();
    bool animated = false, all_first = true, all_own = true;
    for (int row : rows) {
        const FrameEntry& entry = frames_.Entry(row);
        if (!entry.Animated()) continue;
        animated = true;
        all_first = all_first && entry.choice == ImageChoice::kFirst;
        all_own = all_own && entry.KeepsOwnDelays();
    }
    remove_frame_->setEnabled(!rows.isEmpty());
    options_->SetSelectionPresent(!rows.isEmpty());
    set_delay_action_->setEnabled(!rows.isEmpty());
    first_image_only_->setEnabled(animated);
    first_image_only_->setChecked(animated && all_first);
    own_delays_->setEnabled(animated);
    own_delays_->setChecked(animated && all_own);
    InspectSelectedFrame(false);
}

BuildPlan MainWindow::CurrentPlan(const std::string& output) const {
    BuildPlan plan = frames_.Plan(output);
    if (options_->Smallest()) plan.encoding = FrameEncoding::kSmallest;
    if (options_->FitLimit()) plan.max_bytes = options_->SizeLimit();
    return plan;
}

BuildResult MainWindow::MeasureRecords() const {
    BuildPlan plan = CurrentPlan(std::string());
    plan.encoding = FrameEncoding::kCopy;
    plan.max_bytes = kNoSizeLimit;
    return MeasurePlan(plan);
}

void MainWindow::ShowStatus(const QString& text, bool alarming, const QString& tip) {
    // Whatever was being measured is no longer wanted.
    ++shown_generation_;
    has_pending_ = false;
    QPalette palette = plan_summary_->palette();
    palette.setColor(QPalette::WindowText, alarming ? kOverLimitColour : this->palette().color(QPalette::WindowText));
    plan_summary_->setPalette(palette);
    plan_summary_->setText(text);
    plan_summary_->setToolTip(tip.isEmpty() ? text : text + QLatin1Char('\n') + tip);
}

void MainWindow::ShowSummary() {
    if (frames_.Count() == 0) {
        ShowStatus(QString::fromUtf8(ZORVANE_QT_STATUS_EMPTY), false, QString());
        return;
    }
    // The files' records alone tell the frames, the duration, the screen and
    // any refusal at once; the size of frames written again takes the
    // optimiser, which runs away from the window.
    const BuildResult records = MeasureRecords();
    const BuildPlan plan = CurrentPlan(std::string());
    if (!records.ok || (plan.encoding == FrameEncoding::kCopy && plan.max_bytes == kNoSizeLimit)) {
        ShowMeasured(records);
        return;
    }
    const PlanSummary& summary = records.summary;
    ShowStatus(QString::fromUtf8(ZORVANE_QT_STATUS_MEASURING)
                   .arg(QString::fromStdString(FormatFrameCount(summary.frames, summary.clearing_frames)),
                        DurationText(summary.duration + frames_.BrowserExtraTime()), QString::number(summary.width),
                        QString::number(summary.height)),
               false, QString::fromUtf8(ZORVANE_QT_TIP_DURATION).arg(DurationText(summary.duration)));
    pending_plan_ = plan;
    has_pending_ = true;
    if (!measurer_) MeasureInTheBackground();
}

void MainWindow::MeasureInTheBackground() {
    has_pending_ = false;
    const unsigned generation = shown_generation_;
    auto result = std::make_shared<BuildResult>();
    measurer_ = QThread::create([plan = pending_plan_, result] { *result = MeasurePlan(plan); });
    connect(measurer_, &QThread::finished, this, [this, result, generation] {
        measurer_->deleteLater();
        measurer_ = nullptr;
        // A newer edit waits: its measurement supersedes this one.
        if (has_pending_)
            MeasureInTheBackground();
        else if (generation == shown_generation_)
            ShowMeasured(*result);
    });
    measurer_->start(QThread::LowPriority);
}

bool MainWindow::Measuring() const { return measurer_ != nullptr || has_pending_; }

void MainWindow::ShowMeasured(const BuildResult& result) {
    const int unusable = frames_.UnusableRows().size();
    if (!result.ok) {
        QString text = FailureText(result);
        if (unusable == 1)
            text.prepend(QString::fromUtf8(ZORVANE_QT_STATUS_ONE_UNUSABLE));
        else if (unusable > 1)
            text.prepend(QString::fromUtf8(ZORVANE_QT_STATUS_UNUSABLE).arg(unusable));
        ShowStatus(text, true, QString());
        if (result.entry != kNoEntry) frames_.MarkFailed(static_cast<int>(result.entry));
        return;
    }
    const PlanSummary& summary = result.summary;
    QString text = QString::fromUtf8(ZORVANE_QT_STATUS_SUMMARY)
                       .arg(QString::fromStdString(FormatFrameCount(summary.frames, summary.clearing_frames)),
                            DurationText(summary.duration + frames_.BrowserExtraTime()), QString::number(summary.width),
                            QString::number(summary.height), ByteCount(summary.bytes));
    const uint64_t limit = options_->SizeLimit();
    const bool over = limit > 0 && summary.bytes > limit;
    if (over) text += QString::fromUtf8(ZORVANE_QT_STATUS_OVER_LIMIT).arg(options_->SizeLimitText());
    ShowStatus(text, over, QString::fromUtf8(ZORVANE_QT_TIP_DURATION).arg(DurationText(summary.duration)));
}

void MainWindow::ClearInfoPanel() {
    shown_ = QPersistentModelIndex();
    info_->Clear();
}

void MainWindow::InspectSelectedFrame(bool again) {
    const QList<int> rows = SelectedRows();
    if (rows.isEmpty()) {
        ClearInfoPanel();
        return;
    }
    const QModelIndex current = list_->currentIndex();
    const int row = current.isValid() && rows.contains(current.row()) ? current.row() : rows.first();
    // The same entry still shown: looked at again only when clicked again
    // (its file may have changed meanwhile).
    if (shown_.isValid() && shown_.row() == row && !again) return;
    shown_ = frames_.index(row);
    const FrameEntry& entry = frames_.Entry(row);
    // A file that cannot be used says why in the panel.
    info_->ShowEntry(entry);
}

void MainWindow::ShowContextMenu(const QPoint& at) {
    QMenu menu(this);
    menu.addAction(first_image_only_);
    menu.addAction(own_delays_);
    menu.addAction(set_delay_action_);
    menu.addSeparator();
    QAction* remove =
        menu.addAction(QStringLiteral(ZORVANE_TEXT_REMOVE_FRAME), this, &MainWindow::RemoveSelectedFrames);
    remove->setShortcut(QKeySequence(Qt::Key_Delete));
    remove->setEnabled(remove_frame_->isEnabled());
    menu.addAction(QString::fromUtf8(ZORVANE_QT_TEXT_SORT_BY_NAME), &frames_, &FrameListModel::SortByName)
        ->setEnabled(sort_by_name_->isEnabled());
    menu.addAction(QString::fromUtf8(ZORVANE_QT_TEXT_REMOVE_UNUSABLE), this, &MainWindow::RemoveUnusableFrames)
        ->setEnabled(remove_unusable_->isEnabled());
    menu.addSeparator();
    menu.addAction(undo_action_);
    menu.addAction(redo_action_);
    menu.exec(list_->viewport()->mapToGlobal(at));
}

QString MainWindow::FailureText(const BuildResult& result) const {
    const QString message = FromCore(result.message ? result.message : "");
    if (result.entry == kNoEntry || result.entry >= static_cast<size_t>(frames_.Count())) return message;
    const int row = static_cast<int>(result.entry);
    return QString::fromUtf8(ZORVANE_QT_MSG_ENTRY_FAILED)
        .arg(frames_.data(frames_.index(row), kFrameNameRole).toString(), QString::number(row + 1),
             QString::number(frames_.Count()), message);
}

void MainWindow::ShowFailure(const BuildResult& result) {
    const QString text = FailureText(result);
    if (result.entry != kNoEntry && result.entry < static_cast<size_t>(frames_.Count())) {
        const QModelIndex index = frames_.index(static_cast<int>(result.entry));
        list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        list_->scrollTo(index);
        frames_.MarkFailed(index.row());
    }
    ShowStatus(text, true, QString());
    prompts_.ShowMessage(this, QStringLiteral(ZORVANE_ERROR_CAPTION), text, result.icon);
}

bool MainWindow::CheckPlan() {
    const BuildResult result = MeasureRecords();
    if (!result.ok) ShowFailure(result);
    return result.ok;
}

QString MainWindow::SuggestedName() const {
    if (!last_saved_name_.isEmpty()) return last_saved_name_;
    if (frames_.Count() == 0) return QString();
    return QFileInfo(QFile::decodeName(DisplayNameOf(frames_.Entry(0).path))).completeBaseName() +
           QLatin1String(kSuggestedSuffix);
}

void MainWindow::MakeAnimation() {
    // A plan the core refuses is shown before a name is asked for.
    if (!CheckPlan()) return;
    const QString output = prompts_.AskSavePath(
        this, ExistingFolder(settings_.value(QLatin1String(kSaveFolderKey)).toString()), SuggestedName());
    if (output.isEmpty()) return;
    settings_.setValue(QLatin1String(kSaveFolderKey), QFileInfo(output).absolutePath());
    last_saved_name_ = QFileInfo(output).fileName();
    // Written beside the chosen file and put in its place only when done: a
    // failed build leaves a file that was there as it was.
    const BuildResult result = BuildAnimation(CurrentPlan(QFile::encodeName(output).toStdString()));
    if (!result.ok) {
        ShowFailure(result);
        return;
    }
    ShowStatus(QString::fromUtf8(ZORVANE_QT_STATUS_SAVED)
                   .arg(QDir::toNativeSeparators(output), ByteCount(result.summary.bytes)),
               false, QString());
}

void MainWindow::PreviewAnimation() {
    if (!CheckPlan()) return;
    // Private to the user (mode 0700), and removed with all it holds when
    // the preview ends.
    QTemporaryDir folder(QDir(QDir::tempPath()).filePath(QLatin1String(kPreviewFolderTemplate)));
    if (!folder.isValid()) {
        prompts_.ShowMessage(this, QStringLiteral(ZORVANE_ERROR_CAPTION),
                             QString::fromUtf8(ZORVANE_QT_MSG_PREVIEW_FOLDER), MessageIcon::kWarning);
        return;
    }
    const QString path = folder.filePath(QLatin1String(kPreviewFile));
    const BuildResult result = BuildAnimation(CurrentPlan(QFile::encodeName(path).toStdString()));
    if (!result.ok) {
        ShowFailure(result);
        return;
    }
    prompts_.ShowPreview(this, path);
}

void MainWindow::OpenHomePage() {
    if (!prompts_.OpenExternal(QUrl(QStringLiteral(ZORVANE_HOME_PAGE)))) {
        prompts_.ShowMessage(this, QStringLiteral(ZORVANE_ERROR_CAPTION), QStringLiteral(ZORVANE_MSG_WEB_FAILED),
                             MessageIcon::kWarning);
    }
}

void MainWindow::OpenHelp() {
    const QFileInfo page(help_path_);
    if (!page.isFile() || !prompts_.OpenExternal(QUrl::fromLocalFile(help_path_))) {
        const QString folder = QDir::toNativeSeparators(page.absolutePath());
        prompts_.ShowMessage(this, QStringLiteral(ZORVANE_ERROR_CAPTION),
                             QStringLiteral(ZORVANE_MSG_HELP_PAGE_MISSING).arg(folder), MessageIcon::kWarning);
    }
}

bool MainWindow::TakeFileDrag(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
    auto* drag = static_cast<QDropEvent*>(event);
    if (!HoldsLocalFile(drag->mimeData())) return false;
    if (type == QEvent::Drop) AddFrames(drag->mimeData()->urls());
    drag->acceptProposedAction();
    return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) { TakeFileDrag(event); }

void MainWindow::dragMoveEvent(QDragMoveEvent* event) { TakeFileDrag(event); }

void MainWindow::dropEvent(QDropEvent* event) { TakeFileDrag(event); }

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Files dragged onto the list are added as anywhere else on the window.
    if (watched == list_->viewport() && TakeFileDrag(event)) return true;
    // Noted before the list acts on the press. (The release that ends a
    // double click reports no click.)
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonPress) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        const QModelIndex entry = list_->indexAt(at);
        press_on_selected_ = entry.isValid() && list_->selectionModel()->isSelected(entry);
    }
    return QWidget::eventFilter(watched, event);
}

MainWindow::~MainWindow() {
    has_pending_ = false;
    if (measurer_) {
        measurer_->wait();
        delete measurer_;
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    SaveSettings();
    setAcceptDrops(false);
    list_->viewport()->setAcceptDrops(false);
    ClearAllFrames();
    event->accept();
}
