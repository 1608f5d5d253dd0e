// Shows the desktop window on the current X display with frames dropped on
// it and edited as the README tells (the second entry held for 50
// hundredths, three plays, sorted by name, the second entry selected), and
// saves what the display shows; then the preview of those frames, playing.
//
//   qt_window_screenshot WINDOW.png PREVIEW.png FRAME.gif...
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDropEvent>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstdio>

#include "qt/main_window.h"
#include "qt/user_prompts.h"

namespace {

// Lets the window settle, then saves what the display shows of it.
bool SavePicture(QWidget* window, const char* file) {
    QTest::qWait(400);
    const QPixmap shot = window->screen()->grabWindow(window->winId());
    if (!shot.isNull() && shot.save(QFile::decodeName(file), "PNG")) return true;
    std::fprintf(stderr, "could not save %s\n", file);
    return false;
}

void ClickEntry(QAbstractItemView* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(list->model()->index(row, 0)).center());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s WINDOW.png PREVIEW.png FRAME.gif...\n", argv[0]);
        return 2;
    }
    QApplication::setWindowIcon(ProgramIcon());
    QTemporaryDir settings_folder;  // the picture shows the defaults, not the user's settings
    QSettings settings(settings_folder.filePath(QStringLiteral("zorvane.conf")), QSettings::IniFormat);
    DesktopPrompts prompts;
    MainWindow window(prompts, QString(), settings);
    window.move(0, 0);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;

    QMimeData data;  // a file manager's drop: enter, then drop
    QList<QUrl> urls;
    for (int i = 3; i < argc; ++i) urls.append(QUrl::fromLocalFile(QFile::decodeName(argv[i])));
    data.setUrls(urls);
    const QPoint at = window.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.windowHandle(), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.windowHandle(), &drop);

    auto* list = window.findChild<QAbstractItemView*>(QStringLiteral("frameList"));
    auto* delay = window.findChild<QSpinBox*>(QStringLiteral("delay"));
    auto* loop = window.findChild<QComboBox*>(QStringLiteral("loop"));
    auto* plays = window.findChild<QSpinBox*>(QStringLiteral("plays"));
    auto* sort = window.findChild<QPushButton*>(QStringLiteral("sortByName"));
    auto* preview = window.findChild<QPushButton*>(QStringLiteral("preview"));
    if (!list || !delay || !loop || !plays || !sort || !preview || list->model()->rowCount() < 2) {
        std::fprintf(stderr, "the drop did not reach the frame list\n");
        return 1;
    }
    ClickEntry(list, 1);
    delay->setFocus();
    delay->selectAll();
    QTest::keyClicks(delay, QStringLiteral("50"));
    QTest::keyClick(delay, Qt::Key_Return);
    loop->setCurrentIndex(1);
    plays->setValue(3);
    QTest::mouseClick(sort, Qt::LeftButton);
    ClickEntry(list, 1);
    list->setFocus();
    if (!SavePicture(&window, argv[1])) return 1;

    // The preview runs modally: pictured and closed from within.
    bool previewed = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !QTest::qWaitForWindowExposed(dialog)) {
            std::fprintf(stderr, "no preview window\n");
            QApplication::exit(1);
            return;
        }
        dialog->move(window.geometry().right() + 1, 0);
        previewed = SavePicture(dialog, argv[2]);
        dialog->reject();
    });
    QTest::mouseClick(preview, Qt::LeftButton);
    return previewed ? 0 : 1;
}
