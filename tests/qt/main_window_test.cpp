// The desktop window driven as a user would: files dropped from a file
// manager, clicks, typed delays; the save dialog and message boxes answered by
// the test.
#include "qt/main_window.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QMovie>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "gif/build_plan.h"
#include "gif_fixture.h"
#include "giflib_check.h"
#include "qt/preview_dialog.h"
#include "qt/user_prompts.h"
#include "test_support.h"
#include "zorvane_version.h"

namespace {

// The looping block's count for "forever" in the Linux window.
constexpr unsigned kForeverCount = 0;

const char kNotAGif[] = "Not a GIF file, or incorrect version number.";
// %1: the folder the help page is looked for in.
const char kHelpMissing[] = "Couldn't find the help file! Please make sure zorvane-help.html is in %1 and try again.";
const char kWideSummary[] = "100 x 50\nglobal (8 bpp)";
const char kLocalSummary[] = "7 x 9\nlocal (4 bpp)";

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

std::vector<std::string> LocalPaths(const QStringList& paths) {
    std::vector<std::string> local;
    for (const QString& path : paths) local.push_back(QFile::encodeName(path).toStdString());
    return local;
}

// A message's text (or its wrong title) and icon.
using Shown = QPair<QString, MessageIcon>;

// What a preview played: the real preview window's reading of the file.
struct Played {
    int frames;
    int delay_ms;
    int loops;
};

class FakePrompts final : public UserPrompts {
public:
    QStringList open_answer;
    QStringList open_folders;  // where each Add Frames dialog started
    QString save_answer;
    int save_requests = 0;
    QStringList save_folders;
    QList<Shown> messages;
    bool open_succeeds = true;
    QList<QUrl> opened;
    QList<Played> previews;
    QString preview_path;

