#include "qt/main_window.h"

#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QList>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "gif/file_summary.h"
#include "platform/regular_file.h"
#include "qt/delay_spin_box.h"
#include "qt/user_prompts.h"
#include "res/ui_texts.h"

namespace {

const char* const kProgramIconFiles[] = {":/icons/zorvane-16.png", ":/icons/zorvane-32.png", ":/icons/zorvane-48.png",
                                         ":/icons/zorvane-128.png"};
const char kHelpIconFile[] = ":/icons/help-32.png";
constexpr int kButtonIconSize = 32;

// What is remembered between runs.
const char kAddFolderKey[] = "folders/add";
const char kSaveFolderKey[] = "folders/save";
const char kDelayKey[] = "build/delay";
const char kLoopKey[] = "build/loop";  // before plays were counted: false for once
const char kPlaysKey[] = "build/plays";
const char kCenterKey[] = "build/center";
const char kLimitKey[] = "build/sizeLimit";
const char kCustomLimitKey[] = "build/customLimitMB";
const char kGeometryKey[] = "window/geometry";

const char kGifFormat[] = "gif";
const char kEndOfOptions[] = "--";
const char kPreviewFolderTemplate[] = "zorvane-preview-XXXXXX";
const char kPreviewFile[] = "preview.gif";

// The size limits offered, in megabytes of 1,000,000 bytes; the last entry
// of the list is the custom one.
const int kOfferedLimits[] = {2, 5, 10};
constexpr uint64_t kBytesPerMegabyte = 1000000;
constexpr double kLeastCustomLimit = 0.001;
constexpr int kCustomLimitDecimals = 3;
constexpr double kMostCustomLimit = 100000;
constexpr double kDefaultCustomLimit = 8;

constexpr int kLeastScale = 1;
constexpr int kMostScale = 1000;
constexpr int kNoScale = 100;

// The frame list shows this many entries, of this many average characters,
// when the window opens at its natural size.
constexpr int kListRows = 14;
constexpr int kListColumns = 44;
// The picture of the selected frame is at least this many text lines high.
constexpr int kPictureLines = 5;

const QColor kOverLimitColour(Qt::red);

bool HoldsLocalFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return false;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) return true;
    }
    return false;
}

// The frame list. The list takes the first entry as its current one when it
// gains the focus, without selecting it; a key that moves to the current entry
// (Home, or Up, on the first) then selects it as a move to any other would.
// Its entries dragged within it are moved by one step of the model.
class FrameListView final : public QListView {
public:
    explicit FrameListView(FrameListModel* frames, QWidget* parent) : QListView(parent), frames_(frames) {
        setModel(frames);
    }

    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        return QSize(metrics.averageCharWidth() * kListColumns, metrics.height() * kListRows) +
               QSize(2 * frameWidth(), 2 * frameWidth());
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        QListView::keyPressEvent(event);
        static const int kMovingKeys[] = {Qt::Key_Home, Qt::Key_End,    Qt::Key_Up,
                                          Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown};
        const bool moving =
            std::find(std::begin(kMovingKeys), std::end(kMovingKeys), event->key()) != std::end(kMovingKeys);
        const QModelIndex current = currentIndex();
        if (moving && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && current.isValid() &&
            !selectionModel()->isSelected(current)) {
            selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
        }
    }

    void dropEvent(QDropEvent* event) override {
        if (event->source() != this) {
            QListView::dropEvent(event);
            return;
        }
        // Before the entry under the pointer, or after it in its lower half.
        const QPoint at = event->position().toPoint();
        const QModelIndex target = indexAt(at);
        int before = frames_->Count();
        if (target.isValid()) before = target.row() + (at.y() > visualRect(target).center().y() ? 1 : 0);
        QList<int> rows;
        for (const QModelIndex& index : selectionModel()->selectedIndexes()) rows.append(index.row());
        frames_->MoveTo(rows, before);
        // Taken as a copy, so that the drag's source removes nothing.
        event->setDropAction(Qt::CopyAction);
        event->accept();
        stopAutoScroll();
        setState(NoState);
        viewport()->update();
    }

