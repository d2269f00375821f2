// Renders the main window's two tabs and the About window to PNG files, so
// that anyone can see what the program looks like: ostrel-screenshots FOLDER.
// Under a scale factor (QT_SCALE_FACTOR=2) the names carry it: main@2x.png.

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

#include "AboutWindow.h"
#include "MainWindow.h"
#include "QtSettingsStore.h"

namespace {

// A picker, message box and shell that are never used here.
class Unused final : public ostrel::FileDialog, public ostrel::MessageBox, public ostrel::Shell {
public:
    std::optional<std::string> ShowOpen(const ostrel::OpenDialogRequest&) override {
        return std::nullopt;
    }
    ostrel::Answer ShowWithExtras(const std::string&, const std::string&, ostrel::MessageKind,
                                  ostrel::MessageExtras&) override {
        return ostrel::Answer::No;
    }
    std::optional<ostrel::ShellFailure> Open(const std::string&) override {
        return ostrel::ShellFailure{};
    }
};

bool Save(QWidget& widget, const QString& path) {
    QApplication::processEvents();
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);
    const qreal scale = app.devicePixelRatio();
    const QString suffix =
        scale > 1 ? QStringLiteral("@%1x.png").arg(scale) : QStringLiteral(".png");

    QTemporaryDir settingsFolder;  // first-run settings, whatever the user has stored
    ostrel::QtSettingsStore settings(settingsFolder.path());
    const auto files = ostrel::MakeSystemFileSystem();
    Unused unused;
    ostrel::MainWindow window({*files, unused, settings, unused, unused,
                               [] { return ostrel::DateTime{1999, 7, 4, 14, 5, 9}; }});
    window.findChild<QLineEdit*>("SourcePath")->setText("/media/camera/PICTURES");
    window.findChild<QLineEdit*>("OutputPath")->setText("/home/me/Pictures/Camera");
    window.show();

    auto* tabs = window.findChild<QTabWidget*>("TabStrip1");
    bool ok = Save(window, folder + "/main" + suffix);
    tabs->setCurrentIndex(1);
    ok = Save(window, folder + "/advanced" + suffix) && ok;

    ostrel::AboutWindow about(unused, unused, &window);
    about.show();
    ok = Save(about, folder + "/about" + suffix) && ok;
    return ok ? 0 : 1;
}
