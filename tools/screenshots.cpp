// Renders the main window's two tabs and the About window to PNG files, so
// that anyone can see what the program looks like:
//   ostrel-screenshots [--dark] [--suffix TEXT] FOLDER
// Under a scale factor (QT_SCALE_FACTOR=2) the names carry it: main@2x.png.
// --suffix goes before that (main-dejavu@2x.png); --dark draws the windows in
// a dark palette, as a dark desktop theme gives them.

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPalette>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

#include "AboutWindow.h"
#ifdef OSTREL_EXIF
#include "Exiv2ExifEncoder.h"
#endif
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

QPalette DarkPalette() {
    const QColor window(53, 53, 53);
    const QColor text(230, 230, 230);
    const QColor greyed(128, 128, 128);
    QPalette dark;
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::ToolTipBase, window);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::BrightText, Qt::red);
    dark.setColor(QPalette::Link, QColor(100, 170, 255));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        dark.setColor(QPalette::Disabled, role, greyed);
    }
    return dark;
}

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
    QString folder = QStringLiteral(".");
    QString suffix;
    bool dark = false;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--dark")) {
            dark = true;
        } else if (arguments[i] == QLatin1String("--suffix") && i + 1 < arguments.size()) {
            suffix = arguments[++i];
        } else {
            folder = arguments[i];
        }
    }
    if (dark) {
        QApplication::setPalette(DarkPalette());
    }
    QDir().mkpath(folder);
    const qreal scale = app.devicePixelRatio();
    suffix += scale > 1 ? QStringLiteral("@%1x.png").arg(scale) : QStringLiteral(".png");

    QTemporaryDir settingsFolder;  // first-run settings, whatever the user has stored
    ostrel::QtSettingsStore settings(settingsFolder.path());
    const auto files = ostrel::MakeSystemFileSystem();
    Unused unused;
#ifdef OSTREL_EXIF
    ostrel::Exiv2ExifEncoder encoder;  // the box shows as in the program
    ostrel::ExifEncoder* exif = &encoder;
#else
    ostrel::ExifEncoder* exif = nullptr;
#endif
    ostrel::MainWindow window({*files, unused, settings, unused, unused,
                               [] { return ostrel::DateTime{1999, 7, 4, 14, 5, 9}; }, exif});
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
