#include "qt/main_window.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QList>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPair>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <iterator>

#include "qt/delay_spin_box.h"
#include "qt/dialog_units.h"
#include "qt/user_prompts.h"
#include "res/ui_texts.h"

namespace {

// The window's layout in dialog units: the design's, grown for the controls
// only this window has.
constexpr int kWindowWidth = ZORVANE_QT_DIALOG_WIDTH;
constexpr int kWindowHeight = ZORVANE_QT_DIALOG_HEIGHT;

struct DialogRect {
    int x, y, width, height;
};

constexpr DialogRect kFramesGroupRect = {ZORVANE_QT_RECT_FRAMES_GROUP};
constexpr DialogRect kFrameListRect = {ZORVANE_RECT_FRAME_LIST};
constexpr DialogRect kRemoveFrameRect = {ZORVANE_RECT_REMOVE_FRAME};
constexpr DialogRect kClearAllRect = {ZORVANE_RECT_CLEAR_ALL};
constexpr DialogRect kAddFramesRect = {ZORVANE_QT_RECT_ADD_FRAMES};
constexpr DialogRect kInfoGroupRect = {ZORVANE_QT_RECT_INFO_GROUP};
constexpr DialogRect kFrameNameRect = {ZORVANE_RECT_FRAME_NAME};
constexpr DialogRect kInfoLabelsRect = {ZORVANE_RECT_INFO_LABELS};
constexpr DialogRect kFrameInfoRect = {ZORVANE_RECT_FRAME_INFO};
constexpr DialogRect kFramePictureRect = {ZORVANE_QT_RECT_FRAME_PICTURE};
constexpr DialogRect kDelayLabelRect = {ZORVANE_QT_RECT_DELAY_LABEL};
// The delay field together with its arrows, which sit at its right edge.
constexpr DialogRect kDelayRect = {ZORVANE_QT_RECT_DELAY};
constexpr DialogRect kDelayUnitRect = {ZORVANE_QT_RECT_DELAY_UNIT};
constexpr DialogRect kMakeGifRect = {ZORVANE_QT_RECT_MAKE_GIF};
constexpr DialogRect kPreviewRect = {ZORVANE_QT_RECT_PREVIEW};
constexpr DialogRect kNoticeRect = {ZORVANE_QT_RECT_NOTICE};
constexpr DialogRect kWebRect = {ZORVANE_QT_RECT_WEB};
constexpr DialogRect kLoopRect = {ZORVANE_QT_RECT_LOOP};
constexpr DialogRect kOptionsGroupRect = {ZORVANE_QT_RECT_OPTIONS_GROUP};
constexpr DialogRect kHelpRect = {ZORVANE_QT_RECT_HELP};

// The widest text the summary field shows.
const char kWidestSummary[] = "65535 x 65535\nglobal (8 bpp)";

// Pixels around a text that the controls' frames take.
constexpr int kButtonTextMargin = 6;
constexpr int kGroupTitleMargin = 8;
// Converting both edges of a control may lose a pixel of its size.
constexpr int kRoundingSlack = 1;

constexpr int kButtonIconSize = 32;
constexpr int kButtonIconMargin = 6;

const char* const kProgramIconFiles[] = {":/icons/zorvane-16.png", ":/icons/zorvane-32.png", ":/icons/zorvane-48.png",
                                         ":/icons/zorvane-128.png"};
const char kHelpIconFile[] = ":/icons/help-32.png";

// What is remembered between runs.
const char kAddFolderKey[] = "folders/add";
const char kSaveFolderKey[] = "folders/save";
const char kDelayKey[] = "build/delay";
const char kLoopKey[] = "build/loop";

const char kGifFormat[] = "gif";
const char kEndOfOptions[] = "--";
const char kPreviewFolderTemplate[] = "zorvane-preview-XXXXXX";
const char kPreviewFile[] = "preview.gif";

// The file name part of an 8-bit path: what follows its last '/'.
QByteArray DisplayNameOf(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

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
class FrameListWidget final : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        QListWidget::keyPressEvent(event);
        static const int kMovingKeys[] = {Qt::Key_Home, Qt::Key_End,    Qt::Key_Up,
                                          Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown};
        const bool moving =
            std::find(std::begin(kMovingKeys), std::end(kMovingKeys), event->key()) != std::end(kMovingKeys);
        if (moving && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && currentItem() &&
            !currentItem()->isSelected()) {
            currentItem()->setSelected(true);
        }
    }
};

