// Ostrel: creates the platform services and shows the main window.

#include <QApplication>
#include <QDateTime>
#include <QScreen>
#include <csignal>

#ifdef OSTREL_EXIF
#include "Exiv2ExifEncoder.h"
#endif
#include "MainWindow.h"
#include "QtFileDialog.h"
#include "QtMessageBox.h"
#include "QtSettingsStore.h"
#include "Shell.h"
#include "WindowLook.h"

namespace {

ostrel::DateTime LocalNow() {
    const QDateTime now = QDateTime::currentDateTime();
    return {now.date().year(), now.date().month(),  now.date().day(),
            now.time().hour(), now.time().minute(), now.time().second()};
}

}  // namespace

int main(int argc, char* argv[]) {
#ifdef SIGXFSZ
    // A file-size limit then fails the one write, reported like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    QApplication::setDesktopFileName(QStringLiteral("org.calvenor.Ostrel"));
    // Every window and box of the program in the window's font, whatever the
    // system would give each.
    QApplication::setFont(ostrel::WindowFont());

    const std::unique_ptr<ostrel::FileSystem> files = ostrel::MakeSystemFileSystem();
    ostrel::QtMessageBox messages;
    ostrel::QtSettingsStore settings;
    ostrel::QtFileDialog dialog;
    const std::unique_ptr<ostrel::Shell> shell = ostrel::MakeSystemShell();

#ifdef OSTREL_EXIF
    ostrel::Exiv2ExifEncoder exifEncoder;
    ostrel::ExifEncoder* exif = &exifEncoder;
#else
    ostrel::ExifEncoder* exif = nullptr;
#endif
    ostrel::MainWindow window({*files, messages, settings, dialog, *shell, LocalNow, exif});
    messages.SetParent(&window);
    dialog.SetParent(&window);
    if (const QScreen* screen = window.screen()) {
        window.move(screen->availableGeometry().center() - window.rect().center());
    }
    window.show();
    return QApplication::exec();
}
