#include "MainWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QMimeData>
#include <optional>

#include "AboutWindow.h"
#include "Accessibility.h"
#include "CaptionFit.h"
#include "ConversionRequest.h"
#include "FolderPicker.h"
#include "Messages.h"
#include "ProgramIdentity.h"
#include "QtText.h"
#include "SampleFilename.h"
#include "Settings.h"
#include "WindowLook.h"
#include "ui_Main.h"

namespace ostrel {
namespace {

// The button that sets a mode to 1 or 2.
QRadioButton* ButtonOf(const QWidget* window, const OptionField& field, long mode) {
    return window->findChild<QRadioButton*>(QLatin1String(field.Buttons[mode == 1 ? 0 : 1]));
}

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::InputMethod:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::Gesture:
        case QEvent::NativeGesture:
            return true;
        default:
            return false;
    }
}

// During a run, the mouse on Cancel and Escape are the only input that reaches
// the window: both ask to stop. Cancel's mnemonic is not let through, as the
// button's animated click could come after the run, when Cancel closes.
bool IsMouseClick(QEvent::Type type) {
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
           type == QEvent::MouseButtonDblClick;
}

bool IsEscape(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    return key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier;
}

// The folder that a drag from a file manager brings: the dragged folder itself,
// or the one that holds the dragged file.
std::optional<QString> DroppedFolder(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || !data->urls().constFirst().isLocalFile()) {
        return std::nullopt;
    }
    const QFileInfo dropped(data->urls().constFirst().toLocalFile());
    return QDir::toNativeSeparators(dropped.isDir() ? QDir::cleanPath(dropped.absoluteFilePath())
                                                    : dropped.absolutePath());
}

// Only a copy or a link: a file manager that was told "moved" would delete
// what the user dragged.
bool AcceptWithoutMoving(QDropEvent* event) {
    for (const Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
        if (event->possibleActions().testFlag(action)) {
            event->setDropAction(action);
            event->accept();
            return true;
        }
    }
    return false;
}

}  // namespace

MainWindow::MainWindow(MainWindowServices services, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::Main>()), services_(std::move(services)) {
    InstallAccessibleInterfaces();
    ui_->setupUi(this);
    setFont(WindowFont());
    QFont classic = WindowFont();
    classic.setFamilies({"MS Sans Serif", "Tahoma", "Liberation Sans", "Arial", "DejaVu Sans"});
    for (QWidget* w : {static_cast<QWidget*>(ui_->BrowseSourceButton),
                       static_cast<QWidget*>(ui_->BrowseOutputButton), ui_->SerialNumberGroup,
                       ui_->RevisedGroup, ui_->IllegalCharactersGroup}) {
        w->setFont(classic);
    }
    setWindowIcon(ProgramIcon());
    // What a screen reader names the pages and the three pairs of buttons by.
    ui_->TabStrip1->setAccessibleName(QStringLiteral("Options"));
    ui_->SerialNumberGroup->setAccessibleName(QStringLiteral("When to add the serial number"));
    ui_->RevisedGroup->setAccessibleName(QStringLiteral("When to include the revised date"));
    ui_->IllegalCharactersGroup->setAccessibleName(
        QStringLiteral("Illegal characters in the comment"));
    // The option groups overlap the captions of the check boxes next to them;
    // on top, every check box takes a click anywhere on its caption.
    for (QCheckBox* box : ui_->ComponentsFrame->findChildren<QCheckBox*>()) {
        box->raise();
    }
    ui_->AboutButton->raise();  // it lies over the end of a check box
    // The box is kept (and its stored value with it) where it cannot work.
    ui_->WriteExifData->setVisible(services_.Exif != nullptr);
    KeepChosenDotsClear();
    // Labels write from the top, so a label's text stands level with the box
    // beside it.
    for (QLabel* label : findChildren<QLabel*>()) {
        label->setAlignment((label->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignTop);
    }
    // Enter presses the button that has the focus, and OK has it first.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(true);
    }
    ui_->OKButton->setFocus();
    // Dropped folders, and Enter, which presses OK from a folder box or a list.
    const std::initializer_list<QWidget*> boxes{ui_->SourcePath,
                                                ui_->OutputPath,
                                                ui_->ProcessSubfolders,
                                                ui_->DeleteSourceFiles,
                                                ui_->DeleteSourceSubfolders,
                                                ui_->JPGNameFormat,
                                                ui_->CommentCodePage};
    for (QWidget* box : boxes) {
        box->installEventFilter(this);
    }

    for (const OptionField& field : OptionTable()) {
        if (field.Kind == OptionKind::List) {
            auto* list = findChild<QComboBox*>(QLatin1String(field.Key));
            for (const std::string_view entry : field.Entries) {
                list->addItem(
                    QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size())));
            }
            list->setCurrentIndex(-1);
        }
    }

    connect(ui_->OKButton, &QPushButton::clicked, this, &MainWindow::Convert);
    connect(ui_->CancelButton, &QPushButton::clicked, this, [this] {
        if (state_ == RunState::Idle) {
            close();
        } else if (Stoppable()) {
            AskToStop();
        }
    });
    connect(ui_->JPGNameFormat, &QComboBox::currentIndexChanged, this,
            &MainWindow::UpdateSampleFilename);
    for (QCheckBox* box : {ui_->AddSerialNumber, ui_->ExtractEdited, ui_->ExtractComment}) {
        connect(box, &QCheckBox::toggled, this, &MainWindow::ApplyEnablingRules);
    }
    connect(ui_->BrowseSourceButton, &QPushButton::clicked, this, [this] { BrowseFolder(true); });
    connect(ui_->BrowseOutputButton, &QPushButton::clicked, this, [this] { BrowseFolder(false); });
    connect(ui_->AboutButton, &QPushButton::clicked, this, &MainWindow::ShowAbout);

    // Load.
    appName_ = FormAppName(identity::Title, identity::Major, identity::Minor);
    LoadSettings();
    FitCaptions(this);
    setFixedSize(size());
}

