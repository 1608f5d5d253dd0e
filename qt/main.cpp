// zorvane: the desktop program. One window; files dropped on it, chosen in it
// or named on the command line become the frames of an animated GIF.
//
//   zorvane [FILE...]
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QList>
#include <QRect>
#include <QScreen>
#include <QSettings>

#include "qt/main_window.h"
#include "qt/user_prompts.h"

namespace {

const char kProgramName[] = "zorvane";

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProgramName));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kProgramName));
    QApplication::setWindowIcon(ProgramIcon());

    // In the platform's place for a user's settings: on Linux
    // $XDG_CONFIG_HOME/zorvane/zorvane.conf (~/.config by default).
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(kProgramName),
                       QString::fromLatin1(kProgramName));
    DesktopPrompts prompts;
    MainWindow window(prompts, HelpPagePath(QApplication::applicationDirPath()), settings);
    const QList<QByteArray> files = FramePathsFromArguments(argc, argv, QFile::encodeName(QDir::currentPath()));
    if (!files.isEmpty()) window.AddFramePaths(files);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen && !window.RestoredGeometry()) {
        QRect frame(QPoint(), window.size());
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
    QApplication::exec();
    return 0;
}
