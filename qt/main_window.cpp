#include "qt/main_window.h"

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
#include <QLabel>
#include <QList>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPair>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>

#include "gif/animation_builder.h"
#include "gif/frame_summary.h"
#include "qt/delay_spin_box.h"
#include "qt/dialog_units.h"
#include "qt/user_prompts.h"
#include "res/ui_texts.h"

namespace {

// The window's layout in dialog units.
constexpr int kWindowWidth = ZORVANE_DIALOG_WIDTH;
constexpr int kWindowHeight = ZORVANE_DIALOG_HEIGHT;

struct DialogRect {
    int x, y, width, height;
};

constexpr DialogRect kFramesGroupRect = {ZORVANE_RECT_FRAMES_GROUP};
constexpr DialogRect kFrameListRect = {ZORVANE_RECT_FRAME_LIST};
constexpr DialogRect kRemoveFrameRect = {ZORVANE_RECT_REMOVE_FRAME};
constexpr DialogRect kClearAllRect = {ZORVANE_RECT_CLEAR_ALL};
constexpr DialogRect kInfoGroupRect = {ZORVANE_RECT_INFO_GROUP};
constexpr DialogRect kFrameNameRect = {ZORVANE_RECT_FRAME_NAME};
constexpr DialogRect kInfoLabelsRect = {ZORVANE_RECT_INFO_LABELS};
constexpr DialogRect kFrameInfoRect = {ZORVANE_RECT_FRAME_INFO};
constexpr DialogRect kDelayLabelRect = {ZORVANE_RECT_DELAY_LABEL};
// The delay field together with its arrows, which sit at its right edge.
constexpr DialogRect kDelayRect = {ZORVANE_RECT_DELAY};
constexpr DialogRect kDelayUnitRect = {ZORVANE_RECT_DELAY_UNIT};
constexpr DialogRect kMakeGifRect = {ZORVANE_RECT_MAKE_GIF};
constexpr DialogRect kNoticeRect = {ZORVANE_RECT_NOTICE};
constexpr DialogRect kWebRect = {ZORVANE_RECT_WEB};
constexpr DialogRect kLoopRect = {ZORVANE_RECT_LOOP};
constexpr DialogRect kOptionsGroupRect = {ZORVANE_RECT_OPTIONS_GROUP};
constexpr DialogRect kHelpRect = {ZORVANE_RECT_HELP};

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

// The file name part of an 8-bit path: what follows its last '/'.
QByteArray DisplayNameOf(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

bool HoldsLocalFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return false;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) return true;
    }
    return false;
}

}  // namespace

QString HelpPagePath(const QString& program_folder) {
    const QDir folder(program_folder);
    const QString installed =
        QDir::cleanPath(folder.filePath(QStringLiteral(ZORVANE_HELP_DIR_FROM_PROGRAM "/" ZORVANE_HELP_PAGE_FILE)));
    const QString beside = folder.filePath(QStringLiteral(ZORVANE_HELP_PAGE_FILE));
    return !QFileInfo(installed).isFile() && QFileInfo(beside).isFile() ? beside : installed;
}

QIcon ProgramIcon() {
    // The icons are linked from a static library: register them before use.
    Q_INIT_RESOURCE(zorvane);
    QIcon icon;
    for (const char* file : kProgramIconFiles) icon.addFile(QString::fromLatin1(file));
    return icon;
}