private:
    FrameListModel* frames_;
};

// `folder` when it still exists, else empty (the dialog's own choice).
QString ExistingFolder(const QString& folder) {
    return !folder.isEmpty() && QDir(folder).exists() ? folder : QString();
}

// The first image of the GIF file at `path`, as Qt's GIF reader draws it on
// the file's logical screen; null when Qt cannot read it. The file is opened
// by its 8-bit name, and read only when it is a regular file.
QImage FirstImageOf(const QByteArray& path) {
    const int descriptor = OpenRegularFileForReading(path.constData());
    if (descriptor < 0) return QImage();
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return QImage();
    }
    // Qt refuses images larger than its allocation limit: a huge logical
    // screen gives no picture.
    QImageReader reader(&file, QByteArray(kGifFormat));
    return reader.read();
}

// Texts from the core are 8-bit in the file system's encoding.
QString FromCore(const char* text) { return QFile::decodeName(QByteArray(text)); }

QString ByteCount(uint64_t bytes) { return QLocale(QLocale::English).toString(static_cast<qulonglong>(bytes)); }

QLabel* TextLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// A label whose marked letter, with Alt, moves to `buddy`.
QLabel* BuddyLabel(const char* text, const char* name, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setBuddy(buddy);
    return label;
}

QPushButton* Button(const QString& text, const char* name, const char* tip, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    if (tip) button->setToolTip(QString::fromUtf8(tip));
    return button;
}

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
    right->addWidget(CreateInfoGroup());
    right->addWidget(CreateOptionsGroup());
    right->addStretch(1);
    columns->addLayout(right, 2);

    status_line_ = new QStatusBar(this);
    status_line_->setObjectName(QStringLiteral("statusLine"));
    plan_summary_ = TextLabel(QString::fromUtf8(ZORVANE_QT_STATUS_EMPTY), "planSummary", status_line_);
    status_line_->addPermanentWidget(plan_summary_);

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
    connect(&frames_, &FrameListModel::OptionsChanged, this, &MainWindow::ShowOptions);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MainWindow::SelectionChanged);

    resize(sizeHint());
    RestoreSettings();
    ShowDelayHint();
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
    list_->setTextElideMode(Qt::ElideMiddle);
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

    auto* buttons = new QGridLayout;
    buttons->addWidget(remove_frame_, 0, 0);
    buttons->addWidget(clear_all_, 0, 1);
    buttons->addWidget(add_frames_, 0, 2);
    buttons->addWidget(sort_by_name_, 1, 0);
    buttons->addWidget(undo_, 1, 1);
    buttons->addWidget(redo_, 1, 2);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    return group;
}

QGroupBox* MainWindow::CreateInfoGroup() {
    auto* group = new QGroupBox(QString::fromLatin1(ZORVANE_TEXT_INFO_GROUP), this);
    group->setObjectName(QStringLiteral("infoGroup"));
    frame_name_ = TextLabel(QString(), "frameName", this);
    frame_name_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame_name_->setAlignment(Qt::AlignCenter);
    frame_name_->setMinimumWidth(frame_name_->fontMetrics().averageCharWidth() * 16);
    frame_name_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    QLabel* labels = TextLabel(QStringLiteral(ZORVANE_TEXT_INFO_LABELS), "infoLabels", this);
    labels->setAlignment(Qt::AlignRight | Qt::AlignTop);
    frame_info_ = TextLabel(QString(), "frameInfo", this);
    frame_info_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for the widest summary, so that the panel does not jump.
    frame_info_->setMinimumSize(frame_info_->fontMetrics().size(0, QStringLiteral("65535 x 65535\nglobal (8 bpp)")));
    QLabel* images_label = TextLabel(QString::fromUtf8(ZORVANE_QT_TEXT_IMAGES_LABEL), "imagesLabel", this);
    images_label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    frame_images_ = TextLabel(QString(), "frameImages", this);
    frame_picture_ = TextLabel(QString(), "framePicture", this);
    frame_picture_->setAlignment(Qt::AlignCenter);
    const int side = frame_picture_->fontMetrics().height() * kPictureLines;
    frame_picture_->setMinimumSize(side * 4 / 3, side);
    frame_picture_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);

    auto* layout = new QGridLayout(group);
    layout->addWidget(frame_name_, 0, 0, 1, 3);
    layout->addWidget(labels, 1, 0);
    layout->addWidget(frame_info_, 1, 1);
    layout->addWidget(images_label, 2, 0);
    layout->addWidget(frame_images_, 2, 1);
    layout->addWidget(frame_picture_, 1, 2, 3, 1);
    layout->setRowStretch(3, 1);
    layout->setColumnStretch(2, 1);
    return group;
}

