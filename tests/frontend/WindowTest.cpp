// The main window and the About window, offscreen, through their real widgets
// and Qt's real file dialog; message boxes and the shell are test doubles, and
// settings live in a temporary folder.

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>

#include "AboutWindow.h"
#include "Doubles.h"
#include "MainWindow.h"
#include "QtFileDialog.h"
#include "QtMessageBox.h"
#include "QtSettingsStore.h"
#include "QtText.h"
#ifdef _WIN32
#include <windows.h>

#include "RegistrySettingsStore.h"
#endif
#include "TempTree.h"

namespace ostrel {
namespace {

// A path as the window shows it: in the system's own form, with "\" on Windows.
QString Shown(const fs::path& path) {
    return QDir::toNativeSeparators(QString::fromStdU16String(path.u16string()));
}

class WindowTest : public ::testing::Test {
protected:
    void Open() {
        window = std::make_unique<MainWindow>(MainWindowServices{
            files, user, settings, dialog, shell, [] { return DateTime{2002, 3, 14, 9, 5, 7}; }});
        dialog.SetParent(window.get());
        window->show();
    }
    template <typename T>
    T* Get(const char* name, QWidget* parent = nullptr) {
        T* child = (parent != nullptr ? parent : window.get())->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    // Clicks where a person would: on whatever lies on top at the button's centre.
    void Click(const char* button, QWidget* parent = nullptr) {
        QWidget* target = Get<QPushButton>(button, parent);
        const QPoint at = target->mapTo(target->window(), target->rect().center());
        QWidget* hit = target->window()->childAt(at);
        QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(target->window(), at));
    }
    QString Text(const char* box) { return Get<QLineEdit>(box)->text(); }
    // Drags `path` from a file manager (as a link and as text) onto a box.
    Qt::DropAction Drop(const char* box, const fs::path& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Shown(path))});
        data.setText(Shown(path));
        const auto actions = Qt::MoveAction | Qt::CopyAction;
        QDragEnterEvent enter(QPoint(4, 4), actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(Get<QLineEdit>(box), &enter);
        QDropEvent drop(QPointF(4, 4), actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(Get<QLineEdit>(box), &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }
    // Runs `script` once a modal window of type T shows.
    template <typename T>
    static void WhenShown(std::function<void(T*)> script) {
        QTimer::singleShot(0, [script] {
            T* shown = nullptr;
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return (shown = qobject_cast<T*>(QApplication::activeModalWidget())); }));
            script(shown);
        });
    }
    // Types into the dialog's name box and presses Enter.
    static void TypeAndAccept(QFileDialog* shown, const fs::path& path) {
        auto* name = shown->findChild<QLineEdit*>("fileNameEdit");
        name->clear();
        QTest::keyClicks(name, Shown(path));
        name->completer()->popup()->hide();  // as a first Enter would
        QTest::keyClick(name, Qt::Key_Return);
    }
    // What the dialog lists, once `awaited` is among it (the listing is read
    // in the background).
    static QStringList Listed(QFileDialog* shown, const QString& awaited) {
        auto* view = shown->findChild<QListView*>("listView");
        QStringList names;
        // On a timeout, what is listed tells the story.
        static_cast<void>(QTest::qWaitFor([&] {
            names.clear();
            for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
                names << view->model()->index(row, 0, view->rootIndex()).data().toString();
            }
            return names.contains(awaited);
        }));
        return names;
    }
    void SetText(const char* box, const fs::path& path) {
        Get<QLineEdit>(box)->setText(Shown(path));
    }
    QString Stored(const char* key) { return ini.value(key).toString(); }

    test::TempTree tree;
    test::FaultyFileSystem files;
    test::RecordingUser user;
    QtSettingsStore settings{Shown(tree / "settings")};
    // The same file: QSettings objects of one process share what they hold.
    QSettings ini{Shown(tree / "settings/Ostrel 2.8.conf"), QSettings::IniFormat};
    QtFileDialog dialog;
    test::FakeShell shell;
    std::unique_ptr<MainWindow> window;
};

