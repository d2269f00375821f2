#pragma once
// Main: the program's one main window. It holds every option, runs the
// conversion request on OK, and is the user interaction service of a run (its
// busy pointer and progress bar; message boxes through the injected service).

#include <QElapsedTimer>
#include <QPointer>
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

    // UserInteraction; the boxes are the injected service's.
    Answer ShowWithExtras(const std::string& prompt, const std::string& title, MessageKind kind,
                          MessageExtras& extras) override;
    void SetBusyPointer(bool busy) override;
    void SetProgressMaximum(std::int32_t value) override;
    void SetProgressPosition(std::int32_t value) override;
    void SetProgressVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Where the window stands with a run. Only Idle takes input; from
    // Converting on, Cancel, Escape and closing ask to stop.
    enum class RunState {
        Idle,
        Counting,      // the PMP files are counted; this cannot be stopped
        Converting,    // the run works and can be stopped
        AskingToStop,  // "Stop converting?" is open
        Stopping,      // the picture in hand is finished, then the run ends
        Closing,       // as Stopping, then the window closes; and once it has
    };

    void Convert();
    void UpdateSampleFilename();
    void ApplyEnablingRules();
    // The dot of the chosen button of a disabled pair, greyed in the text's
    // disabled colour, can hardly be seen on a dark background: it keeps the
    // enabled colour (the caption alone is greyed).
    void KeepChosenDotsClear();
    void BrowseFolder(bool source);
    void ShowAbout();
    // Lets the window paint while a run works, without taking any input.
    void Repaint();
    // From counting or converting on: the busy pointer, and no input taken.
    void TakeNoInput();
    // A run shows in the title, and the controls, which take no input then,
    // look it; Cancel alone stays.
    void ShowRun(bool running);
    // Cancel, Escape or closing during a run: asks once, and tells whether the
    // run is to stop.
    bool AskToStop();
    bool Busy() const { return state_ != RunState::Idle; }
    // From the progress bar's showing to the run's end.
    bool Stoppable() const { return state_ != RunState::Idle && state_ != RunState::Counting; }

    std::unique_ptr<Ui::Main> ui_;
    MainWindowServices services_;
    std::string appName_;
    RunState state_ = RunState::Idle;
    QPointer<QWidget> focusBeforeRun_;
    std::int32_t position_ = 0;  // the run's, which the bar shows a few times a second
    QElapsedTimer sinceValue_;   // since the bar last took a value
    QElapsedTimer sinceRepaint_;
};

}  // namespace ostrel
