// The desktop window driven as a user would: files dropped from a file
// manager, clicks, typed delays, keys; the save dialog and message boxes
// answered by the test. What it writes is read back with giflib.
#include "qt/main_window.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QMovie>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gif/build_plan.h"
#include "gif/gif_player.h"
#include "gif_fixture.h"
#include "giflib_check.h"
#include "qt/frame_list_model.h"
#include "qt/frame_list_view.h"
#include "qt/preview_dialog.h"
#include "qt/user_prompts.h"
#include "zorvane_version.h"

namespace {

const char kNotAGif[] = "Not a GIF file, or incorrect version number.";
const char kCouldNotOpen[] = "Could not open file. GIF creation aborted.";
// %1: the folder the help page is looked for in.
const char kHelpMissing[] = "Couldn't find the help file! Please make sure zorvane-help.html is in %1 and try again.";
const char kWideSummary[] = "100 x 50\nglobal (8 bpp)";
const char kLocalSummary[] = "7 x 9\nlocal (4 bpp)";
const char kSeparator[] = " \u00b7 ";

constexpr uint8_t kControlLabel = 0xF9;      // graphic control extension
constexpr uint8_t kApplicationLabel = 0xFF;  // application extension
const Bytes kLoopingIdentifier = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
constexpr int kNoLoopingBlock = -1;

// A one-pixel GIF89a; a colour table follows whenever its flag is set.
QByteArray SmallGif(int width, int height, char screen_flags, char image_flags) {
    const Bytes gif = OnePixelGif("89a", static_cast<uint16_t>(width), static_cast<uint16_t>(height),
                                  static_cast<uint8_t>(screen_flags), static_cast<uint8_t>(image_flags));
    return QByteArray(reinterpret_cast<const char*>(gif.data()), static_cast<int>(gif.size()));
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString CorpusPath(const char* name) { return QStringLiteral(ZORVANE_CORPUS_DIR "/") + QString::fromLatin1(name); }

std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }

// One frame expected in an output: image `image` of `file`, shown `delay`.
struct Shot {
    QString file;
    int image;
    unsigned delay;
};

// Little-endian 16-bit field at `at`.
unsigned Field16(const Bytes& bytes, size_t at) { return bytes[at] | (unsigned{bytes[at + 1]} << 8); }

// What giflib finds wrong with `output` against `shots`: each frame's pixels,
// size and colours those of its image, its delay as given; the looping
// block's count `loop_count` (kNoLoopingBlock: none). Empty when it checks out.
QString AnimationFaults(const QString& output, const QList<Shot>& shots, int loop_count) {
    DecodedGif decoded;
    if (!SlurpGif(Local(output), &decoded))
        return QStringLiteral("giflib cannot decode %1: %2").arg(output, GiflibErrorText(decoded.error).c_str());
    if (decoded.images.size() != static_cast<size_t>(shots.size()))
        return QStringLiteral("%1 images for %2 frames").arg(decoded.images.size()).arg(shots.size());
    std::map<QString, DecodedGif> inputs;
    for (int i = 0; i < shots.size(); ++i) {
        DecodedGif& input = inputs[shots[i].file];
        if (input.images.empty() && !SlurpGif(Local(shots[i].file), &input))
            return QStringLiteral("giflib cannot decode ") + shots[i].file;
        const DecodedImage& want = input.images.at(static_cast<size_t>(shots[i].image));
        const DecodedImage& got = decoded.images[static_cast<size_t>(i)];
        // The table in force: a frame that shares the output's global table carries none.
        const Bytes& want_map = want.local_map.empty() ? input.global_map : want.local_map;
        const Bytes& got_map = got.local_map.empty() ? decoded.global_map : got.local_map;
        if (got.width != want.width || got.height != want.height || got.raster != want.raster || got_map != want_map)
            return QStringLiteral("frame %1 is not image %2 of %3").arg(i).arg(shots[i].image).arg(shots[i].file);
        int delay = -1;
        for (const GiflibExtension& block : got.extensions)
            if (block.function == kControlLabel && block.bytes.size() >= 3)
                delay = static_cast<int>(Field16(block.bytes, 1));
        if (delay != static_cast<int>(shots[i].delay))
            return QStringLiteral("frame %1 has delay %2, expected %3").arg(i).arg(delay).arg(shots[i].delay);
    }
    int found = kNoLoopingBlock;
    const std::vector<GiflibExtension>& first = decoded.images[0].extensions;
    for (size_t i = 0; i + 1 < first.size(); ++i) {
        if (first[i].function == kApplicationLabel && first[i].bytes == kLoopingIdentifier &&
            first[i + 1].bytes.size() == 3 && first[i + 1].bytes[0] == 1)
            found = static_cast<int>(Field16(first[i + 1].bytes, 1));
    }
    if (found != loop_count) return QStringLiteral("looping block count %1, expected %2").arg(found).arg(loop_count);
    return QString();
}

// A message's text (or its wrong title) and icon.
using Shown = QPair<QString, MessageIcon>;

// What a preview played: the real preview window's reading of the file.
struct Played {
    int frames;
    QList<int> delays_ms;
    int loops;
    QString frame_text;  // what the window says of the frame it shows
    QImage first_frame;  // the first frame as the window draws it
    QImage shown;        // what the window shows of it
    QList<QImage> frames_shown;
    QList<QImage> composited;  // the compositor's frames of the file
};

// `shown` is `image` enlarged `factor` times, each pixel a sharp square.
bool EnlargedSharply(const QImage& shown, const QImage& image, int factor) {
    const QImage from = image.convertToFormat(QImage::Format_ARGB32);
    const QImage to = shown.convertToFormat(QImage::Format_ARGB32);
    if (to.size() != from.size() * factor) return false;
    for (int y = 0; y < to.height(); ++y)
        for (int x = 0; x < to.width(); ++x)
            if (to.pixel(x, y) != from.pixel(x / factor, y / factor)) return false;
    return true;
}

class FakePrompts final : public UserPrompts {
public:
    QStringList open_answer;
    QStringList open_folders;  // where each Add Frames dialog started
    QString save_answer;
    int save_requests = 0;
    QStringList save_folders;
    QStringList save_names;  // the name each save dialog suggested
    QList<Shown> messages;
    bool open_succeeds = true;
    QList<QUrl> opened;
    QList<Played> previews;
    QString preview_path;
    QByteArray preview_bytes;  // the file the last preview played

    QStringList AskOpenPaths(QWidget*, const QString& folder) override {
        open_folders.append(folder);
        return open_answer;
    }
    QString AskSavePath(QWidget*, const QString& folder, const QString& name) override {
        ++save_requests;
        save_folders.append(folder);
        save_names.append(name);
        return save_answer;
    }
    void ShowPreview(QWidget* owner, const QString& path) override {
        preview_path = path;
        preview_bytes = ReadAll(path);
        PreviewDialog dialog(path, owner);
        Played played{dialog.FrameCount(),
                      {},
                      dialog.Plays() == kPlayForever ? -1 : static_cast<int>(dialog.Plays()) - 1,
                      dialog.findChild<QLabel*>(QStringLiteral("previewFrame"))->text(),
                      dialog.CurrentFrame(),
                      dialog.findChild<QLabel*>(QStringLiteral("previewScreen"))->pixmap().toImage(),
                      {},
                      {}};
        // Every frame of one play, as the window draws it and as the core's
        // compositor draws the file.
        for (int i = 0; i < played.frames; ++i) {
            if (i > 0 && !dialog.Advance()) break;
            played.frames_shown.append(dialog.CurrentFrame());
        }
        GifPlayer player;
        PlayedFrame frame;
        if (!player.Open(Local(path).c_str()))
            while (player.Next(&frame))
                played.composited.append(CanvasImage(frame.canvas, player.width(), player.height()));
        // The delays of the file the preview plays, read frame by frame
        // (the playing movie's own figure is a running timer's).
        QImageReader reader(path, "gif");
        for (int i = 0; i < played.frames && !reader.read().isNull(); ++i)
            played.delays_ms.append(reader.nextImageDelay());
        previews.append(played);
    }
    void ShowMessage(QWidget*, const QString& title, const QString& text, MessageIcon icon) override {
        messages.append({title == QStringLiteral("Error") ? text : QStringLiteral("titled ") + title, icon});
    }
    bool OpenExternal(const QUrl& url) override {
        opened.append(url);
        return open_succeeds;
    }
};

// The real message boxes, with the save dialog answered by the test.
class RealBoxPrompts final : public UserPrompts {
public:
    QString save_answer;
    int save_requests = 0;
    QStringList AskOpenPaths(QWidget*, const QString&) override { return {}; }
    QString AskSavePath(QWidget*, const QString&, const QString&) override {
        ++save_requests;
        return save_answer;
    }
    void ShowPreview(QWidget*, const QString&) override {}
    void ShowMessage(QWidget* owner, const QString& title, const QString& text, MessageIcon icon) override {
        desktop_.ShowMessage(owner, title, text, icon);
    }
    bool OpenExternal(const QUrl&) override { return false; }

private:
    DesktopPrompts desktop_;
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString wide_, local_, text_file_;
    FakePrompts prompts_;
    std::unique_ptr<QSettings> settings_;
    std::unique_ptr<MainWindow> window_;