QGroupBox* MainWindow::CreateOptionsGroup() {
    auto* group = new QGroupBox(QString::fromLatin1(ZORVANE_TEXT_OPTIONS_GROUP), this);
    group->setObjectName(QStringLiteral("optionsGroup"));

    delay_ = new DelaySpinBox(this);
    delay_->setObjectName(QStringLiteral("delay"));
    QLabel* delay_label = BuddyLabel(ZORVANE_QT_TEXT_DELAY_LABEL, "delayLabel", delay_, this);
    QLabel* delay_unit = TextLabel(QStringLiteral(ZORVANE_TEXT_DELAY_UNIT), "delayUnit", this);
    delay_unit->setToolTip(delay_->toolTip());
    delay_hint_ = TextLabel(QString::fromUtf8(ZORVANE_QT_TEXT_DELAY_HINT), "delayHint", this);
    delay_hint_->setWordWrap(true);
    // Kept in the layout when hidden, so that the window does not jump.
    QSizePolicy hint_policy = delay_hint_->sizePolicy();
    hint_policy.setRetainSizeWhenHidden(true);
    delay_hint_->setSizePolicy(hint_policy);
    connect(delay_, &QSpinBox::valueChanged, this, &MainWindow::ShowDelayHint);
    set_delay_ = Button(QString::fromUtf8(ZORVANE_QT_TEXT_SET_DELAY), "setDelay", ZORVANE_QT_TIP_SET_DELAY, this);
    auto set_selected = [this] {
        delay_->interpretText();
        frames_.SetDelay(SelectedRows(), delay_->value());
    };
    connect(set_delay_, &QPushButton::clicked, this, set_selected);
    connect(delay_, &DelaySpinBox::Entered, this, set_selected);
    set_all_delays_ =
        Button(QString::fromUtf8(ZORVANE_QT_TEXT_SET_ALL_DELAYS), "setAllDelays", ZORVANE_QT_TIP_SET_ALL_DELAYS, this);
    connect(set_all_delays_, &QPushButton::clicked, this, [this] {
        delay_->interpretText();
        frames_.SetAllDelays(delay_->value());
    });

    scale_percent_ = new QSpinBox(this);
    scale_percent_->setObjectName(QStringLiteral("scalePercent"));
    scale_percent_->setRange(kLeastScale, kMostScale);
    scale_percent_->setValue(kNoScale);
    scale_percent_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_SCALE));
    QLabel* scale_label = BuddyLabel(ZORVANE_QT_TEXT_SCALE_LABEL, "scaleLabel", scale_percent_, this);
    QLabel* scale_unit = TextLabel(QString::fromUtf8(ZORVANE_QT_TEXT_SCALE_UNIT), "scaleUnit", this);
    scale_delays_ = Button(QString::fromUtf8(ZORVANE_QT_TEXT_SCALE), "scaleDelays", ZORVANE_QT_TIP_SCALE, this);
    connect(scale_delays_, &QPushButton::clicked, this, [this] {
        scale_percent_->interpretText();
        frames_.ScaleDelays(scale_percent_->value());
    });

    loop_ = new QComboBox(this);
    loop_->setObjectName(QStringLiteral("loop"));
    loop_->addItems({QString::fromUtf8(ZORVANE_QT_TEXT_LOOP_FOREVER), QString::fromUtf8(ZORVANE_QT_TEXT_LOOP_TIMES)});
    loop_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_LOOP));
    QLabel* loop_label = BuddyLabel(ZORVANE_QT_TEXT_LOOP_LABEL, "loopLabel", loop_, this);
    plays_ = new QSpinBox(this);
    plays_->setObjectName(QStringLiteral("plays"));
    plays_->setRange(1, static_cast<int>(kMostPlays));
    plays_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_PLAYS));
    plays_meaning_ = TextLabel(QString(), "playsMeaning", this);
    connect(loop_, &QComboBox::currentIndexChanged, this, &MainWindow::TakeOptions);
    connect(plays_, &QSpinBox::valueChanged, this, &MainWindow::TakeOptions);

    play_order_ = new QComboBox(this);
    play_order_->setObjectName(QStringLiteral("playOrder"));
    play_order_->addItems({QString::fromUtf8(ZORVANE_QT_TEXT_ORDER_FORWARD),
                           QString::fromUtf8(ZORVANE_QT_TEXT_ORDER_REVERSE),
                           QString::fromUtf8(ZORVANE_QT_TEXT_ORDER_BOUNCE)});
    play_order_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_ORDER));
    QLabel* order_label = BuddyLabel(ZORVANE_QT_TEXT_ORDER_LABEL, "playOrderLabel", play_order_, this);
    connect(play_order_, &QComboBox::currentIndexChanged, this, &MainWindow::TakeOptions);

    center_ = new QCheckBox(QString::fromUtf8(ZORVANE_QT_TEXT_CENTER), this);
    center_->setObjectName(QStringLiteral("center"));
    center_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_CENTER));
    connect(center_, &QCheckBox::toggled, this, &MainWindow::TakeOptions);

    size_limit_ = new QComboBox(this);
    size_limit_->setObjectName(QStringLiteral("sizeLimit"));
    size_limit_->addItem(QString::fromUtf8(ZORVANE_QT_TEXT_LIMIT_NONE), 0);
    for (int megabytes : kOfferedLimits)
        size_limit_->addItem(QStringLiteral("%1 " ZORVANE_QT_TEXT_LIMIT_UNIT).arg(megabytes), megabytes);
    size_limit_->addItem(QString::fromUtf8(ZORVANE_QT_TEXT_LIMIT_CUSTOM), -1);
    size_limit_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_LIMIT));
    QLabel* limit_label = BuddyLabel(ZORVANE_QT_TEXT_LIMIT_LABEL, "sizeLimitLabel", size_limit_, this);
    custom_limit_ = new QDoubleSpinBox(this);
    custom_limit_->setObjectName(QStringLiteral("customLimit"));
    custom_limit_->setDecimals(kCustomLimitDecimals);
    custom_limit_->setRange(kLeastCustomLimit, kMostCustomLimit);
    custom_limit_->setValue(kDefaultCustomLimit);
    custom_limit_->setSuffix(QStringLiteral(" " ZORVANE_QT_TEXT_LIMIT_UNIT));
    custom_limit_->setToolTip(size_limit_->toolTip());
    connect(size_limit_, &QComboBox::currentIndexChanged, this, &MainWindow::ShowSummary);
    connect(custom_limit_, &QDoubleSpinBox::valueChanged, this, &MainWindow::ShowSummary);

    auto* layout = new QGridLayout(group);
    int row = 0;
    layout->addWidget(delay_label, row, 0);
    layout->addWidget(delay_, row, 1);
    layout->addWidget(delay_unit, row, 2);
    layout->addWidget(delay_hint_, row, 3, 1, 2);
    layout->addWidget(set_delay_, ++row, 1, 1, 2);
    layout->addWidget(set_all_delays_, row, 3);
    layout->addWidget(scale_label, ++row, 0);
    layout->addWidget(scale_percent_, row, 1);
    layout->addWidget(scale_unit, row, 2);
    layout->addWidget(scale_delays_, row, 3);
    layout->addWidget(loop_label, ++row, 0);
    layout->addWidget(loop_, row, 1, 1, 3);
    layout->addWidget(plays_, row, 4);
    layout->addWidget(plays_meaning_, ++row, 1, 1, 4);
    layout->addWidget(order_label, ++row, 0);
    layout->addWidget(play_order_, row, 1, 1, 4);
    layout->addWidget(center_, ++row, 0, 1, 5, Qt::AlignLeft);
    layout->addWidget(limit_label, ++row, 0);
    layout->addWidget(size_limit_, row, 1, 1, 3);
    layout->addWidget(custom_limit_, row, 4);
    layout->setColumnStretch(3, 1);
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
            frames_.SetDelay(SelectedRows(), delay_->value());
    });
    set_delay_action_ = new QAction(QString::fromUtf8(ZORVANE_QT_TEXT_SET_DELAY_MENU), this);
    connect(set_delay_action_, &QAction::triggered, set_delay_, &QPushButton::click);
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
    QWidget* const tab_order[] = {
        list_,      remove_frame_,   clear_all_,     add_frames_,   sort_by_name_, undo_,    redo_, delay_,
        set_delay_, set_all_delays_, scale_percent_, scale_delays_, make_gif_,     preview_, web_,  loop_,
        plays_,     play_order_,     center_,        size_limit_,   custom_limit_, help_};
    for (size_t i = 0; i + 1 < std::size(tab_order); ++i) setTabOrder(tab_order[i], tab_order[i + 1]);
    // The status line has nothing to focus.
    status_line_->setFocusPolicy(Qt::NoFocus);
}