// `folder` when it still exists, else empty (the dialog's own choice).
QString ExistingFolder(const QString& folder) {
    return !folder.isEmpty() && QDir(folder).exists() ? folder : QString();
}

// The first image of the GIF file at `path`, as Qt's GIF reader draws it on
// the file's logical screen; null when Qt cannot read it. The file is opened
// by its 8-bit name, and read only when it is a regular file.
QImage FirstImageOf(const QByteArray& path) {
    const int descriptor = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return QImage();
    struct stat status;
    QFile file;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return QImage();
    }
    // Qt refuses images larger than its allocation limit: a huge logical
    // screen gives no picture.
    QImageReader reader(&file, QByteArray(kGifFormat));
    return reader.read();
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
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      prompts_(prompts),
      help_path_(help_path),
      settings_(settings) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral(ZORVANE_WINDOW_TITLE));
    CreateControls();
    CreateShortcuts();
    RestoreSettings();
    setAcceptDrops(true);
    controls_.frame_list->setFocus(Qt::OtherFocusReason);
}

void MainWindow::CreateControls() {
    // Controls are created in layout order (which is also the tab order) and
    // placed once all exist, when the
    // units that make their texts fit are known.
    QList<QPair<QWidget*, DialogRect>> placed;
    auto place = [&](QWidget* control, const DialogRect& rect, const char* name) {
        control->setObjectName(QString::fromLatin1(name));
        placed.append(qMakePair(control, rect));
        return control;
    };
    auto label = [&](const QString& text, const DialogRect& rect, const char* name, Qt::Alignment alignment) {
        auto* control = new QLabel(text, this);
        control->setTextFormat(Qt::PlainText);
        control->setAlignment(alignment);
        place(control, rect, name);
        return control;
    };
    auto group = [&](const char* title, const DialogRect& rect, const char* name) {
        auto* box = new QGroupBox(QString::fromLatin1(title), this);
        place(box, rect, name);
        return box;
    };
    auto button = [&](const QString& text, const DialogRect& rect, const char* name) {
        auto* control = new QPushButton(text, this);
        place(control, rect, name);
        return control;
    };
    const QIcon program_icon = ProgramIcon();
    setWindowIcon(program_icon);

    QList<QGroupBox*> groups;
    groups.append(group(ZORVANE_TEXT_FRAMES_GROUP, kFramesGroupRect, "framesGroup"));

    controls_.window = this;
    controls_.frame_list = new FrameListWidget(this);
    place(controls_.frame_list, kFrameListRect, "frameList");
    controls_.frame_list->setSelectionMode(QAbstractItemView::SingleSelection);
    controls_.frame_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    controls_.frame_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    controls_.frame_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    controls_.frame_list->setSortingEnabled(false);
    // Entries are dragged within the list to reorder them.
    controls_.frame_list->setDragDropMode(QAbstractItemView::InternalMove);
    controls_.frame_list->setDefaultDropAction(Qt::MoveAction);
    controls_.frame_list->setDropIndicatorShown(true);
    controls_.frame_list->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_FRAME_LIST));
    connect(controls_.frame_list, &QListWidget::itemSelectionChanged, this, &MainWindow::InspectSelectedFrame);
    connect(controls_.frame_list, &QListWidget::itemClicked, this, &MainWindow::InspectClickedSelectedFrame);
    controls_.frame_list->viewport()->installEventFilter(this);

    remove_frame_ = button(QStringLiteral(ZORVANE_TEXT_REMOVE_FRAME), kRemoveFrameRect, "removeFrame");
    connect(remove_frame_, &QPushButton::clicked, this, &MainWindow::RemoveSelectedFrame);
    clear_all_ = button(QStringLiteral(ZORVANE_TEXT_CLEAR_ALL), kClearAllRect, "clearAll");
    connect(clear_all_, &QPushButton::clicked, this, &MainWindow::ClearAllFrames);
    add_frames_ = button(QString::fromUtf8(ZORVANE_QT_TEXT_ADD_FRAMES), kAddFramesRect, "addFrames");
    add_frames_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_ADD_FRAMES));
    connect(add_frames_, &QPushButton::clicked, this, &MainWindow::AddFramesFromDialog);

    groups.append(group(ZORVANE_TEXT_INFO_GROUP, kInfoGroupRect, "infoGroup"));
    controls_.frame_name = label(QString(), kFrameNameRect, "frameName", Qt::AlignCenter);
    controls_.frame_name->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label(QStringLiteral(ZORVANE_TEXT_INFO_LABELS), kInfoLabelsRect, "infoLabels", Qt::AlignRight | Qt::AlignTop);
    controls_.frame_info = label(QString(), kFrameInfoRect, "frameInfo", Qt::AlignLeft | Qt::AlignTop);
    frame_picture_ = label(QString(), kFramePictureRect, "framePicture", Qt::AlignCenter);

    label(QStringLiteral(ZORVANE_TEXT_DELAY_LABEL), kDelayLabelRect, "delayLabel", Qt::AlignLeft | Qt::AlignTop);
    controls_.delay = new DelaySpinBox(this);
    place(controls_.delay, kDelayRect, "delay");
    label(QStringLiteral(ZORVANE_TEXT_DELAY_UNIT), kDelayUnitRect, "delayUnit", Qt::AlignLeft | Qt::AlignTop);

    make_gif_ = button(QStringLiteral(ZORVANE_TEXT_MAKE_GIF), kMakeGifRect, "makeGif");
    make_gif_->setEnabled(false);
    make_gif_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_MAKE_GIF));
    connect(make_gif_, &QPushButton::clicked, this, &MainWindow::MakeAnimation);
    preview_ = button(QString::fromUtf8(ZORVANE_QT_TEXT_PREVIEW), kPreviewRect, "preview");
    preview_->setEnabled(false);
    preview_->setToolTip(QString::fromUtf8(ZORVANE_QT_TIP_PREVIEW));
    connect(preview_, &QPushButton::clicked, this, &MainWindow::PreviewAnimation);

    label(QStringLiteral(ZORVANE_TEXT_NOTICE), kNoticeRect, "notice", Qt::AlignHCenter | Qt::AlignTop);

    web_ = button(QString(), kWebRect, "web");
    web_->setIcon(program_icon);
    connect(web_, &QPushButton::clicked, this, &MainWindow::OpenHomePage);

    controls_.loop = new QCheckBox(QStringLiteral(ZORVANE_TEXT_LOOP), this);
    place(controls_.loop, kLoopRect, "loop");
    controls_.loop->setChecked(true);

    groups.append(group(ZORVANE_TEXT_OPTIONS_GROUP, kOptionsGroupRect, "optionsGroup"));

    help_ = button(QString(), kHelpRect, "help");
    help_->setIcon(QIcon(QString::fromLatin1(kHelpIconFile)));
    connect(help_, &QPushButton::clicked, this, &MainWindow::OpenHelp);

    // The icon buttons' texts name them for screen readers and tooltips.
    const QPair<QPushButton*, const char*> icon_button_texts[] = {{web_, ZORVANE_TEXT_WEB}, {help_, ZORVANE_TEXT_HELP}};
    for (const auto& [icon_button, text] : icon_button_texts) {
        icon_button->setAccessibleName(QString::fromLatin1(text));
        icon_button->setToolTip(QString::fromLatin1(text));
    }

    // The units of the window's font, widened where a text would not fit.
    DialogBaseUnits units = BaseUnitsOf(font());
    const QFontMetrics metrics(font());
    for (const auto& [control, rect] : placed) {
        QSize needed;
        if (auto* text_button = qobject_cast<QPushButton*>(control)) {
            needed = QSize(metrics.horizontalAdvance(text_button->text()) + 2 * kButtonTextMargin, 0);
        } else if (auto* box = qobject_cast<QGroupBox*>(control)) {
            needed = QSize(metrics.horizontalAdvance(box->title()) + 2 * kGroupTitleMargin, 0);
        } else if (control == controls_.frame_info) {
            needed = metrics.size(0, QString::fromLatin1(kWidestSummary));
        } else if (control != controls_.frame_name && control != frame_picture_ &&
                   (qobject_cast<QLabel*>(control) || control == controls_.loop)) {
            needed = control->sizeHint();
        }
        if (needed.width() > 0) WidenToFit(&units, needed.width() + kRoundingSlack, rect.width);
        if (needed.height() > 0) HeightenToFit(&units, needed.height() + kRoundingSlack, rect.height);
    }
    for (const auto& [control, rect] : placed) {
        control->setGeometry(MapDialogRect(units, rect.x, rect.y, rect.width, rect.height));
    }
    for (QPushButton* icon_button : {web_, help_}) {
        const int side = qMin(kButtonIconSize, qMin(icon_button->width(), icon_button->height()) - kButtonIconMargin);
        icon_button->setIconSize(QSize(side, side));
    }
    setFixedSize(MapDialogSize(units, kWindowWidth, kWindowHeight));

    // Group boxes go below the controls they frame.
    for (QGroupBox* box : groups) box->lower();

    QWidget* const tab_order[] = {controls_.frame_list, remove_frame_, clear_all_, add_frames_,
                                  controls_.delay,      make_gif_,     preview_,   web_,
                                  controls_.loop,       help_};
    for (size_t i = 0; i + 1 < sizeof tab_order / sizeof tab_order[0]; ++i) {
        setTabOrder(tab_order[i], tab_order[i + 1]);
    }
    // No default button: Enter clicks the focused push button, as in a
    // dialog, and otherwise does nothing.
    for (QPushButton* push_button : findChildren<QPushButton*>()) {
        push_button->setAutoDefault(true);
        push_button->setDefault(false);
    }
    // Drops of files anywhere on the window reach the window itself; the
    // list takes its own entries' drags, and hands files on (eventFilter).
    for (QWidget* child : findChildren<QWidget*>()) child->setAcceptDrops(false);
    controls_.frame_list->setAcceptDrops(true);
    controls_.frame_list->viewport()->setAcceptDrops(true);
}

