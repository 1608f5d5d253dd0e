// Shows the desktop window on the current X display with frames dropped on
// it, the second one selected and delay 10, and saves what the display shows.
//
//   qt_window_screenshot OUTPUT.png FRAME.gif...
#include <QApplication>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QUrl>
#include <cstdio>

#include "qt/main_window.h"
#include "qt/user_prompts.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.png FRAME.gif...\n", argv[0]);
        return 2;
    }
    QApplication::setWindowIcon(ProgramIcon());
    DesktopPrompts prompts;
    MainWindow window(prompts, QString());
    window.move(0, 0);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;

    QMimeData data;  // a file manager's drop: enter, then drop
    QList<QUrl> urls;
    for (int i = 2; i < argc; ++i) urls.append(QUrl::fromLocalFile(QFile::decodeName(argv[i])));
    data.setUrls(urls);
    const QPoint at = window.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.windowHandle(), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.windowHandle(), &drop);

    auto* list = window.findChild<QListWidget*>(QStringLiteral("frameList"));
    auto* delay = window.findChild<QWidget*>(QStringLiteral("delay"));
    if (!list || !delay || list->count() < 2) {
        std::fprintf(stderr, "the drop did not reach the frame list\n");
        return 1;
    }
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(1)).center());
    delay->setFocus();
    QTest::keyClicks(delay, QStringLiteral("10"));
    list->setFocus();
    QTest::qWait(300);  // let the window settle before the picture
    const QPixmap shot = window.screen()->grabWindow(window.winId());
    if (shot.isNull() || !shot.save(QFile::decodeName(argv[1]), "PNG")) {
        std::fprintf(stderr, "could not save %s\n", argv[1]);
        return 1;
    }
    return 0;
}