void MainWindow::RestoreSettings() {
    bool is_number = false;
    const int delay = settings_.value(QLatin1String(kDelayKey)).toString().trimmed().toInt(&is_number);
    delay_->setValue(is_number && delay >= 0 && delay <= kMostDelay ? delay : kDefaultDelay);

    PlanOptions options;
    const QVariant plays = settings_.value(QLatin1String(kPlaysKey));
    if (plays.isValid()) {
        options.plays = std::min<uint32_t>(plays.toUInt(), kMostPlays);
    } else if (!settings_.value(QLatin1String(kLoopKey), true).toBool()) {
        options.plays = 1;
    }
    options.center = settings_.value(QLatin1String(kCenterKey), false).toBool();
    // The options a window starts with are no step to undo.
    {
        const QSignalBlocker quiet(&frames_);
        frames_.SetOptions(options);
        frames_.UndoStack()->clear();
    }
    ShowOptions();

    const int limit = size_limit_->findData(settings_.value(QLatin1String(kLimitKey), 0).toInt());
    custom_limit_->setValue(settings_.value(QLatin1String(kCustomLimitKey), kDefaultCustomLimit).toDouble());
    size_limit_->setCurrentIndex(std::max(limit, 0));
    custom_limit_->setEnabled(size_limit_->currentData().toInt() < 0);
    restored_geometry_ = restoreGeometry(settings_.value(QLatin1String(kGeometryKey)).toByteArray());
}