void MainWindow::CreateShortcuts() {
    auto on_list = [this](const QKeySequence& keys, auto action) {
        auto* shortcut = new QShortcut(keys, controls_.frame_list);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    on_list(QKeySequence(Qt::ALT | Qt::Key_Up), [this] { MoveSelectedFrame(-1); });
    on_list(QKeySequence(Qt::ALT | Qt::Key_Down), [this] { MoveSelectedFrame(1); });
    on_list(QKeySequence(Qt::Key_Delete), [this] { RemoveSelectedFrame(); });
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this, &MainWindow::AddFramesFromDialog);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, [this] {
        if (make_gif_->isEnabled()) MakeAnimation();
    });
}

void MainWindow::RestoreSettings() {
    controls_.delay->SetText(settings_.value(QLatin1String(kDelayKey)).toString());
    controls_.loop->setChecked(settings_.value(QLatin1String(kLoopKey), true).toBool());
}

void MainWindow::SaveSettings() {
    settings_.setValue(QLatin1String(kDelayKey), controls_.delay->Text());
    settings_.setValue(QLatin1String(kLoopKey), controls_.loop->isChecked());
    settings_.sync();
}

void MainWindow::AddFramePaths(const QList<QByteArray>& paths) {
    for (const QByteArray& path : paths) {
        auto* entry = new QListWidgetItem(QFile::decodeName(DisplayNameOf(path)));
        entry->setData(kFramePathRole, path);
        controls_.frame_list->addItem(entry);
    }
    SetBuildEnabled(true);
}