MainWindow::MainWindow(UserPrompts& prompts, const QString& help_path, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      prompts_(prompts),
      help_path_(help_path) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral(ZORVANE_WINDOW_TITLE));
    CreateControls();
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
    controls_.frame_list = new QListWidget(this);
    place(controls_.frame_list, kFrameListRect, "frameList");
    controls_.frame_list->setSelectionMode(QAbstractItemView::SingleSelection);
    controls_.frame_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    controls_.frame_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    controls_.frame_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    controls_.frame_list->setSortingEnabled(false);
    connect(controls_.frame_list, &QListWidget::itemSelectionChanged, this, &MainWindow::InspectSelectedFrame);
    connect(controls_.frame_list, &QListWidget::itemClicked, this, &MainWindow::InspectClickedSelectedFrame);
    controls_.frame_list->viewport()->installEventFilter(this);

    remove_frame_ = button(QStringLiteral(ZORVANE_TEXT_REMOVE_FRAME), kRemoveFrameRect, "removeFrame");
    connect(remove_frame_, &QPushButton::clicked, this, &MainWindow::RemoveSelectedFrame);
    clear_all_ = button(QStringLiteral(ZORVANE_TEXT_CLEAR_ALL), kClearAllRect, "clearAll");
    connect(clear_all_, &QPushButton::clicked, this, &MainWindow::ClearAllFrames);

    groups.append(group(ZORVANE_TEXT_INFO_GROUP, kInfoGroupRect, "infoGroup"));
    controls_.frame_name = label(QString(), kFrameNameRect, "frameName", Qt::AlignCenter);
    controls_.frame_name->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label(QStringLiteral(ZORVANE_TEXT_INFO_LABELS), kInfoLabelsRect, "infoLabels", Qt::AlignRight | Qt::AlignTop);
    controls_.frame_info = label(QString(), kFrameInfoRect, "frameInfo", Qt::AlignLeft | Qt::AlignTop);

    label(QStringLiteral(ZORVANE_TEXT_DELAY_LABEL), kDelayLabelRect, "delayLabel", Qt::AlignLeft | Qt::AlignTop);
    controls_.delay = new DelaySpinBox(this);
    place(controls_.delay, kDelayRect, "delay");
    label(QStringLiteral(ZORVANE_TEXT_DELAY_UNIT), kDelayUnitRect, "delayUnit", Qt::AlignLeft | Qt::AlignTop);

    make_gif_ = button(QStringLiteral(ZORVANE_TEXT_MAKE_GIF), kMakeGifRect, "makeGif");
    make_gif_->setEnabled(false);
    connect(make_gif_, &QPushButton::clicked, this, &MainWindow::MakeAnimation);

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
        } else if (control != controls_.frame_name && (qobject_cast<QLabel*>(control) || control == controls_.loop)) {
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

    QWidget* const tab_order[] = {controls_.frame_list, remove_frame_, clear_all_, controls_.delay, make_gif_, web_,
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
    // Drops anywhere on the window reach the window itself.
    for (QWidget* child : findChildren<QWidget*>()) child->setAcceptDrops(false);
}

void MainWindow::AddFrames(const QList<QUrl>& urls) {
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) continue;
        const QByteArray path = QFile::encodeName(url.toLocalFile());
        auto* entry = new QListWidgetItem(QFile::decodeName(DisplayNameOf(path)));
        entry->setData(kFramePathRole, path);
        controls_.frame_list->addItem(entry);
    }
    make_gif_->setEnabled(true);
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
    if (controls_.frame_list->count() == 0) make_gif_->setEnabled(false);
}

void MainWindow::ClearAllFrames() {
    controls_.frame_list->clear();
    controls_.frame_name->clear();
    controls_.frame_info->clear();
    make_gif_->setEnabled(false);
}

void MainWindow::InspectSelectedFrame() {
    const QList<QListWidgetItem*> selected = controls_.frame_list->selectedItems();
    // Removing or clearing entries also reports a change, with nothing
    // selected: the panel then keeps what it shows.
    if (selected.isEmpty()) return;
    const QByteArray path = selected.first()->data(kFramePathRole).toByteArray();
    InspectionAdapter adapter(controls_, prompts_);
    InspectFrame(DisplayNameOf(path).constData(), path.constData(), adapter);
}

void MainWindow::InspectClickedSelectedFrame() {
    if (press_on_selected_) InspectSelectedFrame();
}

void MainWindow::MakeAnimation() {
    BuildAdapter adapter(controls_, prompts_);
    BuildAnimation(adapter);
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

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (HoldsLocalFile(event->mimeData())) event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (HoldsLocalFile(event->mimeData())) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (!HoldsLocalFile(event->mimeData())) return;
    AddFrames(event->mimeData()->urls());
    event->acceptProposedAction();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
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
    setAcceptDrops(false);
    ClearAllFrames();
    event->accept();
}
