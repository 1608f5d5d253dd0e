#include "qt/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
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
#include <QPair>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>

#include "gif/animation_builder.h"
#include "gif/frame_summary.h"
#include "qt/delay_spin_box.h"
#include "qt/dialog_units.h"
#include "qt/user_prompts.h"

const char kWindowTitle[] = "Zorvane 1.2";
const char kHomePageAddress[] = "https://zorvane.example/";
const char kMsgOpenWebFailed[] = "Error opening web browser. You may manually surf to ";
const char kMsgHelpNotFound[] =
    "Couldn't find the help file! Please make sure help.chm is in the same folder as the executable and try again.";

namespace {

// The window's layout in dialog units.
constexpr int kWindowWidth = 239;
constexpr int kWindowHeight = 137;

struct DialogRect {
    int x, y, width, height;
};

constexpr DialogRect kFramesGroupRect = {7, 7, 109, 90};
constexpr DialogRect kFrameListRect = {10, 18, 102, 57};
constexpr DialogRect kRemoveFrameRect = {10, 78, 59, 14};
constexpr DialogRect kClearAllRect = {72, 78, 40, 14};
constexpr DialogRect kInfoGroupRect = {119, 7, 113, 44};
constexpr DialogRect kFrameNameRect = {127, 16, 94, 14};
constexpr DialogRect kInfoLabelsRect = {127, 31, 40, 17};
constexpr DialogRect kFrameInfoRect = {170, 31, 50, 17};
constexpr DialogRect kDelayLabelRect = {127, 80, 41, 8};
// The delay field together with its arrows, which sit at its right edge.
constexpr DialogRect kDelayRect = {169, 78, 37, 12};
constexpr DialogRect kDelayUnitRect = {213, 80, 8, 8};
constexpr DialogRect kMakeGifRect = {7, 106, 76, 24};
constexpr DialogRect kNoticeRect = {83, 114, 87, 16};
constexpr DialogRect kWebRect = {173, 106, 26, 24};
constexpr DialogRect kLoopRect = {127, 66, 79, 10};
constexpr DialogRect kOptionsGroupRect = {119, 53, 113, 44};
constexpr DialogRect kHelpRect = {206, 106, 26, 24};

const char kNotice[] = "Made by the\nZorvane team";

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
    setWindowTitle(QString::fromLatin1(kWindowTitle));
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
    groups.append(group("Frames (drop GIF files here)", kFramesGroupRect, "framesGroup"));

    controls_.window = this;
    controls_.frame_list = new QListWidget(this);
    place(controls_.frame_list, kFrameListRect, "frameList");
    controls_.frame_list->setSelectionMode(QAbstractItemView::SingleSelection);
    controls_.frame_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    controls_.frame_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    controls_.frame_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    controls_.frame_list->setSortingEnabled(false);
    connect(controls_.frame_list, &QListWidget::itemSelectionChanged, this, &MainWindow::InspectSelectedFrame);

    remove_frame_ = button(QStringLiteral("Remove Frame"), kRemoveFrameRect, "removeFrame");
    connect(remove_frame_, &QPushButton::clicked, this, &MainWindow::RemoveSelectedFrame);
    clear_all_ = button(QStringLiteral("Clear All"), kClearAllRect, "clearAll");
    connect(clear_all_, &QPushButton::clicked, this, &MainWindow::ClearAllFrames);

    groups.append(group("Info for selected frame", kInfoGroupRect, "infoGroup"));
    controls_.frame_name = label(QString(), kFrameNameRect, "frameName", Qt::AlignCenter);
    controls_.frame_name->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label(QStringLiteral("Dimensions:\nPalette:"), kInfoLabelsRect, "infoLabels", Qt::AlignRight | Qt::AlignTop);
    controls_.frame_info = label(QString(), kFrameInfoRect, "frameInfo", Qt::AlignLeft | Qt::AlignTop);

    label(QStringLiteral("Frame delay:"), kDelayLabelRect, "delayLabel", Qt::AlignLeft | Qt::AlignTop);
    controls_.delay = new DelaySpinBox(this);
    place(controls_.delay, kDelayRect, "delay");
    label(QStringLiteral("cs"), kDelayUnitRect, "delayUnit", Qt::AlignLeft | Qt::AlignTop);

    make_gif_ = button(QStringLiteral("Make Animated GIF"), kMakeGifRect, "makeGif");
    make_gif_->setEnabled(false);
    connect(make_gif_, &QPushButton::clicked, this, &MainWindow::MakeAnimation);

    label(QString::fromUtf8(kNotice), kNoticeRect, "notice", Qt::AlignHCenter | Qt::AlignTop);

    web_ = button(QString(), kWebRect, "web");
    web_->setIcon(program_icon);
    connect(web_, &QPushButton::clicked, this, &MainWindow::OpenHomePage);

    controls_.loop = new QCheckBox(QStringLiteral("Loop animation"), this);
    place(controls_.loop, kLoopRect, "loop");
    controls_.loop->setChecked(true);

    groups.append(group("Options", kOptionsGroupRect, "optionsGroup"));

    help_ = button(QString(), kHelpRect, "help");
    help_->setIcon(QIcon(QString::fromLatin1(kHelpIconFile)));
    connect(help_, &QPushButton::clicked, this, &MainWindow::OpenHelp);

    for (QPushButton* icon_button : {web_, help_}) {
        const QString text = icon_button->objectName();
        icon_button->setAccessibleName(text);
        icon_button->setToolTip(text);
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

void MainWindow::MakeAnimation() {
    BuildAdapter adapter(controls_, prompts_);
    BuildAnimation(adapter);
}

void MainWindow::OpenHomePage() {
    const QString address = QString::fromLatin1(kHomePageAddress);
    if (!prompts_.OpenExternal(QUrl(address))) {
        prompts_.ShowMessage(this, QString::fromLatin1(kMessageTitle),
                             QString::fromLatin1(kMsgOpenWebFailed) + address + QLatin1Char('.'),
                             MessageIcon::kWarning);
    }
}

void MainWindow::OpenHelp() {
    if (!QFileInfo(help_path_).isFile() || !prompts_.OpenExternal(QUrl::fromLocalFile(help_path_))) {
        prompts_.ShowMessage(this, QString::fromLatin1(kMessageTitle), QString::fromLatin1(kMsgHelpNotFound),
                             MessageIcon::kWarning);
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

void MainWindow::closeEvent(QCloseEvent* event) {
    setAcceptDrops(false);
    ClearAllFrames();
    event->accept();
}
