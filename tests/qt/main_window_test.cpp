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
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "gif/animation_builder.h"
#include "gif_fixture.h"
#include "giflib_check.h"
#include "qt/user_prompts.h"
#include "zorvane_version.h"

namespace {

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

QString CorpusPath(const char* name) {
    return QStringLiteral(ZORVANE_CORPUS_DIR "/") + QString::fromLatin1(name);
}

// A message's text (or its wrong title) and icon.
using Message = QPair<QString, MessageIcon>;

class FakePrompts final : public UserPrompts {
public:
    QString save_answer;
    int save_requests = 0;
    QList<Message> messages;
    bool open_succeeds = true;
    QList<QUrl> opened;

    QString AskSavePath(QWidget*) override {
        ++save_requests;
        return save_answer;
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
    QString AskSavePath(QWidget*) override { return save_answer; }
    void ShowMessage(QWidget* owner, const QString& title, const QString& text, MessageIcon icon) override {
        desktop_.ShowMessage(owner, title, text, icon);
    }
    bool OpenExternal(const QUrl&) override { return false; }

private:
    DesktopPrompts desktop_;
};

// The same build done with the engine directly.
class ReferenceBuild final : public BuildOptions {
public:
    QByteArray output;
    QList<QByteArray> frames;
    unsigned delay = 0;
    bool loop = true;
    int messages = 0;

    const char* OutputPath() override { return output.constData(); }
    bool LoopFlag() override { return loop; }
    size_t FrameCount() override { return static_cast<size_t>(frames.size()); }
    const char* FramePath(size_t index) override { return frames[static_cast<int>(index)].constData(); }
    unsigned Delay() override { return delay; }
    void ShowMessage(const char*, MessageIcon) override { ++messages; }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString wide_, local_, text_file_;
    FakePrompts prompts_;
    std::unique_ptr<MainWindow> window_;

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
    void ExpectMessages(const QList<Message>& expected) {
        QCOMPARE(prompts_.messages, expected);
        prompts_.messages.clear();
    }

private slots:
    void initTestCase() {
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
        window_ = std::make_unique<MainWindow>(prompts_, Path(QStringLiteral("missing-help.html")));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup() { window_.reset(); }

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
        QCOMPARE(order,
                 QStringList({"frameList", "removeFrame", "clearAll", "delay", "makeGif", "web", "loop", "help"}));

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
        const Message gone = {QStringLiteral("Could not open file."), MessageIcon::kWarning};
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
        QFile list(Path(QStringLiteral("giflib-checks.txt")));
        QVERIFY(list.open(QIODevice::WriteOnly));
        int n = 0;
        for (const auto& c : cases) {
            TypeDelay(QString::fromLatin1(c.typed));
            if (Control<QCheckBox>("loop")->isChecked() != c.loop) ClickOn("loop");
            prompts_.save_answer = Path(QStringLiteral("built%1.gif").arg(n++));
            ClickOn("makeGif");
            QCOMPARE(prompts_.save_requests, n);

            ReferenceBuild reference;
            reference.output = QFile::encodeName(Path(QStringLiteral("reference.gif")));
            for (const QString& frame : frames) reference.frames.append(QFile::encodeName(frame));
            reference.delay = c.delay;
            reference.loop = c.loop;
            BuildAnimation(reference);
            QCOMPARE(reference.messages, 0);
            const QByteArray built = ReadAll(prompts_.save_answer);
            QVERIFY2(!built.isEmpty() && built == ReadAll(QFile::decodeName(reference.output)), c.typed);
            list.write(QFile::encodeName(prompts_.save_answer) + '\t' + QByteArray::number(c.delay) + '\t' +
                       (c.loop ? "1" : "0") + '\t' + QFile::encodeName(frames.join(QLatin1Char('\t'))) + '\n');
        }
        list.close();
        QCOMPARE(CheckAnimationList(QFile::encodeName(list.fileName()).toStdString(), stderr), 0);
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

        std::unique_ptr<QFileDialog> dialog(CreateSaveDialog(window_.get()));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Make Animated GIF"));
        QCOMPARE(dialog->nameFilters(), QStringList({"GIF Files (*.gif)"}));
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("gif"));
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
    }

    void failuresShowTheEngineMessagesInRealBoxes() {
        RealBoxPrompts real;
        window_ = std::make_unique<MainWindow>(real, Path(QStringLiteral("missing-help.html")));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
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
        // The stopped output holds the first frame only, without trailer.
        const QByteArray stopped = ReadAll(Path(QStringLiteral("failed-open.gif")));
        QVERIFY(stopped.startsWith("GIF89a") && !stopped.endsWith(';'));
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
        window_ = std::make_unique<MainWindow>(prompts_, help);
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
        window_ = std::make_unique<MainWindow>(prompts_, HelpPagePath(bin));
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
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
