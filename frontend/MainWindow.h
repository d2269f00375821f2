#pragma once
// Main: the program's one main window. It holds every option, runs the
// conversion request on OK, and is the user interaction service of a run (its
// busy pointer and progress bar; message boxes through the injected service).

#include <QElapsedTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "DateTime.h"
#include "ExifEncoder.h"
#include "FileDialog.h"
#include "FileSystem.h"
#include "MessageBox.h"
#include "SettingsStore.h"
#include "Shell.h"
#include "StoredOptions.h"
#include "UserInteraction.h"

namespace Ui {
class Main;
}

namespace ostrel {

// What the window works with; all of it outlives the window.
struct MainWindowServices {
    FileSystem& Files;
    MessageBox& Messages;
    SettingsStore& Settings;
    FileDialog& Dialog;
    Shell& DesktopShell;
    std::function<DateTime()> Clock;  // the local date and time
    // What writes the Exif data of the box "Exif data for photo libraries";
    // without one (a build without Exiv2), the box is not shown.
    ExifEncoder* Exif = nullptr;
};

class MainWindow : public QWidget, public UserInteraction {
    Q_OBJECT

public:
    // Loads: forms AppName and calls LoadSettings.
    explicit MainWindow(MainWindowServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    const std::string& AppName() const { return appName_; }
    void LoadSettings();
    void SaveSettings();
    // The options as the controls hold them.
    StoredOptions FillOptions() const;

    // UserInteraction
    Answer ShowMessage(const std::string& prompt, const std::string& title,
                       MessageKind kind) override;
    Answer ShowMessageWithExtras(const std::string& prompt, const std::string& title,
                                 MessageKind kind, MessageExtras& extras) override;
    void SetBusyPointer(bool busy) override;
    void SetProgressMaximum(std::int32_t value) override;
    void SetProgressPosition(std::int32_t value) override;
    void SetProgressVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Convert();
    void UpdateSampleFilename();
    void ApplyEnablingRules();
    void BrowseFolder(bool source);
    void ShowAbout();
    // Lets the window paint while a run works, without taking any input.
    void Repaint();
    // Cancel, Escape or closing during a run: asks once, and tells whether the
    // run is to stop.
    bool AskToStop();

    std::unique_ptr<Ui::Main> ui_;
    MainWindowServices services_;
    std::string appName_;
    bool busy_ = false;
    // From the progress bar's showing to the run's end: the run can be stopped.
    bool underWay_ = false;
    bool asking_ = false;
    bool stopRequested_ = false;
    bool closeAfterRun_ = false;
    bool unloaded_ = false;
    QElapsedTimer sinceRepaint_;
};

// Tahoma 8.25 pt where the system has it, else the closest sans-serif.
QFont WindowFont();
QIcon ProgramIcon();
QIcon CompanyLogo();

}  // namespace ostrel