MainWindow::~MainWindow() = default;

void MainWindow::LoadSettings() {
    // A settings file that cannot be read is not read at all: the first-run
    // options, and a warning once the window shows.
    const std::optional<SettingsProblem> unreadable = services_.Settings.Unreadable(appName_);
    const StoredOptions options =
        unreadable ? StoredOptions{} : LoadOptions(services_.Settings, appName_);
    if (unreadable) {
        QMetaObject::invokeMethod(
            this,
            [this, problem = *unreadable] {
                Show(messages::SettingsUnreadable(problem.Where, problem.Why),
                     messages::LoadSettingsTitle, MessageKind::Warning);
            },
            Qt::QueuedConnection);
    }
    for (const OptionField& field : OptionTable()) {
        const QLatin1String name(field.Key);
        switch (field.Kind) {
            case OptionKind::Text:
                findChild<QLineEdit*>(name)->setText(ToQt(field.Text(options)));
                break;
            case OptionKind::List:
                findChild<QComboBox*>(name)->setCurrentIndex(
                    static_cast<int>(field.Number(options)));
                break;
            case OptionKind::Check:
                findChild<QCheckBox*>(name)->setChecked(field.Number(options) != 0);
                break;
            case OptionKind::ButtonPair:
                // A mode keeps its button while the pair is disabled.
                ButtonOf(this, field, field.Number(options))->setChecked(true);
                break;
        }
    }
    UpdateSampleFilename();
    ApplyEnablingRules();
}

StoredOptions MainWindow::FillOptions() const {
    StoredOptions options;
    for (const OptionField& field : OptionTable()) {
        const QLatin1String name(field.Key);
        switch (field.Kind) {
            case OptionKind::Text:
                field.SetText(options, FromQt(findChild<QLineEdit*>(name)->text()));
                break;
            case OptionKind::List:
                field.SetNumber(options, findChild<QComboBox*>(name)->currentIndex());
                break;
            case OptionKind::Check:
                field.SetNumber(options, findChild<QCheckBox*>(name)->isChecked() ? 1 : 0);
                break;
            case OptionKind::ButtonPair:
                field.SetNumber(options, ButtonOf(this, field, 1)->isChecked() ? 1 : 2);
                break;
        }
    }
    return options;
}