void MainWindow::SetBuildEnabled(bool enabled) {
    make_gif_->setEnabled(enabled);
    preview_->setEnabled(enabled);
}

void MainWindow::AddFramesFromDialog() {
    const QStringList chosen =
        prompts_.AskOpenPaths(this, ExistingFolder(settings_.value(QLatin1String(kAddFolderKey)).toString()));
    if (chosen.isEmpty()) return;
    settings_.setValue(QLatin1String(kAddFolderKey), QFileInfo(chosen.first()).absolutePath());
    QList<QByteArray> paths;
    for (const QString& path : chosen) paths.append(QFile::encodeName(path));
    AddFramePaths(paths);
}

void MainWindow::AddFrames(const QList<QUrl>& urls) {
    QList<QByteArray> paths;
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) paths.append(QFile::encodeName(url.toLocalFile()));
    }
    AddFramePaths(paths);
}

void MainWindow::RemoveSelectedFrame() {
    const QList<QListWidgetItem*> selected = controls_.frame_list->selectedItems();
    if (!selected.isEmpty()) {
        // Qt moves the selection to a neighbour of a deleted entry; the list
        // is left with no selection instead, and nothing is inspected.
        const QSignalBlocker quiet(controls_.frame_list);
        delete selected.first();
        controls_.frame_list->clearSelection();
        controls_.frame_list->setCurrentRow(-1);
    }
    if (controls_.frame_list->count() == 0) SetBuildEnabled(false);
}

