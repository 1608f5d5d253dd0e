// zorvane: the desktop program. One window; files dropped on it become the
// frames of an animated GIF.
#include <QApplication>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include "qt/main_window.h"
#include "qt/user_prompts.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zorvane"));
    QGuiApplication::setDesktopFileName(QStringLiteral("zorvane"));
    QApplication::setWindowIcon(ProgramIcon());

    DesktopPrompts prompts;
    MainWindow window(prompts, HelpPagePath(QApplication::applicationDirPath()));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), window.size());
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
    QApplication::exec();
    return 0;
}