TEST_F(WindowTest, FirstRunShowsTheDefaultsAndClosingSavesThem) {
    Open();
    EXPECT_EQ(window->focusWidget(), Get<QPushButton>("OKButton"));
    QTest::keyClick(Get<QPushButton>("OKButton"), Qt::Key_Return);
    EXPECT_EQ(user.Calls, test::Names{"message:Convert"});
    EXPECT_EQ(window->windowTitle(), "Ostrel");
    EXPECT_EQ(Get<QLabel>("SampleFilename")->text(),
              "{DT=2002-03-14 @09-05-07}{AL=001}{SH=001}\n{LE=Forward}{FL=Y}{SP=033ms}"
              "{CP=Standard}\n{CO=Paris}.jpg");
    EXPECT_EQ(window->FillOptions(), StoredOptions{});

    Get<QComboBox>("JPGNameFormat")->setCurrentIndex(0);
    EXPECT_EQ(Get<QLabel>("SampleFilename")->text(),
              "2002-03-14 @09-05-07 PIC001 PSN001 Forward FY 033ms Standard Paris.jpg");
    Get<QComboBox>("JPGNameFormat")->setCurrentIndex(2);
    EXPECT_EQ(Get<QLabel>("SampleFilename")->text(),
              "{Date=2002-03-14 @09-05-07}{Album=001}\n{Shot=001}{Lens=Forward}{Flash=Y}{Speed=\n"
              "033ms}{Compression=Standard}{Comment=Pa...");
    Get<QRadioButton>("Option6")->setChecked(true);
    tree.Write("Pics/psn00001.pmp", "");
    tree.Write("Pics/notes.txt", "");
    SetText("SourcePath", tree / "Pics");
    QStringList listed;
    WhenShown<QFileDialog>([&](QFileDialog* shown) {
        EXPECT_EQ(shown->nameFilters(), QStringList{"PMP Files (*.PMP)"});
        listed = Listed(shown, "psn00001.pmp");
        TypeAndAccept(shown, tree.Folder("Other") / "");  // a folder typed in full
    });
    Click("BrowseSourceButton");
    EXPECT_EQ(listed, QStringList{"psn00001.pmp"});
    EXPECT_EQ(Text("SourcePath"), Shown(tree / "Other"));
    Click("CancelButton");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Stored("Main/JPGNameFormat"), "2");
    EXPECT_EQ(Stored("Advanced/IllegalCharacters"), "2");
    EXPECT_EQ(Stored("Main/SourcePath"), Shown(tree / "Other"));
}

TEST_F(WindowTest, CaptionClicksToggleAndDisabledPairsKeepTheirSelection) {
    ini.setValue("Advanced/ExtractEdited", "0");
    ini.setValue("Advanced/ExtractEditedDifferent", "7");  // anything but 1 selects "Always"
    Open();
    auto* option4 = Get<QRadioButton>("Option4");
    EXPECT_TRUE(option4->isChecked() && !option4->isEnabled());
    Get<QTabWidget>("TabStrip1")->setCurrentIndex(1);
    // Clicks on the caption of every enabled box, at its ends and middle, along
    // its top and bottom rows, where the option groups lie close.
    for (QCheckBox* box : window->findChildren<QCheckBox*>()) {
        if (!box->isEnabled() || !box->isVisible()) {
            continue;
        }
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const QRect click =
            box->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, box);
        const int first =
            box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).right() + 3;
        for (const int x : {first, (first + click.right()) / 2, click.right() - 1}) {
            for (const int y : {click.top() + 1, click.bottom() - 1}) {
                const QPoint at = box->mapTo(window.get(), QPoint(x, y));
                QWidget* hit = window->childAt(at);
                const bool was = box->isChecked();
                QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(window.get(), at));
                EXPECT_NE(box->isChecked(), was)
                    << FromQt(box->objectName()) << " at " << x << "," << y;
            }
        }
    }
    EXPECT_FALSE(option4->isEnabled());  // an even number of clicks: as loaded
    Get<QCheckBox>("ExtractEdited")->setChecked(true);
    EXPECT_TRUE(option4->isEnabled() && option4->isChecked());
    window->close();
    EXPECT_EQ(Stored("Advanced/ExtractEditedDifferent"), "2");
}