void MainWindow::SaveSettings() {
    settings_.setValue(QLatin1String(kDelayKey), delay_->value());
    settings_.setValue(QLatin1String(kPlaysKey), frames_.Options().plays);
    settings_.setValue(QLatin1String(kLoopKey), frames_.Options().plays == kPlayForever);
    settings_.setValue(QLatin1String(kCenterKey), frames_.Options().center);
    settings_.setValue(QLatin1String(kLimitKey), size_limit_->currentData().toInt());
    settings_.setValue(QLatin1String(kCustomLimitKey), custom_limit_->value());
    settings_.setValue(QLatin1String(kGeometryKey), saveGeometry());
    settings_.sync();
}

void MainWindow::AddFramePaths(const QList<QByteArray>& paths) {
    delay_->interpretText();
    frames_.Append(paths, delay_->value());
}

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
    status_line_->clearMessage();
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
    set_delay_->setEnabled(!rows.isEmpty());
    set_delay_action_->setEnabled(!rows.isEmpty());
    first_image_only_->setEnabled(animated);
    first_image_only_->setChecked(animated && all_first);
    own_delays_->setEnabled(animated);
    own_delays_->setChecked(animated && all_own);
    InspectSelectedFrame(false);
}

void MainWindow::ShowOptions() {
    const PlanOptions& options = frames_.Options();
    {
        const QSignalBlocker quiet_loop(loop_), quiet_plays(plays_), quiet_order(play_order_), quiet_center(center_);
        loop_->setCurrentIndex(options.plays == kPlayForever ? 0 : 1);
        if (options.plays != kPlayForever) plays_->setValue(static_cast<int>(options.plays));
        plays_->setEnabled(options.plays != kPlayForever);
        play_order_->setCurrentIndex(static_cast<int>(options.order));
        center_->setChecked(options.center);
    }
    ShowPlaysMeaning();
}