    // A window with `prompts`, remembering in the settings of this test.
    void OpenWindow(UserPrompts& prompts, const QString& help_path) {
        window_ = std::make_unique<MainWindow>(prompts, help_path, *settings_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    template <typename T = QWidget>
    T* Control(const char* name) {
        T* control = window_->findChild<T*>(QString::fromLatin1(name));
        if (!control) qFatal("no control %s", name);
        return control;
    }
    QListView* List() { return Control<QListView>("frameList"); }
    QAbstractItemModel* Model() { return List()->model(); }
    QSpinBox* Delay() { return Control<QSpinBox>("delay"); }
    QString Text(const char* label) { return Control<QLabel>(label)->text(); }
    QString DelayText() { return Delay()->findChild<QLineEdit*>()->text(); }
    // The status line once the size is measured.
    QString Status() {
        if (!QTest::qWaitFor([this] { return !window_->Measuring(); }, 10000)) qWarning("still measuring");
        return Text("planSummary");
    }
    bool BuildEnabled() { return Control("makeGif")->isEnabled(); }
    void ClickOn(const char* name) { QTest::mouseClick(Control(name), Qt::LeftButton); }
    // Turns "Smallest file" off: each image is then copied as it is.
    void CopyImagesAsTheyAre() {
        if (Control<QCheckBox>("smallest")->isChecked()) ClickOn("smallest");
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }

    // Drops on the window at `at` the way a file manager's drag arrives: enter,
    // then drop, through the window system side, with the addresses as text too.
    bool Drop(const QList<QUrl>& urls, QWidget* at) {
        QMimeData data;
        data.setUrls(urls);
        QStringList lines;
        for (const QUrl& url : urls) lines.append(url.toString());
        data.setText(lines.join(QLatin1Char('\n')));
        const QPoint point = at->mapTo(window_.get(), at->rect().center());
        QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_->windowHandle(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_->windowHandle(), &drop);
        return drop.isAccepted();
    }
    bool DropFiles(const QStringList& paths) {
        QList<QUrl> urls;
        for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
        return Drop(urls, List());
    }
    QPoint EntryPoint(int row) { return List()->visualRect(Model()->index(row, 0)).center(); }
    void ClickEntry(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, modifiers, EntryPoint(row));
    }
    QStringList Entries() {
        QStringList names;
        for (int i = 0; i < Model()->rowCount(); ++i)
            names.append(Model()->index(i, 0).data(kFrameNameRole).toString());
        return names;
    }
    // The entries as the list shows them, their parts joined by '|'.
    QStringList Lines() {
        QStringList lines;
        for (int i = 0; i < Model()->rowCount(); ++i)
            lines.append(Model()->index(i, 0).data().toString().replace(QString::fromUtf8(kSeparator), "|"));
        return lines;
    }
    // The list and every option that undo must bring back.
    QString Snapshot() {
        return Lines().join(QLatin1Char('\n')) + QStringLiteral("\n[") + Text("playsMeaning") + QStringLiteral("; ") +
               Control<QComboBox>("playOrder")->currentText() +
               (Control<QCheckBox>("center")->isChecked() ? QStringLiteral("; centred]") : QStringLiteral("]"));
    }
    QList<int> Selected() {
        QList<int> rows;
        for (const QModelIndex& index : List()->selectionModel()->selectedIndexes()) rows.append(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    // Types into the delay of the selected entries, or into another field.
    void TypeDelay(const QString& text, const char* field = "delay") {
        auto* box = Control<QSpinBox>(field);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    // Plays: kPlayForever, or a number of times typed into its field.
    void ChoosePlays(uint32_t plays) {
        auto* loop = Control<QComboBox>("loop");
        loop->setFocus();
        QTest::keyClick(loop, plays == kPlayForever ? Qt::Key_Home : Qt::Key_End);
        if (plays == kPlayForever) return;
        auto* field = Control<QSpinBox>("plays");
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, QString::number(plays));
    }
    void ChooseOrder(FrameOrder order) { Control<QComboBox>("playOrder")->setCurrentIndex(static_cast<int>(order)); }
    void ExpectMessages(const QList<Shown>& expected) {
        QCOMPARE(prompts_.messages, expected);
        prompts_.messages.clear();
    }
    // A key pressed in the list.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        List()->setFocus();
        QTest::keyClick(List(), static_cast<Qt::Key>(key), modifiers);
    }
    QImage Picture() { return Control<QLabel>("framePicture")->pixmap().toImage(); }
    // The size in bytes the status line tells.
    qint64 StatusBytes() {
        const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("([0-9,]+) bytes")).match(Status());
        return match.hasMatch() ? match.captured(1).remove(QLatin1Char(',')).toLongLong() : -1;
    }
    void ExpectAnimation(const QString& output, const QList<Shot>& shots, int loop_count) {
        const QString faults = AnimationFaults(output, shots, loop_count);
        QVERIFY2(faults.isEmpty(), qPrintable(faults));
    }
    // Saves through the replaced save dialog into `name`: the file written
    // has the size the status line told before.
    QString Save(const QString& name) {
        const qint64 told = StatusBytes();
        prompts_.save_answer = Path(name);
        ClickOn("makeGif");
        const qint64 written = QFileInfo(prompts_.save_answer).size();
        if (told != written) qWarning("status told %lld bytes, %lld written", told, written);
        return told == written ? prompts_.save_answer : QString();
    }

private slots:
    void initTestCase() {
        // Qt's own file dialog keeps its state in the user's settings folder:
        // never the real one (ctest sets XDG_CONFIG_HOME).
        if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME")) QStandardPaths::setTestModeEnabled(true);
        QVERIFY(dir_.isValid());
        wide_ = Path(QStringLiteral("wide.gif"));
        local_ = Path(QStringLiteral("local frame.gif"));
        text_file_ = Path(QStringLiteral("notes.txt"));
        QVERIFY(WriteAll(wide_, SmallGif(100, 50, '\xF7', 0)));
        QVERIFY(WriteAll(local_, SmallGif(7, 9, '\x91', '\x83')));
        QVERIFY(WriteAll(text_file_, "not a picture\n"));
    }

    void init() {
        prompts_ = FakePrompts();
        const QString settings_file = Path(QStringLiteral("settings.conf"));
        QFile::remove(settings_file);
        settings_ = std::make_unique<QSettings>(settings_file, QSettings::IniFormat);
        OpenWindow(prompts_, Path(QStringLiteral("missing-help.html")));
    }

    void cleanup() {
        window_.reset();
        settings_.reset();
    }

    void startStateAndLayout() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("Zorvane " ZORVANE_VERSION_TEXT));
        QCOMPARE(Model()->rowCount(), 0);
        QVERIFY(!BuildEnabled());
        QCOMPARE(Control<QComboBox>("loop")->currentIndex(), 0);
        QCOMPARE(Text("playsMeaning"), QStringLiteral("plays again and again, without end"));
        QVERIFY(!Control("plays")->isEnabled() && !Control<QCheckBox>("center")->isChecked());
        QVERIFY(Text("frameName").isEmpty() && Text("frameInfo").isEmpty());
        QCOMPARE(DelayText(), QStringLiteral("10"));  // a first start offers a delay
        QVERIFY(!Control("delayHint")->isVisible());
        QCOMPARE(Status(), QStringLiteral("No frames yet"));
        QVERIFY(!Control("undo")->isEnabled() && !Control("redo")->isEnabled());
        QCOMPARE(window_->focusWidget(), List());
        QVERIFY(!window_->windowIcon().pixmap(32).isNull());
        for (const char* name : {"web", "help"}) {
            auto* button = Control<QPushButton>(name);
            QVERIFY(!button->icon().pixmap(button->iconSize()).isNull());
            QVERIFY(!button->toolTip().isEmpty() && !button->accessibleName().isEmpty());
        }
        for (const char* name : {"delay", "delayUnit", "setDelay", "setAllDelays"})
            QVERIFY2(Control(name)->toolTip().contains(QStringLiteral("hundredths")) ||
                         Control(name)->toolTip().contains(QStringLiteral("delay")),
                     name);

        // The controls of the design in their order, the newer ones beside them.
        QStringList order;
        QWidget* widget = List();
        do {
            if (widget->isVisibleTo(window_.get()) && (widget->focusPolicy() & Qt::TabFocus) &&
                !widget->objectName().isEmpty() && !widget->objectName().startsWith(QLatin1String("qt_")))
                order.append(widget->objectName());
            widget = widget->nextInFocusChain();
        } while (widget != List());
        QCOMPARE(order, QStringList({"frameList",    "removeFrame", "clearAll",       "addFrames",   "sortByName",
                                     "undo",         "redo",        "removeUnusable", "delay",       "setDelay",
                                     "setAllDelays", "newDelay",    "scalePercent",   "scaleDelays", "makeGif",
                                     "preview",      "web",         "loop",           "plays",       "playOrder",
                                     "center",       "sizeLimit",   "customLimit",    "smallest",    "fitLimit",
                                     "help"}));
        // "Remove Unusable Files" waits for a file that cannot be used.
        QVERIFY(!Control("removeUnusable")->isEnabled());
        QVERIFY(Control<QCheckBox>("smallest")->isChecked() && !Control("fitLimit")->isEnabled());

        // It can be resized, and the list takes the room it gains.
        QVERIFY(window_->minimumSize() != window_->maximumSize());
        QVERIFY(List()->height() >= 8 * List()->fontMetrics().height());
        const QSize list_before = List()->size();
        window_->resize(window_->size() + QSize(200, 150));
        QTRY_VERIFY(List()->height() >= list_before.height() + 100 && List()->width() > list_before.width());
    }