    QStringList AskOpenPaths(QWidget*, const QString& folder) override {
        open_folders.append(folder);
        return open_answer;
    }
    QString AskSavePath(QWidget*, const QString& folder) override {
        ++save_requests;
        save_folders.append(folder);
        return save_answer;
    }
    void ShowPreview(QWidget* owner, const QString& path) override {
        preview_path = path;
        PreviewDialog dialog(path, owner);
        QMovie* movie = dialog.Movie();
        previews.append({movie->frameCount(), movie->isValid() ? movie->nextFrameDelay() : -1, movie->loopCount()});
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
    QStringList AskOpenPaths(QWidget*, const QString&) override { return {}; }
    QString AskSavePath(QWidget*, const QString&) override { return save_answer; }
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
    QListWidget* List() { return Control<QListWidget>("frameList"); }
    QAbstractSpinBox* Delay() { return Control<QAbstractSpinBox>("delay"); }
    QString Text(const char* label) { return Control<QLabel>(label)->text(); }
    QString DelayText() { return Delay()->findChild<QLineEdit*>()->text(); }
    bool BuildEnabled() { return Control("makeGif")->isEnabled(); }
    void ClickOn(const char* name) { QTest::mouseClick(Control(name), Qt::LeftButton); }
    QString Path(const QString& name) const { return dir_.filePath(name); }

    // Drops on the window at `at` the way a file manager's drag arrives: enter,
    // then drop, through the window system side, with the addresses as text too.
    bool Drop(const QList<QUrl>& urls, QWidget* at) {
        QMimeData data;
        data.setUrls(urls);
        QStringList lines;
        for (const QUrl& url : urls) lines.append(url.toString());
        data.setText(lines.join(QLatin1Char('\n')));
        const QPoint point = at->geometry().center();
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
    void ClickEntry(int row) {
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          List()->visualItemRect(List()->item(row)).center());
    }
    QStringList Entries() {
        QStringList names;
        for (int i = 0; i < List()->count(); ++i) names.append(List()->item(i)->text());
        return names;
    }
    void TypeDelay(const QString& text) {
        Delay()->setFocus();
        QTest::keyClick(Delay(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(Delay(), Qt::Key_Delete);
        QTest::keyClicks(Delay(), text);
    }
    void ExpectMessages(const QList<Shown>& expected) {
        QCOMPARE(prompts_.messages, expected);
        prompts_.messages.clear();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(List(), static_cast<Qt::Key>(key), modifiers);
    }
    QImage Picture() { return Control<QLabel>("framePicture")->pixmap().toImage(); }
    // giflib finds in `output` the first images of `frames`, in this order.
    void ExpectFrames(const QString& output, unsigned delay, bool loop, const QStringList& frames) {
        const std::vector<std::string> faults =
            CheckAnimationFiles(LocalPaths({output})[0], LocalPaths(frames), delay, loop, kForeverCount);
        QVERIFY2(faults.empty(), faults.empty() ? "" : faults.front().c_str());
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

    void startStateAndFixedLayout() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("Zorvane " ZORVANE_VERSION_TEXT));
        QCOMPARE(List()->count(), 0);
        QVERIFY(!BuildEnabled());
        QVERIFY(Control<QCheckBox>("loop")->isChecked());
        QVERIFY(Text("frameName").isEmpty() && Text("frameInfo").isEmpty() && DelayText().isEmpty());
        QCOMPARE(window_->focusWidget(), List());
        QCOMPARE(window_->minimumSize(), window_->maximumSize());
        const Qt::WindowFlags flags = window_->windowFlags();
        QVERIFY((flags & Qt::WindowMinimizeButtonHint) && !(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(!window_->windowIcon().pixmap(32).isNull());
        for (const char* name : {"web", "help"}) {
            auto* button = Control<QPushButton>(name);
            QVERIFY(!button->icon().pixmap(button->iconSize()).isNull());
        }

        QStringList order;
        QWidget* widget = List();
        do {
            if (widget->parentWidget() == window_.get() && (widget->focusPolicy() & Qt::TabFocus))
                order.append(widget->objectName());
            widget = widget->nextInFocusChain();
        } while (widget != List());
        QCOMPARE(order, QStringList({"frameList", "removeFrame", "clearAll", "addFrames", "delay", "makeGif", "preview",
                                     "web", "loop", "help"}));

        // No control overlaps another; every text fits, the widest summary too.
        QList<QWidget*> controls;
        for (QWidget* child : window_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (!qobject_cast<QGroupBox*>(child)) controls.append(child);
        for (int i = 0; i < controls.size(); ++i) {
            QVERIFY(window_->rect().contains(controls[i]->geometry()));
            for (int k = i + 1; k < controls.size(); ++k)
                QVERIFY2(!controls[i]->geometry().intersects(controls[k]->geometry()),
                         qPrintable(controls[i]->objectName() + " / " + controls[k]->objectName()));
        }
        const QString widest = Path(QStringLiteral("widest.gif"));
        QVERIFY(WriteAll(widest, SmallGif(65535, 65535, '\xF7', 0)));
        QVERIFY(DropFiles({widest}));
        ClickEntry(0);
        QCOMPARE(Text("frameInfo"), QStringLiteral("65535 x 65535\nglobal (8 bpp)"));
        QVERIFY(Picture().isNull());  // larger than Qt will draw: no picture
        for (QPushButton* button : window_->findChildren<QPushButton*>())
            QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) < button->width(),
                     qPrintable(button->text()));
        for (QLabel* label : window_->findChildren<QLabel*>()) {
            const QSize text = label->fontMetrics().size(0, label->text());
            QVERIFY2(text.width() <= label->width() && text.height() <= label->height(),
                     qPrintable(label->objectName()));
        }
    }

    // Drops anywhere on the window append local files in order; selection
    // inspects; Remove Frame and Clear All keep the build button in step.
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
        QVERIFY(List()->selectedItems().isEmpty() && Text("frameName").isEmpty() && DelayText().isEmpty());

        const struct {
            int row;
            const char* name;
            const char* summary;
        } selections[] = {{1, "local frame.gif", kLocalSummary},
                          {0, "wide.gif", kWideSummary},
                          {3, "notes.txt", kWideSummary},
                          {4, "gone.gif", kWideSummary},
                          {4, "gone.gif", kWideSummary}};  // the selected entry, clicked: inspected again
        for (const auto& selection : selections) {
            ClickEntry(selection.row);
            QCOMPARE(Text("frameName"), QString::fromLatin1(selection.name));
            QCOMPARE(Text("frameInfo"), QString::fromLatin1(selection.summary));
        }
        // A double click on it inspects it once, as its first click does.
        const QPoint at = List()->visualItemRect(List()->item(4)).center();
        ClickEntry(4);
        QTest::mousePress(List()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(List()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        const Shown gone = {QStringLiteral("Could not open file."), MessageIcon::kWarning};
        ExpectMessages({{kNotAGif, MessageIcon::kWarning}, gone, gone, gone});

        ClickOn("removeFrame");  // the selected "gone.gif": no neighbour is selected or inspected
        QVERIFY(List()->selectedItems().isEmpty());
        QCOMPARE(Text("frameName"), QStringLiteral("gone.gif"));
        QVERIFY(prompts_.messages.isEmpty());
        ClickOn("removeFrame");  // nothing selected: nothing removed
        QCOMPARE(Entries(), QStringList({"wide.gif", "local frame.gif", "wide.gif", "notes.txt"}));
        for (int left = 3; left >= 0; --left) {
            ClickEntry(left == 3 ? 1 : 0);
            ClickOn("removeFrame");
            QCOMPARE(List()->count(), left);
            QCOMPARE(BuildEnabled(), left > 0);
        }
        ExpectMessages({{kNotAGif, MessageIcon::kWarning}});  // "notes.txt", selected on the way
        QVERIFY(DropFiles({local_, wide_}));
        ClickEntry(1);
        ClickOn("clearAll");
        QCOMPARE(List()->count(), 0);
        QVERIFY(Text("frameName").isEmpty() && Text("frameInfo").isEmpty() && !BuildEnabled());
        QVERIFY(prompts_.messages.isEmpty());
    }

    void delayArrowsStepWithinTheirRangeAndTextIsFree() {
        // "+" and "-": the arrow keys; anything else is typed. As with the
        // Windows up-down control, an empty field steps from 0, and text or a
        // number out of range from the position the arrows last read or wrote.
        const char* const steps[][2] = {
            {"+", "1"},   {"-", "0"},       {"-", "0"},         {"999", "999"},   {"+", "1000"}, {"+", "1000"},
            {"5", "5"},   {"-", "4"},       {"70000", "70000"}, {"soon", "soon"}, {"+", "5"},    {"1000", "1000"},
            {"-", "999"}, {"1000", "1000"}, {"+", "1000"},      {"soon", "soon"}, {"+", "soon"}, {"", ""},
            {"+", "1"},   {"", ""},         {"-", ""},          {"soon", "soon"}, {"+", "1"}};
        Delay()->setFocus();
        for (const auto& step : steps) {
            const QString action = QString::fromLatin1(step[0]);
            if (action == QLatin1String("+") || action == QLatin1String("-"))
                QTest::keyClick(Delay(), action == QLatin1String("+") ? Qt::Key_Up : Qt::Key_Down);
            else
                TypeDelay(action);
            QCOMPARE(DelayText(), QString::fromLatin1(step[1]));
        }
    }

    // Builds through the replaced save dialog, each compared byte for byte with
    // the engine's own build and decoded by giflib.
    void buildsMatchTheEngineAndGiflib() {
        const QStringList frames = {CorpusPath("all-reds.gif"), CorpusPath("local-color-table.gif"),
                                    CorpusPath("transparent.gif"), CorpusPath("interlace.gif")};
        QVERIFY(DropFiles(frames));
        ClickEntry(1);
        const struct {
            const char* typed;
            bool loop;
            unsigned delay;
        } cases[] = {{"10", true, 10},    {"", true, 0},     {"70000", false, 4464},
                     {" 25 ", false, 25}, {"ten", false, 0}, {"-5", false, 0}};
        const std::string reference = LocalPaths({Path(QStringLiteral("reference.gif"))})[0];
        int n = 0;
        for (const auto& c : cases) {
            TypeDelay(QString::fromLatin1(c.typed));
            if (Control<QCheckBox>("loop")->isChecked() != c.loop) ClickOn("loop");
            prompts_.save_answer = Path(QStringLiteral("built%1.gif").arg(n++));
            ClickOn("makeGif");
            QCOMPARE(prompts_.save_requests, n);

            BuildPlan plan = DialogPlan(reference, LocalPaths(frames), c.delay, c.loop);
            plan.forever_count = kForeverCount;
            plan.mode = OutputMode::kReplaceWhenDone;
            QVERIFY(RunPlan(plan).messages.empty());
            const QByteArray built = ReadAll(prompts_.save_answer);
            QVERIFY2(!built.isEmpty() && built == ReadAll(QFile::decodeName(reference.c_str())), c.typed);
            ExpectFrames(prompts_.save_answer, c.delay, c.loop, frames);
        }
        // Building changes nothing in the window.
        QVERIFY(prompts_.messages.isEmpty());
        QCOMPARE(List()->count(), 4);
        QCOMPARE(List()->currentRow(), 1);
        QCOMPARE(Text("frameName"), QStringLiteral("local-color-table.gif"));
    }

    void cancelWritesNothingAndTheSaveDialogAsksForAGif() {
        QVERIFY(DropFiles({wide_}));
        const QStringList before = QDir(dir_.path()).entryList(QDir::Files);
        ClickOn("makeGif");  // answered with no file: cancelled
        QCOMPARE(prompts_.save_requests, 1);
        QVERIFY(prompts_.messages.isEmpty());
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), before);

        std::unique_ptr<QFileDialog> dialog(CreateSaveDialog(window_.get(), QString()));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Make Animated GIF"));
        QCOMPARE(dialog->nameFilters(), QStringList({"GIF Files (*.gif)"}));
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("gif"));
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
    }

    void failuresShowTheEngineMessagesInRealBoxes() {
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

        QVERIFY(DropFiles({wide_, Path(QStringLiteral("gone.gif")), local_}));
        real.save_answer = Path(QStringLiteral("failed-open.gif"));
        ClickOn("makeGif");
        ClickOn("clearAll");
        QVERIFY(DropFiles({wide_, text_file_}));
        real.save_answer = Path(QStringLiteral("failed-type.gif"));
        ClickOn("makeGif");
        ClickOn("help");
        ClickEntry(1);
        ClickEntry(0);  // the list stays usable after a box
        QCOMPARE(Text("frameInfo"), kWideSummary);
        const QList<QPair<QString, QMessageBox::Icon>> expected = {
            {"Could not open file. GIF creation aborted.", QMessageBox::NoIcon},
            {kNotAGif, QMessageBox::Warning},
            {QString::fromLatin1(kHelpMissing).arg(dir_.path()), QMessageBox::Warning},
            {kNotAGif, QMessageBox::Warning}};
        QCOMPARE(seen, expected);
        QCOMPARE(Entries(), QStringList({"wide.gif", "notes.txt"}));
        // A failed save leaves no file behind.
        QVERIFY(!QFile::exists(Path(QStringLiteral("failed-open.gif"))));
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
        QCOMPARE(List()->count(), 2);
        QCOMPARE(prompts_.save_requests, 0);

        QVERIFY(window_->close());
        QVERIFY(!window_->isVisible());
        QCOMPARE(List()->count(), 0);
        QVERIFY(Text("frameName").isEmpty() && !BuildEnabled() && !window_->acceptDrops());
    }

    // ---- The Linux window's own ways: adding without dragging, reordering,
    // keys, the frame's picture, the preview, remembered settings.

    void addsFromTheDialogAndTheCommandLineAsADropWould() {
        const QStringList chosen = {CorpusPath("all-greens.gif"), CorpusPath("all-reds.gif")};
        prompts_.open_answer = chosen;
        Key(Qt::Key_O, Qt::ControlModifier);
        prompts_.open_answer.clear();
        ClickOn("addFrames");  // cancelled: nothing added
        QCOMPARE(Entries(), QStringList({"all-greens.gif", "all-reds.gif"}));
        QCOMPARE(prompts_.open_folders, QStringList({QString(), QFileInfo(chosen[0]).absolutePath()}));
        QVERIFY(BuildEnabled() && Control("preview")->isEnabled());
        QVERIFY(List()->selectedItems().isEmpty() && Text("frameName").isEmpty() && prompts_.messages.isEmpty());

        // The command line: Qt's options are gone; names are kept byte for
        // byte and made absolute; a first "--" ends the options.
        const char* const argv[] = {"zorvane", "--", "-dash.gif", "sub/b.gif", "/abs/\xE9t\xE9.gif", "", "--"};
        QCOMPARE(FramePathsFromArguments(7, argv, "/here"),
                 QList<QByteArray>({"/here/-dash.gif", "/here/sub/b.gif", "/abs/\xE9t\xE9.gif", "/here/--"}));
        const char* const no_files[] = {"zorvane"};
        QVERIFY(FramePathsFromArguments(1, no_files, "/here").isEmpty());
        window_->AddFramePaths({QFile::encodeName(wide_), "/abs/\xE9t\xE9.gif"});
        QCOMPARE(List()->item(3)->data(Qt::UserRole).toByteArray(), QByteArray("/abs/\xE9t\xE9.gif"));
        QCOMPARE(List()->count(), 4);
        QVERIFY(List()->selectedItems().isEmpty());
    }

    // Home selects the first entry (the list's focus marks it without
    // selecting it), Alt+Up/Down move the selected one, Delete removes it,
    // Ctrl+S saves: the saved frames follow the list.
    void keysReorderRemoveAndSave() {
        const QString reds = CorpusPath("all-reds.gif"), greens = CorpusPath("all-greens.gif"),
                      blues = CorpusPath("all-blues.gif"), four = CorpusPath("four-colors.gif");
        Key(Qt::Key_S, Qt::ControlModifier);  // nothing to save yet
        QCOMPARE(prompts_.save_requests, 0);
        prompts_.open_answer = {reds, greens, blues, four};
        Key(Qt::Key_O, Qt::ControlModifier);
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
                     {Qt::Key_Up, Qt::AltModifier, "GRB"}};
        for (const auto& step : steps) {
            Key(step.key, step.modifiers);
            QString order;
            for (const QString& name : Entries())
                order += name == QLatin1String("four-colors.gif") ? 'F' : name[4].toUpper();
            QCOMPARE(order, QString::fromLatin1(step.order));
        }
        QCOMPARE(List()->selectedItems().value(0), List()->item(0));  // moved or not, still selected
        QCOMPARE(Text("frameName"), QStringLiteral("all-greens.gif"));
        QVERIFY(prompts_.messages.isEmpty());

        TypeDelay(QStringLiteral("12"));
        QTest::keyClick(Delay(), Qt::Key_Home);
        QTest::keyClick(Delay(), Qt::Key_Delete);  // in the delay field, Delete edits the text
        QCOMPARE(DelayText(), QStringLiteral("2"));
        QCOMPARE(List()->count(), 3);
        prompts_.save_answer = Path(QStringLiteral("by-keys.gif"));
        QTest::keyClick(Delay(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompts_.save_requests, 1);
        ExpectFrames(prompts_.save_answer, 2, true, {greens, reds, blues});
    }

    // Dragging an entry within the list moves it. A real drag needs a window
    // system: this case runs under Xvfb (qt_window_drag_test).
    void dragReordersTheList() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("needs an X display (qt_window_drag_test)");
        const QStringList frames = {CorpusPath("all-reds.gif"), CorpusPath("all-greens.gif"),
                                    CorpusPath("all-blues.gif")};
        prompts_.open_answer = frames;
        ClickOn("addFrames");
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QWindow* const window = window_->windowHandle();
        auto at = [this](int row, int dy) {
            const QRect rect = List()->visualItemRect(List()->item(row));
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
        ExpectFrames(prompts_.save_answer, 0, true, {frames[2], frames[0], frames[1]});
    }

    // The picture is the frame's first image, scaled to fit with its pixels
    // kept sharp; none for a file that is not a GIF.
    void thePictureShowsTheSelectedFrame() {
        prompts_.open_answer = {CorpusPath("four-colors.gif"), text_file_, local_};
        ClickOn("addFrames");
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
        ClickEntry(1);
        ExpectMessages({{kNotAGif, MessageIcon::kWarning}});
        QVERIFY(Picture().isNull());
        ClickEntry(2);
        QCOMPARE(Picture().size(),
                 QSize(7, 9).scaled(Control<QLabel>("framePicture")->contentsRect().size(), Qt::KeepAspectRatio));
        ClickOn("removeFrame");  // the panel keeps the removed frame, picture too
        QVERIFY(!Picture().isNull());
        ClickOn("clearAll");
        QVERIFY(Picture().isNull());
    }

    // The preview is built by the core from the list as it stands, in a
    // private temporary folder that is gone afterwards; a failing frame
    // shows the build's message and nothing is played or left behind.
    void previewPlaysWhatWouldBeSavedAndLeavesNothing() {
        const QByteArray old_tmpdir = qgetenv("TMPDIR");
        const QString temporary = Path(QStringLiteral("tmp"));
        QVERIFY(QDir().mkpath(temporary));
        qputenv("TMPDIR", QFile::encodeName(temporary));
        const QStringList before = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        prompts_.open_answer = {CorpusPath("all-reds.gif"), local_, CorpusPath("interlace.gif")};
        ClickOn("addFrames");
        const struct {
            const char* typed;
            bool loop;
            int delay_ms;
        } cases[] = {{"7", false, 70}, {"250", true, 2500}};
        for (const auto& c : cases) {
            TypeDelay(QString::fromLatin1(c.typed));
            if (Control<QCheckBox>("loop")->isChecked() != c.loop) ClickOn("loop");
            ClickOn("preview");
            QCOMPARE(prompts_.previews.size(), 1);
            QCOMPARE(prompts_.previews[0].frames, 3);
            QCOMPARE(prompts_.previews[0].delay_ms, c.delay_ms);
            QCOMPARE(prompts_.previews[0].loops != 0, c.loop);
            QVERIFY(prompts_.preview_path.startsWith(temporary + QStringLiteral("/zorvane-preview-")));
            prompts_.previews.clear();
        }
        QVERIFY(!QFileInfo::exists(prompts_.preview_path));

        prompts_.open_answer = {Path(QStringLiteral("gone.gif"))};
        ClickOn("addFrames");
        ClickOn("preview");
        ExpectMessages({{"Could not open file. GIF creation aborted.", MessageIcon::kPlain}});
        QVERIFY(prompts_.previews.isEmpty());
        QCOMPARE(prompts_.save_requests, 0);
        QCOMPARE(QDir(temporary).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        if (old_tmpdir.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", old_tmpdir);
    }

    // The folders last used for adding and saving, the delay text and the
    // loop setting come back in the next window.
    void settingsComeBackInTheNextWindow() {
        const QString saved = Path(QStringLiteral("saved"));
        QVERIFY(QDir().mkpath(saved));
        prompts_.open_answer = {CorpusPath("all-reds.gif")};
        Key(Qt::Key_O, Qt::ControlModifier);
        prompts_.save_answer = saved + QStringLiteral("/out.gif");
        Key(Qt::Key_S, Qt::ControlModifier);
        TypeDelay(QStringLiteral("soon 25"));
        ClickOn("loop");
        QVERIFY(window_->close());
        window_.reset();
        settings_ = std::make_unique<QSettings>(settings_->fileName(), QSettings::IniFormat);

        OpenWindow(prompts_, QString());
        QCOMPARE(DelayText(), QStringLiteral("soon 25"));
        QVERIFY(!Control<QCheckBox>("loop")->isChecked());
        Key(Qt::Key_O, Qt::ControlModifier);
        Key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompts_.open_folders.last(), QFileInfo(CorpusPath("all-reds.gif")).absolutePath());
        QCOMPARE(prompts_.save_folders, QStringList({QString(), saved}));
        // A folder that has gone since: the dialog's own choice.
        QVERIFY(QDir(saved).removeRecursively());
        Key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompts_.save_folders.last(), QString());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