void MainWindow::TakeOptions() {
    PlanOptions options;
    options.plays = loop_->currentIndex() == 0 ? kPlayForever : static_cast<uint32_t>(plays_->value());
    options.order = static_cast<FrameOrder>(std::clamp(play_order_->currentIndex(), 0, 2));
    options.center = center_->isChecked();
    plays_->setEnabled(options.plays != kPlayForever);
    frames_.SetOptions(options);
}

void MainWindow::ShowPlaysMeaning() {
    const uint32_t plays = frames_.Options().plays;
    if (plays == kPlayForever)
        plays_meaning_->setText(QString::fromUtf8(ZORVANE_QT_TEXT_PLAYS_FOREVER));
    else if (plays == 1)
        plays_meaning_->setText(QString::fromUtf8(ZORVANE_QT_TEXT_PLAYS_ONCE));
    else
        plays_meaning_->setText(QString::fromUtf8(ZORVANE_QT_TEXT_PLAYS_TIMES).arg(plays));
}

void MainWindow::ShowDelayHint() { delay_hint_->setVisible(delay_->value() <= 1); }

uint64_t MainWindow::SizeLimit() const {
    const int megabytes = size_limit_->currentData().toInt();
    if (megabytes > 0) return static_cast<uint64_t>(megabytes) * kBytesPerMegabyte;
    if (megabytes < 0) return static_cast<uint64_t>(custom_limit_->value() * kBytesPerMegabyte + 0.5);
    return 0;
}

QString MainWindow::SizeLimitText() const {
    if (size_limit_->currentData().toInt() < 0)
        return QLocale(QLocale::English).toString(custom_limit_->value(), 'g', 7) +
               QStringLiteral(" " ZORVANE_QT_TEXT_LIMIT_UNIT);
    return size_limit_->currentText();
}

void MainWindow::ShowSummary() {
    custom_limit_->setEnabled(size_limit_->currentData().toInt() < 0);
    QPalette palette = plan_summary_->palette();
    palette.setColor(QPalette::WindowText, this->palette().color(QPalette::WindowText));
    if (frames_.Count() == 0) {
        plan_summary_->setPalette(palette);
        plan_summary_->setText(QString::fromUtf8(ZORVANE_QT_STATUS_EMPTY));
        return;
    }
    // Measured from the files' records alone: quick, and exactly what a
    // build would write now.
    const BuildResult result = MeasurePlan(frames_.Plan(std::string()));
    QString text;
    bool alarming = false;
    if (!result.ok) {
        text = FailureText(result);
        alarming = true;
        if (result.entry != kNoEntry) frames_.MarkFailed(static_cast<int>(result.entry));
    } else {
        const PlanSummary& summary = result.summary;
        text = QString::fromUtf8(summary.frames == 1 ? ZORVANE_QT_STATUS_ONE_FRAME : ZORVANE_QT_STATUS_SUMMARY)
                   .arg(QString::number(summary.frames), DurationText(summary.duration), QString::number(summary.width),
                        QString::number(summary.height), ByteCount(summary.bytes));
        const uint64_t limit = SizeLimit();
        if (limit > 0 && summary.bytes > limit) {
            text += QString::fromUtf8(ZORVANE_QT_STATUS_OVER_LIMIT).arg(SizeLimitText());
            alarming = true;
        }
    }
    if (alarming) palette.setColor(QPalette::WindowText, kOverLimitColour);
    plan_summary_->setPalette(palette);
    plan_summary_->setText(text);
}