    // Drops anywhere on the window append local files in order; selection
    // inspects; Remove Frame and Clear All keep the build button in step and
    // leave the panel empty; Clear All is undone.
    void dropsSelectionRemoveAndClear() {
        QVERIFY(Drop({QUrl::fromLocalFile(wide_), QUrl(QStringLiteral("https://example.org/x.gif")),
                      QUrl::fromLocalFile(local_)},
                     List()));
        QVERIFY(BuildEnabled());
        QVERIFY(Drop({QUrl::fromLocalFile(wide_)}, Delay()));
        QVERIFY(Drop({QUrl::fromLocalFile(text_file_)}, Control("frameInfo")));
        QVERIFY(Drop({QUrl::fromLocalFile(Path(QStringLiteral("gone.gif")))}, Control("help")));
        QVERIFY(!Drop({QUrl(QStringLiteral("https://example.org/y.gif"))}, List()));
        QCOMPARE(Entries(), QStringList({"wide.gif", "local frame.gif", "wide.gif", "notes.txt", "gone.gif"}));
        QVERIFY(List()->selectionModel()->selectedIndexes().isEmpty() && Text("frameName").isEmpty());
        // The unusable files are counted, the first the core cannot take
        // named, each marked with its reason in its tooltip.
        QCOMPARE(Status(), QString::fromUtf8("2 unusable files \u00b7 notes.txt (entry 4 of 5): ") + kNotAGif);
        const QString unusable = QStringLiteral("This file cannot be used: ");
        for (int row : {3, 4}) QVERIFY(!Model()->index(row, 0).data(Qt::DecorationRole).isNull());
        QVERIFY(Model()->index(3, 0).data(Qt::ToolTipRole).toString().endsWith(unusable + kNotAGif));
        QVERIFY(Model()->index(4, 0).data(Qt::ToolTipRole).toString().endsWith(unusable + "Could not open file."));
        QVERIFY(Model()->index(0, 0).data(Qt::DecorationRole).isNull());
        // A text too long for the list is cut at its end, the whole of it in
        // the tooltip.
        const QString long_name = Path(QStringLiteral("an-animation-whose-name-is-longer-than-the-list-is-wide.gif"));
        QVERIFY(QFile::copy(wide_, long_name));
        QVERIFY(DropFiles({long_name}));
        const QModelIndex last = Model()->index(5, 0);
        QCOMPARE(List()->textElideMode(), Qt::ElideRight);
        QVERIFY(List()->visualRect(last).right() < List()->viewport()->width());
        QVERIFY(List()->fontMetrics().horizontalAdvance(last.data().toString()) > List()->viewport()->width());
        QVERIFY(last.data(Qt::ToolTipRole).toString().startsWith(last.data().toString()));
        ClickOn("undo");
        QVERIFY(QFile::remove(long_name));

        // Clicked, arrowed onto or shift-selected across, a file that cannot
        // be used says why in the panel, with no box, and leaves nothing of
        // the file shown before.
        const struct {
            const char* how;
            int row;
            const char* name;
            const char* summary;
            const char* problem;
        } selections[] = {{"click", 1, "local frame.gif", kLocalSummary, ""},
                          {"click", 0, "wide.gif", kWideSummary, ""},
                          {"click", 3, "notes.txt", "", kNotAGif},
                          {"click", 0, "wide.gif", kWideSummary, ""},
                          {"click", 4, "gone.gif", "", "Could not open file."},
                          {"click", 4, "gone.gif", "", "Could not open file."},  // clicked again: inspected again
                          {"up", 3, "notes.txt", "", kNotAGif},
                          {"shift+up", 2, "wide.gif", kWideSummary, ""},
                          {"click", 2, "wide.gif", kWideSummary, ""},
                          {"shift+down", 3, "notes.txt", "", kNotAGif}};
        for (const auto& selection : selections) {
            const QString how = QString::fromLatin1(selection.how);
            if (how == QLatin1String("click"))
                ClickEntry(selection.row);
            else
                Key(how.endsWith(QLatin1String("up")) ? Qt::Key_Up : Qt::Key_Down,
                    how.startsWith(QLatin1String("shift")) ? Qt::ShiftModifier : Qt::NoModifier);
            QCOMPARE(Text("frameName"), QString::fromLatin1(selection.name));
            QCOMPARE(Text("frameInfo"), QString::fromLatin1(selection.summary));
            QCOMPARE(Text("frameProblem"), *selection.problem ? unusable + selection.problem : QString());
            QCOMPARE(Picture().isNull(), !*selection.summary);
        }
        // A double click on it inspects it once, as its first click does.
        const QPoint at = EntryPoint(4);
        ClickEntry(4);
        QTest::mousePress(List()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(List()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QVERIFY(prompts_.messages.isEmpty());

        // Both unusable files go at once, as one step.
        QVERIFY(Control("removeUnusable")->isEnabled());
        ClickOn("removeUnusable");
        QCOMPARE(Entries(), QStringList({"wide.gif", "local frame.gif", "wide.gif"}));
        QVERIFY(!Control("removeUnusable")->isEnabled() && Text("frameName").isEmpty());
        QVERIFY2(Status().startsWith(QString::fromUtf8("3 frames \u00b7 ")), qPrintable(Status()));
        ClickOn("undo");
        QCOMPARE(Entries(), QStringList({"wide.gif", "local frame.gif", "wide.gif", "notes.txt", "gone.gif"}));
        ClickEntry(4);

        ClickOn("removeFrame");  // the selected "gone.gif": no neighbour is selected, the panel is empty
        QVERIFY(Selected().isEmpty() && Text("frameName").isEmpty());
        QVERIFY(!Control("removeFrame")->isEnabled());
        QCOMPARE(Entries(), QStringList({"wide.gif", "local frame.gif", "wide.gif", "notes.txt"}));
        ClickEntry(0);
        ClickEntry(2, Qt::ControlModifier);  // both "wide.gif" entries go at once
        Key(Qt::Key_Delete);
        QCOMPARE(Entries(), QStringList({"local frame.gif", "notes.txt"}));
        QVERIFY(Text("frameName").isEmpty() && Text("frameInfo").isEmpty() && Picture().isNull());
        ClickEntry(1);
        ClickOn("clearAll");
        QCOMPARE(Model()->rowCount(), 0);
        QVERIFY(Text("frameName").isEmpty() && !BuildEnabled());
        QCOMPARE(Status(), QStringLiteral("No frames yet"));
        QVERIFY(prompts_.messages.isEmpty());  // "notes.txt", selected on the way, says why in the panel

        Key(Qt::Key_Z, Qt::ControlModifier);  // Clear All, undone
        QCOMPARE(Entries(), QStringList({"local frame.gif", "notes.txt"}));
        QVERIFY(BuildEnabled());
        ClickOn("undo");  // the two removed at once come back at their places
        QCOMPARE(Entries(), QStringList({"wide.gif", "local frame.gif", "wide.gif", "notes.txt"}));
        ClickOn("redo");
        ClickOn("redo");
        QCOMPARE(Model()->rowCount(), 0);
        QVERIFY(!Control("redo")->isEnabled());
    }

    // Whole hundredths from 0 to 65535; anything else is refused as typed.
    // A delay of 0 or 1 gets its hint.
    void delayFieldsTakeWholeHundredthsOnly() {
        // "+" and "-": the arrow keys; anything else is typed into an empty field.
        // A typed 0 is stepped from at once: up to 1 (after 65535 too), down
        // nowhere.
        const char* const steps[][3] = {
            {"50", "50", ""},      {"1.5", "15", ""},      {"abc", "", ""},    {"0.5s", "05", ""}, {"-5", "5", ""},
            {"70000", "7000", ""}, {"65535", "65535", ""}, {"+", "65535", ""}, {"0", "0", "hint"}, {"+", "1", "hint"},
            {"1e3", "13", ""},     {" 7", "7", ""},        {"0", "0", "hint"}, {"-", "0", "hint"}, {"1", "1", "hint"},
            {"-", "0", "hint"},    {"-", "0", "hint"},     {"+", "1", "hint"}, {"+", "2", ""}};
        for (const auto& step : steps) {
            const QString action = QString::fromLatin1(step[0]);
            if (action == QLatin1String("+") || action == QLatin1String("-"))
                QTest::keyClick(Delay(), action == QLatin1String("+") ? Qt::Key_Up : Qt::Key_Down);
            else
                TypeDelay(action);
            QCOMPARE(DelayText(), QString::fromLatin1(step[1]));
            QCOMPARE(Control("delayHint")->isVisible(), *step[2] != 0);
        }
        // Left empty, the field goes back to the delay it held.
        TypeDelay(QStringLiteral("25"));
        TypeDelay(QString());
        List()->setFocus();
        QCOMPARE(DelayText(), QStringLiteral("25"));
        QCOMPARE(Delay()->value(), 25);
    }

    // Each plan the window makes is written as the core writes it from the
    // same plan, at the size the status line told, and giflib reads its
    // frames, delays and looping count back.
    void buildsFollowThePlan() {
        CopyImagesAsTheyAre();
        const QString reds = CorpusPath("all-reds.gif"), table = CorpusPath("local-color-table.gif"),
                      speed = CorpusPath("animation-speed.gif"), interlace = CorpusPath("interlace.gif");
        QVERIFY(DropFiles({reds, table, speed, interlace}));
        ClickEntry(1);
        const struct {
            int delay;  // given to every single-image entry
            uint32_t plays;
            FrameOrder order;
            bool first_only;  // the animated entry
            bool center;
            int loop_count;
            QList<Shot> shots;
        } cases[] = {
            {10,
             kPlayForever,
             FrameOrder::kForward,
             false,
             false,
             0,
             {{reds, 0, 10},
              {table, 0, 10},
              {speed, 0, 25},
              {speed, 1, 50},
              {speed, 2, 100},
              {speed, 3, 200},
              {interlace, 0, 10}}},
            {0,
             1,
             FrameOrder::kForward,
             true,
             false,
             kNoLoopingBlock,
             {{reds, 0, 0}, {table, 0, 0}, {speed, 0, 0}, {interlace, 0, 0}}},
            {65535,
             3,
             FrameOrder::kReverse,
             true,
             true,
             2,
             {{interlace, 0, 65535}, {speed, 0, 65535}, {table, 0, 65535}, {reds, 0, 65535}}},
            {7,
             65536,
             FrameOrder::kBounce,
             true,
             true,
             65535,
             {{reds, 0, 7}, {table, 0, 7}, {speed, 0, 7}, {interlace, 0, 7}, {speed, 0, 7}, {table, 0, 7}}},
            // All images again: the single image selected with it is still
            // its one image, as a first image.
            {10,
             kPlayForever,
             FrameOrder::kForward,
             false,
             false,
             0,
             {{reds, 0, 10},
              {table, 0, 10},
              {speed, 0, 25},
              {speed, 1, 50},
              {speed, 2, 100},
              {speed, 3, 200},
              {interlace, 0, 10}}},
        };
        int n = 0;
        for (const auto& c : cases) {
            TypeDelay(QString::number(c.delay));
            ClickOn("setAllDelays");
            // The animated entry: all its images with their own delays, or
            // its first image only, chosen with a single image selected too
            // (which stays as it is).
            ClickEntry(1);
            ClickEntry(2, Qt::ShiftModifier);
            auto* own = window_->findChild<QAction*>(QStringLiteral("ownDelays"));
            if (!c.first_only && !own->isChecked()) own->trigger();
            if (window_->findChild<QAction*>(QStringLiteral("firstImageOnly"))->isChecked() != c.first_only)
                Key(Qt::Key_1, Qt::ControlModifier);
            ChoosePlays(c.plays);
            ChooseOrder(c.order);
            if (Control<QCheckBox>("center")->isChecked() != c.center) ClickOn("center");
            const QString saved = Save(QStringLiteral("built%1.gif").arg(n++));
            QVERIFY2(!saved.isEmpty(), qPrintable(Status()));
            ExpectAnimation(saved, c.shots, c.loop_count);

            // The same plan made by hand, built by the core: the same bytes.
            BuildPlan plan;
            plan.output = Local(Path(QStringLiteral("reference.gif")));
            plan.plays = c.plays;
            plan.order = c.order;
            plan.center = c.center;
            for (const QString& file : {reds, table, speed, interlace}) {
                PlanEntry entry;
                entry.path = Local(file);
                const bool animated = file == speed;
                entry.images = animated && !c.first_only ? ImageChoice::kAll : ImageChoice::kFirst;
                entry.delay.given = !animated || c.first_only;
                entry.delay.hundredths = static_cast<uint16_t>(c.delay);
                plan.entries.push_back(entry);
            }
            QVERIFY(BuildAnimation(plan).ok);
            QCOMPARE(ReadAll(saved), ReadAll(Path(QStringLiteral("reference.gif"))));
            // The preview plays the same file.
            ClickOn("preview");
            QCOMPARE(prompts_.preview_bytes, ReadAll(saved));
            prompts_.previews.clear();
            QCOMPARE(Status(), QStringLiteral("Saved %1 (%2 bytes)")
                                   .arg(saved, QLocale(QLocale::English).toString(QFileInfo(saved).size())));
        }
        QVERIFY(prompts_.messages.isEmpty());
        QCOMPARE(Model()->rowCount(), 4);
    }

    // The walk-through: an animation and two single images added,
    // the second entry held longer, three plays, sorted by name; saved at
    // the size the status line told. Each step is undone, then redone.
    void aNewUsersAnimationAndItsUndo() {
        CopyImagesAsTheyAre();
        const QString walk = Path(QStringLiteral("frame10.gif")), two = Path(QStringLiteral("frame2.gif")),
                      one = Path(QStringLiteral("frame1.gif"));
        for (const auto& [from, to] : {QPair<QString, QString>(CorpusPath("animation-speed.gif"), walk),
                                       {QStringLiteral(ZORVANE_SAMPLES_DIR "/02-orange.gif"), two},
                                       {QStringLiteral(ZORVANE_SAMPLES_DIR "/01-red.gif"), one}}) {
            QFile::remove(to);
            QVERIFY(QFile::copy(from, to));
        }
        QStringList snapshots = {Snapshot()};
        QVERIFY(DropFiles({walk, two, one}));
        QCOMPARE(Lines(),
                 QStringList({"frame10.gif|4 images|own delays, 3.75 s", "frame2.gif|10 cs", "frame1.gif|10 cs"}));
        snapshots.append(Snapshot());
        ClickEntry(1);
        TypeDelay(QStringLiteral("50"));
        QTest::keyClick(Delay(), Qt::Key_Return);
        QCOMPARE(Lines()[1], QStringLiteral("frame2.gif|50 cs"));
        snapshots.append(Snapshot());
        ChoosePlays(3);
        QCOMPARE(Text("playsMeaning"), QStringLiteral("plays 3 times, then stays on its last frame"));
        snapshots.append(Snapshot());
        ClickOn("sortByName");
        QCOMPARE(Entries(), QStringList({"frame1.gif", "frame2.gif", "frame10.gif"}));
        QCOMPARE(Selected(), QList<int>({1}));  // the selection follows its entry
        snapshots.append(Snapshot());
        QVERIFY(Status().startsWith(QString::fromUtf8("6 frames \u00b7 4.35 s \u00b7 64 x 64 \u00b7 ")));

        const QString saved = Save(QStringLiteral("walk-through.gif"));
        QVERIFY2(!saved.isEmpty(), qPrintable(Status()));
        ExpectAnimation(saved,
                        {{one, 0, 10}, {two, 0, 50}, {walk, 0, 25}, {walk, 1, 50}, {walk, 2, 100}, {walk, 3, 200}}, 2);
        QVERIFY(prompts_.messages.isEmpty());
        // Different options in a row are steps of their own.
        ChoosePlays(5);
        snapshots.append(Snapshot());
        ChooseOrder(FrameOrder::kBounce);
        snapshots.append(Snapshot());
        ClickOn("center");
        snapshots.append(Snapshot());
        ChoosePlays(2);
        snapshots.append(Snapshot());

        for (int step = snapshots.size() - 2; step >= 0; --step) {
            Key(Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(Snapshot(), snapshots[step]);
        }
        QVERIFY(!Control("undo")->isEnabled() && !BuildEnabled());
        for (int step = 1; step < snapshots.size(); ++step) {
            Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(Snapshot(), snapshots[step]);
        }
    }

    // An animated entry's own settings: its first image only (the menu's
    // action and Ctrl+1), one delay for its images or its own; Set All and
    // the scaling; the list, the hint and the total duration follow.
    void perEntryTimingAndImages() {
        const QString speed = CorpusPath("animation-speed.gif"), reds = CorpusPath("all-reds.gif");
        QVERIFY(DropFiles({speed, reds}));
        ClickEntry(0);
        auto* first_only = window_->findChild<QAction*>(QStringLiteral("firstImageOnly"));
        auto* own = window_->findChild<QAction*>(QStringLiteral("ownDelays"));
        QVERIFY(first_only->isEnabled() && !first_only->isChecked() && own->isChecked());
        // The duration as browsers play it (0 and 1 as 10), the one written
        // in the status line's tooltip.
        const struct {
            const char* step;
            const char* lines;
            const char* duration;
            const char* written;  // when it differs
        } steps[] = {
            {"ctrl+1", "animation-speed.gif|first of 4 images|own delay, 25 cs\nall-reds.gif|10 cs", "0.35 s", nullptr},
            {"menu first", "animation-speed.gif|4 images|own delays, 3.75 s\nall-reds.gif|10 cs", "3.85 s", nullptr},
            {"delay 1", "animation-speed.gif|4 images|1 cs each|plays as 10 cs\nall-reds.gif|10 cs", "0.50 s",
             "0.14 s"},
            {"ctrl+1", "animation-speed.gif|first of 4 images|1 cs|plays as 10 cs\nall-reds.gif|10 cs", "0.20 s",
             "0.11 s"},
            {"menu own", "animation-speed.gif|first of 4 images|own delay, 25 cs\nall-reds.gif|10 cs", "0.35 s",
             nullptr},
            {"scale 250", "animation-speed.gif|first of 4 images|own delay, 25 cs\nall-reds.gif|25 cs", "0.50 s",
             nullptr},
            {"set all 3", "animation-speed.gif|first of 4 images|3 cs\nall-reds.gif|3 cs", "0.06 s", nullptr},
            {"set all 15", "animation-speed.gif|first of 4 images|15 cs\nall-reds.gif|15 cs", "0.30 s", nullptr},
            {"scale 110", "animation-speed.gif|first of 4 images|17 cs\nall-reds.gif|17 cs", "0.34 s",
             nullptr},  // 16.5 rounded
            {"set all 3", "animation-speed.gif|first of 4 images|3 cs\nall-reds.gif|3 cs", "0.06 s", nullptr},
            {"scale 1", "animation-speed.gif|first of 4 images|0 cs|plays as 10 cs\nall-reds.gif|0 cs|plays as 10 cs",
             "0.20 s", "0.00 s"},
        };
        QStringList before = {Lines().join('\n')};
        for (const auto& step : steps) {
            const QString name = QString::fromLatin1(step.step);
            if (name == QLatin1String("ctrl+1")) {
                Key(Qt::Key_1, Qt::ControlModifier);
            } else if (name == QLatin1String("menu first")) {
                first_only->trigger();
            } else if (name == QLatin1String("menu own")) {
                own->trigger();
            } else if (name.startsWith(QLatin1String("delay "))) {
                TypeDelay(name.mid(6));
                ClickOn("setDelay");
            } else if (name.startsWith(QLatin1String("set all "))) {
                TypeDelay(name.mid(8));
                ClickOn("setAllDelays");
            } else {
                auto* percent = Control<QSpinBox>("scalePercent");
                percent->setFocus();
                QTest::keyClick(percent, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(percent, name.mid(6));
                ClickOn("scaleDelays");
            }
            QCOMPARE(Lines().join('\n'), QString::fromLatin1(step.lines));
            QVERIFY2(Status().contains(QString::fromUtf8(kSeparator) + step.duration + QString::fromUtf8(kSeparator)),
                     qPrintable(Status()));
            QVERIFY2(Control("planSummary")
                         ->toolTip()
                         .contains(QStringLiteral("Written: ") + (step.written ? step.written : step.duration)),
                     qPrintable(Control("planSummary")->toolTip()));
            before.append(Lines().join('\n'));
        }
        // Each was one step.
        for (int i = before.size() - 2; i >= 0; --i) {
            ClickOn("undo");
            QCOMPARE(Lines().join('\n'), before[i]);
        }
        // A single image has no choice of images or delays of its own.
        ClickEntry(1);
        QVERIFY(!first_only->isEnabled() && !own->isEnabled());
        Key(Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(Lines().join('\n'), before[0]);
    }

    // The size the status line tells is the size written, for every sample
    // alone and for all of them, centred and bouncing; a size limit passed
    // turns it red.
    void theStatusLineTellsTheSizeWritten() {
        const QStringList samples = QDir(QStringLiteral(ZORVANE_SAMPLES_DIR)).entryList({"*.gif"}, QDir::Files);
        QVERIFY(samples.size() >= 6);
        QStringList all;
        int n = 0;
        for (const QString& sample : samples) {
            all.append(QStringLiteral(ZORVANE_SAMPLES_DIR "/") + sample);
            ClickOn("clearAll");
            QVERIFY(DropFiles({all.last()}));
            QVERIFY2(Status().startsWith(QString::fromUtf8("1 frame \u00b7 ")), qPrintable(Status()));
            QVERIFY2(!Save(QStringLiteral("sample%1.gif").arg(n++)).isEmpty(), qPrintable(sample));
        }
        ClickOn("clearAll");
        QVERIFY(DropFiles(all));
        ClickOn("center");
        ChooseOrder(FrameOrder::kBounce);
        QVERIFY(Status().startsWith(QStringLiteral("%1 frames").arg(2 * all.size() - 2)));
        const QString saved = Save(QStringLiteral("samples.gif"));
        QVERIFY2(!saved.isEmpty(), qPrintable(Status()));

        const QColor plain = Control<QLabel>("planSummary")->palette().color(QPalette::WindowText);
        auto* limit = Control<QComboBox>("sizeLimit");
        QCOMPARE(limit->count(), 5);  // None, 2 MB, 5 MB, 10 MB, Custom
        QVERIFY(!Control("customLimit")->isEnabled());
        limit->setCurrentIndex(1);
        QVERIFY(!Status().contains(QStringLiteral("limit")));
        limit->setCurrentIndex(4);
        auto* custom = Control<QDoubleSpinBox>("customLimit");
        QVERIFY(custom->isEnabled());
        const qint64 bytes = StatusBytes();
        // In whole thousands of bytes: a thousand below the size, then above.
        custom->setValue(static_cast<double>((bytes - 1) / 1000) / 1000);
        QVERIFY2(Status().endsWith(QStringLiteral(" bytes \u2014 over the %1 MB limit").arg(custom->value())),
                 qPrintable(Status()));
        QCOMPARE(Control<QLabel>("planSummary")->palette().color(QPalette::WindowText), QColor(Qt::red));
        custom->setValue(static_cast<double>((bytes + 999) / 1000) / 1000);
        QVERIFY(!Status().contains(QStringLiteral("limit")));
        QCOMPARE(Control<QLabel>("planSummary")->palette().color(QPalette::WindowText), plain);
        // Exactly the limit is within it.
        custom->setValue(static_cast<double>(bytes) / 1e6);
        QVERIFY2(!Status().contains(QStringLiteral("limit")), qPrintable(Status()));
        custom->setValue(static_cast<double>(bytes - 1) / 1e6);
        QVERIFY2(Status().contains(QStringLiteral("over the")), qPrintable(Status()));
        // Written smallest, the size is worked out away from the window;
        // copied as they are, the frames' size is known at once.
        ClickOn("smallest");
        QVERIFY2(
            Text("planSummary").endsWith(QStringLiteral(" bytes \u2014 over the %1 MB limit").arg(custom->value())),
            qPrintable(Text("planSummary")));
        ClickOn("smallest");
        QVERIFY2(Text("planSummary").endsWith(QString::fromUtf8("\u00b7 Measuring\u2026")),
                 qPrintable(Text("planSummary")));
        QVERIFY2(Status().contains(QStringLiteral(" bytes")), qPrintable(Status()));
        // An emptied list says so in the plain colour.
        ClickOn("clearAll");
        QCOMPARE(Status(), QStringLiteral("No frames yet"));
        QCOMPARE(Control<QLabel>("planSummary")->palette().color(QPalette::WindowText), plain);
    }

    // A cancelled save writes nothing and leaves the folder remembered for
    // saving as it was.
    void cancelWritesNothingAndTheSaveDialogAsksForAGif() {
        QVERIFY(DropFiles({wide_}));
        const QStringList before = QDir(dir_.path()).entryList(QDir::Files);
        ClickOn("makeGif");  // answered with no file: cancelled
        QCOMPARE(prompts_.save_requests, 1);
        QVERIFY(prompts_.messages.isEmpty());
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), before);
        QVERIFY(Control<QStatusBar>("statusLine")->currentMessage().isEmpty());
        prompts_.save_answer = Path(QStringLiteral("saved.gif"));
        ClickOn("makeGif");
        prompts_.save_answer.clear();
        ClickOn("makeGif");
        ClickOn("makeGif");
        QCOMPARE(prompts_.save_folders, QStringList({QString(), QString(), dir_.path(), dir_.path()}));

        // The name suggested: the first entry's, then the one used last.
        QCOMPARE(prompts_.save_names,
                 QStringList({"wide-animated.gif", "wide-animated.gif", "saved.gif", "saved.gif"}));
        std::unique_ptr<QFileDialog> dialog(
            CreateSaveDialog(window_.get(), dir_.path(), QStringLiteral("wide-animated.gif")));
        QCOMPARE(dialog->selectedFiles(), QStringList({Path(QStringLiteral("wide-animated.gif"))}));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Make Animated GIF"));
        QCOMPARE(dialog->nameFilters(), QStringList({"GIF Files (*.gif)"}));
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("gif"));
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
    }

    // A failure names the file and its place, selects and marks its entry,
    // and leaves the file that was there; the list stays usable.
    void failuresNameTheEntryAndKeepTheOldFile() {
        CopyImagesAsTheyAre();
        RealBoxPrompts real;
        OpenWindow(real, Path(QStringLiteral("missing-help.html")));
        QList<QPair<QString, QMessageBox::Icon>> seen;
        QTimer watcher;  // closes every box that opens, noting what it showed
        connect(&watcher, &QTimer::timeout, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            QCOMPARE(box->windowTitle(), QStringLiteral("Error"));
            seen.append({box->text(), box->icon()});
            box->accept();
        });
        watcher.start(5);

        const QString kept = Path(QStringLiteral("kept.gif"));
        QVERIFY(WriteAll(kept, "what was there"));
        const QString gone = Path(QStringLiteral("gone.gif"));
        QVERIFY(DropFiles({wide_, gone, local_}));
        real.save_answer = kept;
        ClickOn("makeGif");
        const QString gone_text = QStringLiteral("gone.gif (entry 2 of 3): ") + kCouldNotOpen;
        QCOMPARE(Selected(), QList<int>({1}));
        QCOMPARE(Text("frameName"), QStringLiteral("gone.gif"));
        QCOMPARE(Model()->index(1, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
        QCOMPARE(Status(), gone_text);  // once, in red
        QCOMPARE(Control<QLabel>("planSummary")->palette().color(QPalette::WindowText), QColor(Qt::red));
        QVERIFY(Control<QStatusBar>("statusLine")->currentMessage().isEmpty());
        QCOMPARE(ReadAll(kept), QByteArray("what was there"));
        QCOMPARE(QDir(dir_.path()).entryList({"*kept*"}, QDir::Files | QDir::Hidden), QStringList({"kept.gif"}));

        ClickOn("clearAll");
        QVERIFY(DropFiles({wide_, text_file_}));
        ClickOn("makeGif");
        ClickOn("help");
        ClickEntry(0);  // the list stays usable after a box
        QCOMPARE(Text("frameInfo"), kWideSummary);
        ClickEntry(1);
        ClickOn("removeFrame");
        ClickOn("makeGif");
        QCOMPARE(Status(), QStringLiteral("Saved %1 (%2 bytes)").arg(kept).arg(QFileInfo(kept).size()));
        QVERIFY(ReadAll(kept).startsWith("GIF89a"));

        // An animation whose second image is drawn over its first cannot be
        // played backwards as it is: the window says so before saving.
        const QString drawn = Path(QStringLiteral("drawn over.gif"));
        const uint8_t keep = 1 << 2;  // disposal "do not dispose", in the control's packed field
        // Two images of 256 colours each, the second over half the first: the
        // second frame shows more colours than one image can hold.
        const uint8_t local_256 = 0x87;  // a local table of 256 entries
        QVERIFY(WriteFileBytes(Local(drawn), GifBuilder()
                                                 .Header()
                                                 .Screen(32, 32, 0)
                                                 .GraphicControl(keep, 10, 0)
                                                 .ImageDescriptor(0, 0, 32, 32, local_256)
                                                 .ColorTable(256, 0)
                                                 .SimpleImageData(32, 32, 8, 256)
                                                 .GraphicControl(keep, 10, 0)
                                                 .ImageDescriptor(16, 0, 16, 32, local_256)
                                                 .ColorTable(256, 1)
                                                 .SimpleImageData(16, 32, 8, 256)
                                                 .Trailer()
                                                 .bytes()));
        QVERIFY(DropFiles({drawn}));
        const int width = window_->width();
        ChooseOrder(FrameOrder::kReverse);
        const QString backwards = QStringLiteral(
            "drawn over.gif (entry 2 of 2): A frame of it shows more than 256 colours at once, "
            "so it cannot be played backwards.");
        QCOMPARE(Status(), backwards);
        QCoreApplication::sendPostedEvents();  // the layout's requests
        QCOMPARE(window_->width(), width);     // a long message never widens the window
        QVERIFY(!Model()->index(1, 0).data(Qt::DecorationRole).isNull());
        // The refusal is shown, its entry selected, before any dialog opens.
        const int asked = real.save_requests;
        ClickOn("makeGif");
        QCOMPARE(real.save_requests, asked);
        QCOMPARE(Selected(), QList<int>({1}));
        window_->activateWindow();  // as the desktop does when the box closes
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        Key(Qt::Key_1, Qt::ControlModifier);  // its first image alone can
        QVERIFY2(Status().startsWith(QString::fromUtf8("2 frames \u00b7 ")), qPrintable(Status()));
        QVERIFY(Model()->index(1, 0).data(Qt::DecorationRole).isNull());
        // Played forwards with all its images and another frame after it, its
        // leftovers are cleared by a frame the status line explains.
        ChooseOrder(FrameOrder::kForward);
        Key(Qt::Key_1, Qt::ControlModifier);
        QVERIFY(DropFiles({wide_}));
        QVERIFY2(Status().startsWith(QString::fromUtf8(
                     "5 frames (1 added to clear the canvas between animations) \u00b7 0.40 s \u00b7 100 x 50")),
                 qPrintable(Status()));
        real.save_answer = Path(QStringLiteral("cleared.gif"));
        ClickOn("makeGif");
        DecodedGif cleared;
        QVERIFY(SlurpGif(Local(real.save_answer), &cleared));
        QCOMPARE(cleared.images.size(), size_t{5});
        const QList<QPair<QString, QMessageBox::Icon>> expected = {
            {gone_text, QMessageBox::NoIcon},
            {QStringLiteral("notes.txt (entry 2 of 2): ") + kNotAGif, QMessageBox::Warning},
            {QString::fromLatin1(kHelpMissing).arg(dir_.path()), QMessageBox::Warning},
            {backwards, QMessageBox::Warning}};
        QCOMPARE(seen, expected);
    }

    void helpAndWebOpenWithTheDesktopOrSayWhy() {
        ClickOn("web");
        QCOMPARE(prompts_.opened, QList<QUrl>({QUrl(QStringLiteral("https://zorvane.example/"))}));
        QVERIFY(prompts_.messages.isEmpty());
        prompts_.open_succeeds = false;
        ClickOn("web");
        ClickOn("help");  // no help document: the desktop is not even asked
        QCOMPARE(prompts_.opened.size(), 2);
        ExpectMessages(
            {{"Error opening web browser. You may manually surf to https://zorvane.example/.", MessageIcon::kWarning},
             {QString::fromLatin1(kHelpMissing).arg(dir_.path()), MessageIcon::kWarning}});

        const QString help = Path(QStringLiteral("help.html"));
        QVERIFY(WriteAll(help, "<html></html>"));
        window_ = std::make_unique<MainWindow>(prompts_, help, *settings_);
        prompts_ = FakePrompts();
        ClickOn("help");
        QCOMPARE(prompts_.opened, QList<QUrl>({QUrl::fromLocalFile(help)}));
        QVERIFY(prompts_.messages.isEmpty());
        prompts_.open_succeeds = false;
        ClickOn("help");
        QCOMPARE(prompts_.messages.size(), 1);

        // Installed, the page lies in share/zorvane beside the program's bin
        // folder; in the build tree, beside the program. The message names
        // the installed place.
        const QString bin = Path(QStringLiteral("prefix/bin"));
        const QString installed = Path(QStringLiteral("prefix/share/zorvane/zorvane-help.html"));
        const QString beside = bin + QStringLiteral("/zorvane-help.html");
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(QFileInfo(installed).path()));
        QCOMPARE(HelpPagePath(bin), installed);
        window_ = std::make_unique<MainWindow>(prompts_, HelpPagePath(bin), *settings_);
        prompts_ = FakePrompts();
        ClickOn("help");
        ExpectMessages({{QString::fromLatin1(kHelpMissing).arg(QFileInfo(installed).path()), MessageIcon::kWarning}});
        QVERIFY(WriteAll(beside, "<html></html>"));
        QCOMPARE(HelpPagePath(bin), beside);
        QVERIFY(WriteAll(installed, "<html></html>"));
        QCOMPARE(HelpPagePath(bin), installed);
    }

    void enterAndEscapeDoNotCloseAndClosingClearsTheList() {
        QVERIFY(DropFiles({wide_, local_}));
        ClickEntry(0);
        for (QWidget* target : {static_cast<QWidget*>(List()), static_cast<QWidget*>(Delay()), Control("loop"),
                                static_cast<QWidget*>(window_.get())}) {
            target->setFocus();
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) QTest::keyClick(target, key);
        }
        QVERIFY(window_->isVisible());
        QCOMPARE(Model()->rowCount(), 2);
        QCOMPARE(prompts_.save_requests, 0);

        QVERIFY(window_->close());
        QVERIFY(!window_->isVisible());
        QCOMPARE(Model()->rowCount(), 0);
        QVERIFY(Text("frameName").isEmpty() && !BuildEnabled() && !window_->acceptDrops());
    }

    // ---- The Linux window's own ways: adding without dragging, reordering,
    // keys, the frame's picture, the preview, remembered settings.

    // Files chosen in the dialog come in the natural order of their names
    // (frame2 before frame10), as one step to undo.
    void addsFromTheDialogAndTheCommandLineAsADropWould() {
        const QStringList chosen = {CorpusPath("all-reds.gif"), Path(QStringLiteral("b/frame10.gif")),
                                    Path(QStringLiteral("a/Frame2.gif")), CorpusPath("all-greens.gif")};
        prompts_.open_answer = chosen;
        Key(Qt::Key_O, Qt::ControlModifier);
        prompts_.open_answer.clear();
        ClickOn("addFrames");  // cancelled: nothing added
        QCOMPARE(Entries(), QStringList({"all-greens.gif", "all-reds.gif", "Frame2.gif", "frame10.gif"}));
        QCOMPARE(prompts_.open_folders, QStringList({QString(), QFileInfo(chosen[0]).absolutePath()}));
        QVERIFY(BuildEnabled() && Control("preview")->isEnabled());
        QVERIFY(Selected().isEmpty() && Text("frameName").isEmpty() && prompts_.messages.isEmpty());
        ClickOn("undo");
        QCOMPARE(Model()->rowCount(), 0);

        // The command line: Qt's options are gone; names are kept byte for
        // byte and made absolute; a first "--" ends the options.
        const char* const argv[] = {"zorvane", "--", "-dash.gif", "sub/b.gif", "/abs/\xE9t\xE9.gif", "", "--"};
        QCOMPARE(FramePathsFromArguments(7, argv, "/here"),
                 QList<QByteArray>({"/here/-dash.gif", "/here/sub/b.gif", "/abs/\xE9t\xE9.gif", "/here/--"}));
        const char* const no_files[] = {"zorvane"};
        QVERIFY(FramePathsFromArguments(1, no_files, "/here").isEmpty());
        window_->AddFramePaths({QFile::encodeName(wide_), "/abs/\xE9t\xE9.gif"});
        QCOMPARE(Model()->index(1, 0).data(kFramePathRole).toByteArray(), QByteArray("/abs/\xE9t\xE9.gif"));
        QCOMPARE(Model()->rowCount(), 2);
        QVERIFY(Selected().isEmpty());
    }

    // Home selects the first entry (the list's focus marks it without
    // selecting it), Alt+Up/Down move the selected one (the second up onto
    // the first row; the first, or the last, nowhere), Delete removes it,
    // Ctrl+S saves: the saved frames follow the list.
    void keysReorderRemoveAndSave() {
        const QString reds = CorpusPath("all-reds.gif"), greens = CorpusPath("all-greens.gif"),
                      blues = CorpusPath("all-blues.gif"), four = CorpusPath("four-colors.gif");
        Key(Qt::Key_S, Qt::ControlModifier);  // nothing to save yet
        QCOMPARE(prompts_.save_requests, 0);
        QVERIFY(DropFiles({reds, greens, blues, four}));
        List()->setFocus();
        Key(Qt::Key_Home);
        QCOMPARE(Text("frameName"), QStringLiteral("all-reds.gif"));
        const struct {
            int key;
            Qt::KeyboardModifiers modifiers;
            const char* order;
        } steps[] = {{Qt::Key_Down, Qt::AltModifier, "GRBF"}, {Qt::Key_Down, Qt::AltModifier, "GBRF"},
                     {Qt::Key_Up, Qt::AltModifier, "GRBF"},   {Qt::Key_End, Qt::NoModifier, "GRBF"},
                     {Qt::Key_Down, Qt::AltModifier, "GRBF"},  // the last stays last
                     {Qt::Key_Delete, Qt::NoModifier, "GRB"}, {Qt::Key_Home, Qt::NoModifier, "GRB"},
                     {Qt::Key_Down, Qt::NoModifier, "GRB"},   {Qt::Key_Up, Qt::AltModifier, "RGB"},
                     {Qt::Key_Up, Qt::AltModifier, "RGB"}};  // the first stays first
        for (const auto& step : steps) {
            Key(step.key, step.modifiers);
            QString order;
            for (const QString& name : Entries())
                order += name == QLatin1String("four-colors.gif") ? 'F' : name[4].toUpper();
            QCOMPARE(order, QString::fromLatin1(step.order));
        }
        QCOMPARE(Selected(), QList<int>({0}));  // moved or not, still selected
        QCOMPARE(Text("frameName"), QStringLiteral("all-reds.gif"));
        QVERIFY(prompts_.messages.isEmpty());
        ClickOn("undo");  // the move onto the first row was one step; Alt+Up on it added none
        QCOMPARE(Entries(), QStringList({"all-greens.gif", "all-reds.gif", "all-blues.gif"}));
        ClickOn("redo");

        // Several entries move together.
        Key(Qt::Key_Down, Qt::ShiftModifier);
        Key(Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(Entries(), QStringList({"all-blues.gif", "all-reds.gif", "all-greens.gif"}));
        QCOMPARE(Selected(), QList<int>({1, 2}));
        Key(Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(Entries(), QStringList({"all-reds.gif", "all-greens.gif", "all-blues.gif"}));

        TypeDelay(QStringLiteral("12"));
        QTest::keyClick(Delay(), Qt::Key_Home);
        QTest::keyClick(Delay(), Qt::Key_Delete);  // in the delay field, Delete edits the text
        QCOMPARE(DelayText(), QStringLiteral("2"));
        QCOMPARE(Model()->rowCount(), 3);
        QTest::keyClick(Delay(), Qt::Key_Return);  // given to the two selected
        prompts_.save_answer = Path(QStringLiteral("by-keys.gif"));
        QTest::keyClick(Delay(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompts_.save_requests, 1);
        ExpectAnimation(prompts_.save_answer, {{reds, 0, 2}, {greens, 0, 2}, {blues, 0, 10}}, 0);
    }

    // Dragging an entry within the list moves it. A real drag needs a window
    // system: this case runs under Xvfb (qt_window_drag_test).
    void dragReordersTheList() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("needs an X display (qt_window_drag_test)");
        const QStringList frames = {CorpusPath("all-reds.gif"), CorpusPath("all-greens.gif"),
                                    CorpusPath("all-blues.gif")};
        QVERIFY(DropFiles(frames));
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QWindow* const window = window_->windowHandle();
        auto at = [this](int row, int dy) {
            const QRect rect = List()->visualRect(Model()->index(row, 0));
            return List()->viewport()->mapTo(window_.get(), QPoint(rect.center().x(), rect.top() + dy));
        };
        // all-blues, pressed, dragged to the top edge of all-reds and let go;
        // the drag's own event loop runs until the release.
        const QPoint from = at(2, 3), to = at(0, 1);
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, from);
        QTimer::singleShot(100, window, [window, to] { QTest::mouseMove(window, to); });
        QTimer::singleShot(200, window, [window, to] { QTest::mouseMove(window, to + QPoint(0, 1)); });
        QTimer::singleShot(300, window,
                           [window, to] { QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, to); });
        QTest::mouseMove(window, from - QPoint(0, 2));
        QTest::mouseMove(window, from - QPoint(0, 2 * QApplication::startDragDistance() + 4));
        QTRY_COMPARE(Entries(), QStringList({"all-blues.gif", "all-reds.gif", "all-greens.gif"}));
        prompts_.save_answer = Path(QStringLiteral("by-drag.gif"));
        ClickOn("makeGif");
        ExpectAnimation(prompts_.save_answer, {{frames[2], 0, 10}, {frames[0], 0, 10}, {frames[1], 0, 10}}, 0);
        ClickOn("undo");  // the drag was one step
        QCOMPARE(Entries(), QStringList({"all-reds.gif", "all-greens.gif", "all-blues.gif"}));
    }

    // The real save dialog (Ctrl+S), taken to an empty folder, a name typed,
    // then Escape: nothing is written, nothing remembered, nothing said. It
    // runs under Xvfb too (qt_window_save_dialog_test).
    void escapeInTheRealSaveDialogWritesNothing() {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display (qt_window_save_dialog_test)");
        DesktopPrompts desktop;
        OpenWindow(desktop, QString());
        QVERIFY(DropFiles({wide_}));
        QTemporaryDir folder(Path(QStringLiteral("cancelled-XXXXXX")));
        QVERIFY(folder.isValid());
        QStringList seen;  // the titles of the dialogs and the texts of the boxes that opened
        QString typed;
        QWidget* dialog = nullptr;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                seen.append(box->text());
                box->accept();
                return;
            }
            auto* shown = qobject_cast<QFileDialog*>(modal);
            if (!shown || !shown->isVisible()) return;
            QWindow* window = shown->windowHandle();
            if (shown != dialog) {
                dialog = shown;
                seen.append(shown->windowTitle());
                shown->setDirectory(folder.path());
                for (char key : QByteArray("cancelled.gif")) QTest::keyClick(window, key);
                auto* name = qobject_cast<QLineEdit*>(shown->focusWidget());
                typed = name ? name->text() : QString();
            }
            QTest::keyClick(window, Qt::Key_Escape);  // again while a completion shows
        });
        answer.start(20);
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QTest::keyClick(window_->windowHandle(), Qt::Key_S, Qt::ControlModifier);
        answer.stop();
        QCOMPARE(seen, QStringList({"Make Animated GIF"}));
        QCOMPARE(typed, QStringLiteral("cancelled.gif"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
        QVERIFY(!settings_->contains(QStringLiteral("folders/save")));
        QVERIFY(Control<QStatusBar>("statusLine")->currentMessage().isEmpty());
    }

    // The picture is the frame's first image, scaled to fit with its pixels
    // kept sharp; none for a file that is not a GIF.
    void thePictureShowsTheSelectedFrame() {
        QVERIFY(DropFiles({CorpusPath("four-colors.gif"), text_file_, local_}));
        ClickEntry(0);
        const QImage shown = Picture();
        QVERIFY(!shown.isNull());
        QVERIFY(Control<QLabel>("framePicture")->contentsRect().size().boundedTo(shown.size()) == shown.size());
        QCOMPARE(shown.width(), shown.height());
        QVERIFY(shown.width() >= 40);
        const int q = shown.width() / 4;
        QCOMPARE(QColor(shown.pixel(q, q)), QColor(255, 0, 0));
        QCOMPARE(QColor(shown.pixel(3 * q, q)), QColor(0, 255, 0));
        QCOMPARE(QColor(shown.pixel(q, 3 * q)), QColor(0, 0, 255));
        QCOMPARE(QColor(shown.pixel(3 * q, 3 * q)), QColor(255, 255, 255));
        // Each entry of the list shows its first frame in small, when it has one.
        auto* view = qobject_cast<FrameListView*>(List());
        QVERIFY(view);
        const QImage small = view->EntryPicture(QFile::encodeName(CorpusPath("four-colors.gif"))).toImage();
        QVERIFY(!small.isNull() && small.height() <= List()->iconSize().height());
        const QColor top_left(small.pixel(small.width() / 4, small.height() / 4));  // red, smoothed
        QVERIFY2(top_left.red() > 200 && top_left.green() < 60 && top_left.blue() < 60, qPrintable(top_left.name()));
        QVERIFY(view->EntryPicture(QFile::encodeName(text_file_)).isNull());
        ClickEntry(1);
        QVERIFY(prompts_.messages.isEmpty());
        QCOMPARE(Text("frameProblem"), QStringLiteral("This file cannot be used: ") + kNotAGif);
        QVERIFY(Picture().isNull());
        ClickEntry(2);
        QCOMPARE(Picture().size(),
                 QSize(7, 9).scaled(Control<QLabel>("framePicture")->contentsRect().size(), Qt::KeepAspectRatio));
        ClickOn("removeFrame");  // the panel no longer shows the removed frame
        QVERIFY(Picture().isNull() && Text("frameName").isEmpty());
        ClickEntry(0);
        ClickOn("clearAll");
        QVERIFY(Picture().isNull());
    }

    // The preview is built by the core from the list as it stands, in a
    // private temporary folder that is gone afterwards; a failing frame
    // shows the build's message and nothing is played or left behind.
    void previewPlaysWhatWouldBeSavedAndLeavesNothing() {
        CopyImagesAsTheyAre();
        const QByteArray old_tmpdir = qgetenv("TMPDIR");
        const QString temporary = Path(QStringLiteral("tmp"));
        QVERIFY(QDir().mkpath(temporary));
        qputenv("TMPDIR", QFile::encodeName(temporary));
        const QStringList before = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        prompts_.open_answer = {CorpusPath("all-reds.gif"), CorpusPath("animation-speed.gif"), local_};
        ClickOn("addFrames");
        const struct {
            const char* typed;
            uint32_t plays;
            QList<int> delays_ms;
            int loops;  // as Qt reads them: 0 for none, -1 for ever
        } cases[] = {{"7", 1, {70, 250, 500, 1000, 2000, 70}, 0},
                     {"250", kPlayForever, {2500, 250, 500, 1000, 2000, 2500}, -1},
                     {"3", 3, {30, 250, 500, 1000, 2000, 30}, 2}};
        for (const auto& c : cases) {
            TypeDelay(QString::fromLatin1(c.typed));
            ClickOn("setAllDelays");
            ClickEntry(1);
            window_->findChild<QAction*>(QStringLiteral("ownDelays"))->trigger();
            ChoosePlays(c.plays);
            ClickOn("preview");
            QCOMPARE(prompts_.previews.size(), 1);
            QCOMPARE(prompts_.previews[0].frames, 6);
            QCOMPARE(prompts_.previews[0].frame_text, QStringLiteral("frame 1 of 6"));
            QCOMPARE(prompts_.previews[0].delays_ms, c.delays_ms);
            QCOMPARE(prompts_.previews[0].loops, c.loops);
            QVERIFY(prompts_.preview_path.startsWith(temporary + QStringLiteral("/zorvane-preview-")));
            prompts_.previews.clear();
        }
        QVERIFY(!QFileInfo::exists(prompts_.preview_path));

        // A small animation is enlarged by the least whole factor that makes
        // its longer side 160 pixels or more: 7 x 9, 18 times.
        ClickOn("clearAll");
        prompts_.open_answer = {CorpusPath("four-colors.gif"), local_};
        ClickOn("addFrames");
        ClickOn("preview");
        QCOMPARE(prompts_.previews.size(), 1);
        QCOMPARE(prompts_.previews[0].first_frame.size(), QSize(7, 9));
        QCOMPARE(prompts_.previews[0].shown.size(), QSize(126, 162));
        QVERIFY(EnlargedSharply(prompts_.previews[0].shown, OverCheckerboard(prompts_.previews[0].first_frame, 8), 18));
        prompts_.previews.clear();

        // One side past the room is enough to scale down: a very wide, short
        // animation keeps its shape within three quarters of the screen.
        {
            QTemporaryDir elsewhere;
            auto write_gif = [&elsewhere](const char* name, int width, int height) {
                const QString path = elsewhere.filePath(QString::fromLatin1(name));
                const auto w = static_cast<uint16_t>(width), h = static_cast<uint16_t>(height);
                return WriteFileBytes(Local(path), GifBuilder()
                                                       .Header()
                                                       .Screen(w, h, 0xF1)
                                                       .TableFor(0xF1)
                                                       .GraphicControl(0, 10, 0)
                                                       .ImageDescriptor(0, 0, w, h, 0)
                                                       .SimpleImageData(w, h)
                                                       .GraphicControl(0, 20, 0)
                                                       .ImageDescriptor(0, 0, w, h, 0)
                                                       .SimpleImageData(w, h)
                                                       .Trailer()
                                                       .bytes())
                           ? path
                           : QString();
            };
            ClickOn("clearAll");
            prompts_.open_answer = {write_gif("strip.gif", 4000, 12)};
            ClickOn("addFrames");
            ClickOn("preview");
            QCOMPARE(prompts_.previews.size(), 1);
            const QSize room = window_->screen()->availableGeometry().size() * 3 / 4;
            QCOMPARE(prompts_.previews[0].shown.size(), QSize(4000, 12).scaled(room, Qt::KeepAspectRatio));
            prompts_.previews.clear();

            // A 30 x 20 animation joined with a 320 x 240 one plays as the
            // compositor plays the file, and where the small one leaves the
            // canvas transparent a checkerboard shows, not black.
            ClickOn("clearAll");
            prompts_.open_answer = {write_gif("1-small.gif", 30, 20), write_gif("2-large.gif", 320, 240)};
            ClickOn("addFrames");
            ClickOn("preview");
            QCOMPARE(prompts_.previews.size(), 1);
            const Played& joined = prompts_.previews[0];
            QCOMPARE(joined.frames_shown.size(), joined.frames);
            QVERIFY(joined.frames >= 4);
            QCOMPARE(joined.frames_shown, joined.composited);
            QCOMPARE(joined.shown.size(), QSize(320, 240));
            for (const QPoint at : {QPoint(300, 200), QPoint(31, 21), QPoint(0, 239)}) {
                const QColor uncovered(joined.shown.pixel(at));
                QVERIFY2(
                    uncovered != QColor(Qt::black) && uncovered.red() == uncovered.green() && uncovered.red() > 100,
                    qPrintable(uncovered.name()));
            }
            QCOMPARE(QColor(joined.shown.pixel(29, 19)), QColor(joined.first_frame.pixel(29, 19)));
            prompts_.previews.clear();
        }
        ClickOn("clearAll");
        prompts_.open_answer = {CorpusPath("four-colors.gif"), local_};
        ClickOn("addFrames");

        prompts_.previews.clear();

        prompts_.open_answer = {Path(QStringLiteral("gone.gif"))};
        ClickOn("addFrames");
        ClickOn("preview");
        ExpectMessages({{QStringLiteral("gone.gif (entry 3 of 3): ") + kCouldNotOpen, MessageIcon::kPlain}});
        QCOMPARE(Selected(), QList<int>({2}));
        QVERIFY(prompts_.previews.isEmpty());
        QCOMPARE(prompts_.save_requests, 0);
        QCOMPARE(QDir(temporary).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        if (old_tmpdir.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", old_tmpdir);
    }

    // The folders last used for adding and saving, the delay, the size
    // limit and the window's size come back in the next window; the plays,
    // the order and the centring, which belong to one animation, start fresh.
    void settingsComeBackInTheNextWindow() {
        const QString saved = Path(QStringLiteral("saved"));
        QVERIFY(QDir().mkpath(saved));
        prompts_.open_answer = {CorpusPath("all-reds.gif")};
        Key(Qt::Key_O, Qt::ControlModifier);
        prompts_.save_answer = saved + QStringLiteral("/out.gif");
        Key(Qt::Key_S, Qt::ControlModifier);
        // The delay of new frames is another than that of the selected ones.
        TypeDelay(QStringLiteral("25"), "newDelay");
        TypeDelay(QStringLiteral("40"));
        Key(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(Lines(), QStringList({"all-reds.gif|10 cs", "all-reds.gif|25 cs"}));
        ClickOn("smallest");
        ChoosePlays(4);
        ClickOn("center");
        ChooseOrder(FrameOrder::kBounce);
        Control<QComboBox>("sizeLimit")->setCurrentIndex(4);
        Control<QDoubleSpinBox>("customLimit")->setValue(3.5);
        const QSize size = window_->size() + QSize(120, 80);
        window_->resize(size);
        QTRY_COMPARE(window_->size(), size);
        QVERIFY(window_->close());
        window_.reset();
        settings_ = std::make_unique<QSettings>(settings_->fileName(), QSettings::IniFormat);

        OpenWindow(prompts_, QString());
        QCOMPARE(Control<QSpinBox>("newDelay")->value(), 25);
        QCOMPARE(DelayText(), QStringLiteral("10"));
        QVERIFY(!Control<QCheckBox>("smallest")->isChecked());
        QCOMPARE(Text("playsMeaning"), QStringLiteral("plays again and again, without end"));
        QVERIFY(!Control<QCheckBox>("center")->isChecked());
        QCOMPARE(Control<QComboBox>("playOrder")->currentIndex(), 0);
        QCOMPARE(Control<QComboBox>("sizeLimit")->currentIndex(), 4);
        QCOMPARE(Control<QDoubleSpinBox>("customLimit")->value(), 3.5);
        QCOMPARE(window_->size(), size);
        QVERIFY(!Control("undo")->isEnabled());  // what a window starts with is no step
        Key(Qt::Key_O, Qt::ControlModifier);
        Key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompts_.open_folders.last(), QFileInfo(CorpusPath("all-reds.gif")).absolutePath());
        QCOMPARE(prompts_.save_folders, QStringList({QString(), saved}));
        // A folder that has gone since: the dialog's own choice.
        QVERIFY(QDir(saved).removeRecursively());
        Key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompts_.save_folders.last(), QString());

        // Settings of an older version: the delay as typed text, looping as
        // a flag, which no longer carries over.
        window_.reset();
        settings_->clear();
        settings_->setValue(QStringLiteral("build/delay"), QStringLiteral("soon 25"));
        settings_->setValue(QStringLiteral("build/loop"), false);
        OpenWindow(prompts_, QString());
        QCOMPARE(Control<QSpinBox>("newDelay")->value(), 10);
        QVERIFY(Control<QCheckBox>("smallest")->isChecked());
        QCOMPARE(Text("playsMeaning"), QStringLiteral("plays again and again, without end"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