TEST_F(WindowTest, OkConvertsEndToEnd) {
    tree.Write("S/PIC00002/PSN00001.PMP", test::PmpFile({}, test::EveryByte()));
    tree.Write("S/PIC00002/PSN00001.PMX", "x");
    Open();
    SetText("SourcePath", tree / "S/PIC00002/");
    SetText("OutputPath", tree.Folder("O") / ".");
    Get<QComboBox>("DeleteSourceFiles")->setCurrentIndex(2);
    Get<QComboBox>("JPGNameFormat")->setCurrentIndex(0);
    auto* bar = Get<QProgressBar>("ProgressBar");
    bool barShown = false;
    QTimer poll;  // fires whenever the run lets the window paint
    QObject::connect(&poll, &QTimer::timeout, [&] { barShown |= bar->isVisible(); });
    poll.start(0);
    Click("OKButton");
    EXPECT_TRUE(barShown);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(user.Prompts, (test::Names{"Convert 1 PMP file to JPG?",
                                         "1 PMP file successfully converted to JPG."}));
    EXPECT_EQ(test::ReadBytes(tree / "O/1999-07-04 @14-05-09 Sony DSC-F1 Forward FY 033ms "
                                     "Standard PIC002 PSN001.jpg"),
              test::EveryByte());
    EXPECT_TRUE(fs::is_empty(tree / "S/PIC00002"));
    EXPECT_EQ(Text("SourcePath"), Shown(tree / "S/PIC00002"));
    EXPECT_EQ(Text("OutputPath"), Shown(tree / "O"));
    EXPECT_EQ(bar->value(), 1);
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(WindowTest, NoInputNoDropAndNoClosingWhileARunWorks) {
    Open();
    SetText("SourcePath", "");
    window->SetBusyPointer(true);
    EXPECT_EQ(window->cursor().shape(), Qt::WaitCursor);
    Click("OKButton");
    EXPECT_EQ(Drop("SourcePath", tree.Folder("Pics")), Qt::IgnoreAction);
    QInputMethodEvent typed;
    typed.setCommitString("typed");
    QApplication::sendEvent(Get<QLineEdit>("SourcePath"), &typed);
    EXPECT_FALSE(window->close());
    window->SetBusyPointer(false);
    EXPECT_TRUE(user.Messages.empty());
    EXPECT_EQ(Text("SourcePath"), "");  // neither dropped nor typed
    Click("OKButton");
    EXPECT_EQ(user.Messages.size(), 1U);

    // Idle, a dropped folder fills the box, a dropped file gives its folder,
    // and the file manager is never told that anything moved.
    EXPECT_EQ(Drop("SourcePath", tree / "Pics"), Qt::CopyAction);
    EXPECT_EQ(Text("SourcePath"), Shown(tree / "Pics"));
    tree.Write("Out/PSN00001.PMP", "");
    Drop("OutputPath", tree / "Out/PSN00001.PMP");
    EXPECT_EQ(Text("OutputPath"), Shown(tree / "Out"));
}

TEST_F(WindowTest, TheOutputPickerListsEveryFileAndTakesOnlyAnExistingFolder) {
    tree.Write("Out/README", "");
    Open();
    SetText("OutputPath", tree / "Out");
    QStringList listed;
    QString warning;
    bool keptOpen = false;
    WhenShown<QFileDialog>([&](QFileDialog* shown) {
        EXPECT_EQ(shown->windowTitle(), "Select JPG Output Folder");
        EXPECT_EQ(shown->findChild<QLineEdit*>("fileNameEdit")->text(), "*.*");
        EXPECT_EQ(shown->nameFilters(), QStringList{"All Files (*.*)"});
        listed = Listed(shown, "README");
        WhenShown<QMessageBox>([&](QMessageBox* box) {
            warning = box->text();
            box->accept();
        });
        TypeAndAccept(shown, tree / "missing/new");
        keptOpen = shown->isVisible();
        TypeAndAccept(shown, tree.Folder("Elsewhere"));
    });
    Click("BrowseOutputButton");
    EXPECT_EQ(listed, QStringList{"README"});
    EXPECT_TRUE(keptOpen);
    EXPECT_TRUE(warning.contains("not found")) << FromQt(warning);
    EXPECT_EQ(Text("OutputPath"), Shown(tree / "Elsewhere"));
    EXPECT_TRUE(user.Messages.empty());  // the dialog warned, not the program
}

TEST_F(WindowTest, ReportAtTheEndGathersTheLaterProblemsIntoOneBox) {
    for (const char* name : {"PSN00001.PMP", "PSN00002.PMP", "PSN00003.PMP"}) {
        tree.Write(std::string("S/") + name, test::PmpFile({}, {}));  // no picture data
    }
    Open();
    SetText("SourcePath", tree / "S");
    SetText("OutputPath", tree.Folder("O"));
    user.TickCheckBox = true;
    Click("OKButton");
    ASSERT_EQ(user.Prompts.size(), 4U);
    // The first problem's box offers the check box, unticked.
    EXPECT_EQ(user.Messages[1].Extras.CheckBox, "Report further problems at the end");
    EXPECT_FALSE(user.Messages[1].Extras.Checked);
    EXPECT_TRUE(user.Prompts[1].ends_with("Remainder of conversion will proceed normally."));
    // Ticked, the two others come after the run, together, before the summary.
    EXPECT_EQ(user.Prompts[2],
              "The conversion met 2 further problems. See the details for the list.");
    EXPECT_EQ(user.Messages[2].Kind, MessageKind::Information);
    const std::string& details = user.Messages[2].Extras.Details;
    for (const char* name : {"PSN00001.PMP", "PSN00002.PMP", "PSN00003.PMP"}) {
        const auto mentioned = [&](const std::string& text) {
            return text.find((tree / "S" / name).string()) != std::string::npos;
        };
        EXPECT_NE(mentioned(user.Prompts[1]), mentioned(details)) << name;
    }
    EXPECT_EQ(details.find("Remainder of conversion"), std::string::npos);
    EXPECT_NE(details.find("\ndue to the following problem: The file holds no picture data "
                           "after its 124-byte header.\n\nUnable to convert source file \""),
              std::string::npos)
        << details;
    EXPECT_EQ(user.Prompts[3],
              "0 PMP files successfully converted to JPG.\n\n3 PMP files could not be converted.");

    // Unticked, as the box comes, every problem has its own box again.
    user.TickCheckBox = false;
    user.Prompts.clear();
    Click("OKButton");
    EXPECT_EQ(user.Prompts.size(), 5U);

    // The real box shows the check box and the details, and tells the tick.
    QtMessageBox box(window.get());
    MessageExtras extras{"Report further problems at the end", false, "one\ntwo"};
    WhenShown<QMessageBox>([](QMessageBox* shown) {
        EXPECT_EQ(shown->checkBox()->text(), "Report further problems at the end");
        EXPECT_FALSE(shown->checkBox()->isChecked());
        EXPECT_EQ(shown->detailedText(), "one\ntwo");
        shown->checkBox()->click();
        shown->accept();
    });
    box.ShowWithExtras("Three problems", "Convert", MessageKind::Information, extras);
    EXPECT_TRUE(extras.Checked);
}

TEST_F(WindowTest, AboutWindowLabelsAndLinks) {
    Open();
    shell.Failure = ShellFailure{};
    bool checked = false;
    WhenShown<AboutWindow>([&](AboutWindow* about) {
        EXPECT_EQ(about->windowTitle(), "About Ostrel");
        for (const char* name : {"lblLinkWeb", "lblLinkMail"}) {
            QFont font = Get<QLabel>(name, about)->font();
            EXPECT_TRUE(font.underline());
            font.setUnderline(false);
            EXPECT_EQ(font, about->font()) << name;
            EXPECT_EQ(Get<QLabel>(name, about)->cursor().shape(), Qt::PointingHandCursor);
        }
        QTest::mouseClick(Get<QLabel>("lblLinkWeb", about), Qt::LeftButton);
        QTest::mouseClick(Get<QLabel>("lblLinkMail", about), Qt::LeftButton);
        checked = about->isVisible();  // a failed link leaves the window open
        Click("OKButton", about);
    });
    Get<QTabWidget>("TabStrip1")->setCurrentIndex(1);
    Click("AboutButton");
    EXPECT_TRUE(checked);
    EXPECT_EQ(user.Prompts, (test::Names{"Unable to open \"http://www.calvenor.example\".",
                                         "Unable to open email client."}));
}

#ifdef _WIN32
// The window keeps its options in the registry through QSettings' native
// format; ostrel-convert --from-settings reads them there without Qt, and
// what either writes the other reads, "@" included.
TEST(WindowsRegistry, TheWindowsOptionsAreWhereOstrelConvertReadsThem) {
    const std::string app = "Ostrel Window Test 0.0";
    QtSettingsStore window;
    RegistrySettingsStore convert;
    window.Write(app, "Main", "SourcePath", "C:\\Bilder \xC3\xBC");
    window.Write(app, "Main", "OutputPath", "@D:\\Out");
    convert.Write(app, "Main", "Comment", "@home");
    EXPECT_EQ(convert.Read(app, "Main", "SourcePath", "none"), "C:\\Bilder \xC3\xBC");
    EXPECT_EQ(convert.Read(app, "Main", "OutputPath", "none"), "@D:\\Out");
    EXPECT_EQ(window.Read(app, "Main", "Comment", "none"), "@home");
    EXPECT_EQ(window.Read(app, "Main", "SourcePath", "none"), "C:\\Bilder \xC3\xBC");
    EXPECT_EQ(convert.Read(app, "Other", "SourcePath", "none"), "none");
    QSettings native(QSettings::NativeFormat, QSettings::UserScope, "Ostrel", ToQt(app));
    EXPECT_EQ(native.childGroups(), QStringList{"Main"});
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ostrel\\Ostrel Window Test 0.0");
}
#endif

}  // namespace
}  // namespace ostrel

// Offscreen, in one QApplication.
int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