void MainWindow::ClearInfoPanel() {
    shown_ = QPersistentModelIndex();
    frame_name_->clear();
    frame_info_->clear();
    frame_images_->clear();
    frame_picture_->clear();
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
    ClearInfoPanel();
    shown_ = frames_.index(row);
    const FrameEntry& entry = frames_.Entry(row);
    frame_name_->setText(QFile::decodeName(DisplayNameOf(entry.path)));
    const FileSummary summary = InspectFile(entry.path.constData(), InspectDepth::kFirstImage);
    if (summary.message) {
        // The panel says nothing about a file it could not read.
        if (!showing_failure_)
            prompts_.ShowMessage(this, QStringLiteral(ZORVANE_ERROR_CAPTION), FromCore(summary.message),
                                 MessageIcon::kWarning);
        return;
    }
    char text[64];
    FormatFrameSummary(summary.width, summary.height, summary.palette_kind, summary.bits_per_pixel, text, sizeof text);
    frame_info_->setText(FromCore(text));
    if (entry.Animated())
        frame_images_->setText(
            QString::fromUtf8(ZORVANE_QT_INFO_IMAGES).arg(entry.images).arg(DurationText(entry.own_duration)));
    else if (entry.images == 1)
        frame_images_->setText(QString::number(entry.images));
    ShowFramePicture(entry.path);
}

void MainWindow::ShowFramePicture(const QByteArray& path) {
    const QImage image = FirstImageOf(path);
    if (image.isNull()) return;
    const QSize room = frame_picture_->contentsRect().size();
    const QSize fitted = image.size().scaled(room, Qt::KeepAspectRatio);
    // Small frames are enlarged with their pixels kept sharp; large ones
    // shrunk smoothly.
    const Qt::TransformationMode mode =
        fitted.width() > image.width() ? Qt::FastTransformation : Qt::SmoothTransformation;
    frame_picture_->setPixmap(QPixmap::fromImage(image.scaled(fitted, Qt::KeepAspectRatio, mode)));
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
        showing_failure_ = true;
        list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        list_->scrollTo(index);
        showing_failure_ = false;
        frames_.MarkFailed(index.row());
    }
    status_line_->showMessage(text);
    prompts_.ShowMessage(this, QStringLiteral(ZORVANE_ERROR_CAPTION), text, result.icon);
}

void MainWindow::MakeAnimation() {
    const QString output =
        prompts_.AskSavePath(this, ExistingFolder(settings_.value(QLatin1String(kSaveFolderKey)).toString()));
    if (output.isEmpty()) return;
    settings_.setValue(QLatin1String(kSaveFolderKey), QFileInfo(output).absolutePath());
    // Written beside the chosen file and put in its place only when done: a
    // failed build leaves a file that was there as it was.
    const BuildResult result = BuildAnimation(frames_.Plan(QFile::encodeName(output).toStdString()));
    if (!result.ok) {
        ShowFailure(result);
        return;
    }
    status_line_->showMessage(QString::fromUtf8(ZORVANE_QT_STATUS_SAVED)
                                  .arg(QDir::toNativeSeparators(output), ByteCount(result.summary.bytes)));
}

void MainWindow::PreviewAnimation() {
    // Private to the user (mode 0700), and removed with all it holds when
    // the preview ends.
    QTemporaryDir folder(QDir(QDir::tempPath()).filePath(QLatin1String(kPreviewFolderTemplate)));
    if (!folder.isValid()) {
        prompts_.ShowMessage(this, QStringLiteral(ZORVANE_ERROR_CAPTION),
                             QString::fromUtf8(ZORVANE_QT_MSG_PREVIEW_FOLDER), MessageIcon::kWarning);
        return;
    }
    const QString path = folder.filePath(QLatin1String(kPreviewFile));
    const BuildResult result = BuildAnimation(frames_.Plan(QFile::encodeName(path).toStdString()));
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

void MainWindow::closeEvent(QCloseEvent* event) {
    SaveSettings();
    setAcceptDrops(false);
    list_->viewport()->setAcceptDrops(false);
    ClearAllFrames();
    event->accept();
}