void MainWindow::SaveSettings() {
    SaveOptions(services_.Settings, appName_, FillOptions());
    if (const std::optional<SettingsProblem> problem = services_.Settings.Unwritten(appName_)) {
        Show(messages::SettingsUnwritten(problem->Where, problem->Why), messages::SaveSettingsTitle,
             MessageKind::Warning);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (state_ == RunState::Idle) {
        state_ = RunState::Closing;
        SaveSettings();
        event->accept();
        return;
    }
    // A run is under way: the window closes once it has stopped (Convert).
    // Closed already, it stays so, and the options are not saved again.
    event->ignore();
    if ((state_ == RunState::Converting || state_ == RunState::Stopping) && AskToStop()) {
        state_ = RunState::Closing;
        ShowRun(true);
    }
}

void MainWindow::Convert() {
    const StoredOptions options = FillOptions();
    const std::string home = FromQt(QDir::toNativeSeparators(QDir::homePath()));
    const char separator = QDir::separator().toLatin1();
    RequestFolders folders{ResolveTypedFolder(options.SourcePath, home, separator),
                           ResolveTypedFolder(options.OutputPath, home, separator)};
    RequestSettings settings;
    settings.ShowSourcePath = [this](const std::string& path) {
        ui_->SourcePath->setText(ToQt(path));
    };
    settings.ShowOutputPath = [this](const std::string& path) {
        ui_->OutputPath->setText(ToQt(path));
    };
    const RunConfig run{.Options = EngineOptions(options),
                        .Exif = options.WriteExifData != 0 ? services_.Exif : nullptr,
                        .StopRequested = [this] {
                            return state_ == RunState::Stopping || state_ == RunState::Closing;
                        }};
    try {
        RunConversionRequest(services_.Files, *this, folders, run, settings);
    } catch (const std::exception& error) {
        // Nothing the engine does should end here; if something does (memory
        // runs out), the window stays usable and says so.
        SetBusyPointer(false);
        SetProgressVisible(false);
        Show(error.what(), messages::ConvertTitle, MessageKind::Warning);
    }
    if (state_ == RunState::Closing) {
        // The run is over: the window now closes as it does when idle.
        state_ = RunState::Idle;
        close();
    }
}

bool MainWindow::AskToStop() {
    // One question at a time; once the answer was yes, the run is stopping.
    if (state_ == RunState::Converting) {
        state_ = RunState::AskingToStop;
        MessageExtras noByDefault;
        noByDefault.NoByDefault = true;  // a reflexive Enter lets the run go on
        const bool yes = ShowWithExtras(messages::StopQuestion, messages::ConvertTitle,
                                        MessageKind::Question, noByDefault) == Answer::Yes;
        state_ = yes ? RunState::Stopping : RunState::Converting;
        ShowRun(true);
    }
    return state_ == RunState::Stopping || state_ == RunState::Closing;
}

void MainWindow::UpdateSampleFilename() {
    const auto sample = SampleFilename(static_cast<ListIndex>(ui_->JPGNameFormat->currentIndex()),
                                       services_.Clock());
    if (sample) {
        ui_->SampleFilename->setText(ToQt(*sample));
        FitCaption(ui_->SampleFilename);
    }
}

void MainWindow::ApplyEnablingRules() {
    const std::pair<QCheckBox*, std::pair<QRadioButton*, QRadioButton*>> rules[] = {
        {ui_->AddSerialNumber, {ui_->Option1, ui_->Option2}},
        {ui_->ExtractEdited, {ui_->Option3, ui_->Option4}},
        {ui_->ExtractComment, {ui_->Option5, ui_->Option6}},
    };
    for (const auto& [box, buttons] : rules) {
        buttons.first->setEnabled(box->isChecked());
        buttons.second->setEnabled(box->isChecked());
    }
}

void MainWindow::KeepChosenDotsClear() {
    for (QRadioButton* button : findChildren<QRadioButton*>()) {
        QPalette palette = button->parentWidget()->palette();
        palette.setColor(QPalette::Disabled, QPalette::Text,
                         palette.color(QPalette::Active, QPalette::Text));
        button->setPalette(palette);
    }
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        KeepChosenDotsClear();  // from the new palette
    }
    QWidget::changeEvent(event);
}

void MainWindow::BrowseFolder(bool source) {
    QLineEdit* box = source ? ui_->SourcePath : ui_->OutputPath;
    const char separator = QDir::separator().toLatin1();
    std::string text = ResolveTypedFolder(
        FromQt(box->text()), FromQt(QDir::toNativeSeparators(QDir::homePath())), separator);
    if (RunFolderPicker(source ? PickerKind::Source : PickerKind::Output, text, services_.Dialog,
                        services_.Files, services_.Messages, separator)) {
        box->setText(ToQt(text));
    }
}

void MainWindow::ShowAbout() {
    AboutWindow about(services_.DesktopShell, services_.Messages, this);
    about.exec();
}

Answer MainWindow::ShowWithExtras(const std::string& prompt, const std::string& title,
                                  MessageKind kind, MessageExtras& extras) {
    return services_.Messages.ShowWithExtras(prompt, title, kind, extras);
}