void MainWindow::MoveSelectedFrame(int rows) {
    QListWidget* list = controls_.frame_list;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty()) return;
    QListWidgetItem* entry = selected.first();
    const int from = list->row(entry);
    const int to = from + rows;
    if (to < 0 || to >= list->count()) return;
    // The same frame stays selected: the info panel stays as it is.
    const QSignalBlocker quiet(list);
    list->takeItem(from);
    list->insertItem(to, entry);
    list->setCurrentItem(entry);
    list->scrollToItem(entry);
}

void MainWindow::ClearAllFrames() {
    controls_.frame_list->clear();
    controls_.frame_name->clear();
    controls_.frame_info->clear();
    frame_picture_->clear();
    SetBuildEnabled(false);
}

void MainWindow::InspectSelectedFrame() {
    const QList<QListWidgetItem*> selected = controls_.frame_list->selectedItems();
    // Removing or clearing entries also reports a change, with nothing
    // selected: the panel then keeps what it shows.
    if (selected.isEmpty()) return;
    const QByteArray path = selected.first()->data(kFramePathRole).toByteArray();
    frame_picture_->clear();
    if (ShowFrameSummary(controls_, prompts_, path)) ShowFramePicture(path);
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

void MainWindow::InspectClickedSelectedFrame() {
    if (press_on_selected_) InspectSelectedFrame();
}

void MainWindow::MakeAnimation() {
    const QString output =
        prompts_.AskSavePath(this, ExistingFolder(settings_.value(QLatin1String(kSaveFolderKey)).toString()));
    if (output.isEmpty()) return;
    BuildFromWindow(controls_, prompts_, output);
    settings_.setValue(QLatin1String(kSaveFolderKey), QFileInfo(output).absolutePath());
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
    // A build that failed has said why, as "Make Animated GIF" would.
    if (BuildFromWindow(controls_, prompts_, path)) prompts_.ShowPreview(this, path);
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
    if (watched == controls_.frame_list->viewport() && TakeFileDrag(event)) return true;
    // Noted before the list acts on the press. (The release that ends a
    // double click reports no click.)
    if (watched == controls_.frame_list->viewport() && event->type() == QEvent::MouseButtonPress) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        const QListWidgetItem* entry = controls_.frame_list->itemAt(at);
        press_on_selected_ = entry && entry->isSelected();
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    SaveSettings();
    setAcceptDrops(false);
    controls_.frame_list->viewport()->setAcceptDrops(false);
    ClearAllFrames();
    event->accept();
}