void MainWindow::TakeNoInput() {
    setCursor(Qt::WaitCursor);
    QCoreApplication::instance()->installEventFilter(this);  // once, however often
    sinceRepaint_.start();
}

void MainWindow::SetBusyPointer(bool busy) {
    if (busy) {
        if (state_ == RunState::Idle) {
            state_ = RunState::Counting;
        }
        TakeNoInput();
    } else if (Busy()) {
        // The count or the run has ended: swallow whatever input came in
        // meanwhile (asking nothing more), and let a press of Cancel that began
        // during the run end in no click.
        const bool ran = state_ != RunState::Counting;
        if (ran) {
            ui_->ProgressBar->setValue(position_);  // where the run ended
            if (state_ != RunState::Closing) {
                state_ = RunState::Stopping;
            }
        }
        Repaint();
        ui_->CancelButton->setDown(false);
        QCoreApplication::instance()->removeEventFilter(this);
        unsetCursor();
        if (state_ != RunState::Closing) {
            state_ = RunState::Idle;
        }
        if (ran) {
            ShowRun(false);
        }
    }
}

void MainWindow::SetProgressMaximum(std::int32_t value) {
    ui_->ProgressBar->setMaximum(value);
}

void MainWindow::SetProgressPosition(std::int32_t value) {
    QProgressBar* bar = ui_->ProgressBar;
    // Files added after the count would carry the bar past its end.
    if (value > bar->maximum()) {
        bar->setMaximum(value);
    }
    // A screen reader is told every value the bar takes, and falls behind a
    // flood of them: during a run the bar moves a few times a second, and
    // only when its percentage changes.
    const auto percent = [bar](std::int64_t position) {
        return bar->maximum() > 0 ? position * 100 / bar->maximum() : 0;
    };
    position_ = value;
    if (!Busy() || (sinceValue_.elapsed() >= 250 && percent(value) != percent(bar->value()))) {
        bar->setValue(value);
        sinceValue_.start();
    }
    if (Busy() && sinceRepaint_.elapsed() >= 40) {
        Repaint();
    }
}

void MainWindow::SetProgressVisible(bool visible) {
    ui_->ProgressBar->setVisible(visible);
    if (visible && (state_ == RunState::Idle || state_ == RunState::Counting)) {
        state_ = RunState::Converting;
        TakeNoInput();
        ShowRun(true);
    }
}

void MainWindow::ShowRun(bool running) {
    const QString title = QLatin1String(identity::Title);
    if (!running) {
        setWindowTitle(title);
        ui_->TabStrip1->setEnabled(true);
        ui_->OKButton->setEnabled(true);
        if (focusBeforeRun_ != nullptr) {
            focusBeforeRun_->setFocus();
        }
        return;
    }
    const bool stopping = state_ == RunState::Stopping || state_ == RunState::Closing;
    setWindowTitle(title + (stopping ? QStringLiteral(" \u2013 stopping")
                                     : QStringLiteral(" \u2013 converting")));
    if (ui_->OKButton->isEnabled()) {
        // Cancel, which stops the run, takes the focus until the run ends.
        focusBeforeRun_ = focusWidget();
        ui_->CancelButton->setFocus();
        ui_->TabStrip1->setEnabled(false);
        ui_->OKButton->setEnabled(false);
    }
}

void MainWindow::Repaint() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    sinceRepaint_.restart();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (Busy()) {
        if (watched->isWidgetType() && IsUserInput(event->type()) &&
            static_cast<QWidget*>(watched)->window() == this) {
            if (Stoppable() && IsEscape(event)) {
                ui_->CancelButton->click();
            }
            return !(Stoppable() && watched == ui_->CancelButton && IsMouseClick(event->type()));
        }
    } else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const Qt::KeyboardModifiers held =
            key->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
        if (enter && !held) {
            ui_->OKButton->click();
            return true;
        }
    } else if (watched == ui_->SourcePath || watched == ui_->OutputPath) {
        const auto type = event->type();
        if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const std::optional<QString> folder = DroppedFolder(drop->mimeData());
            if (!folder || !AcceptWithoutMoving(drop)) {
                return false;  // dragged text goes into the box as usual
            }
            if (type == QEvent::Drop) {
                static_cast<QLineEdit*>(watched)->setText(*folder);
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Escape is Cancel, from wherever the focus is (the controls pass it on).
void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        ui_->CancelButton->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace ostrel
