// The main window and the About window, offscreen, with every dialog, message
// box and the shell answered by test doubles and settings in a temporary folder.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "AboutWindow.h"
#include "FrontendDoubles.h"
#include "MainWindow.h"
#include "QtServices.h"
#include "TempTree.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

class WindowTest : public ::testing::Test {
  protected:
    std::unique_ptr<MainWindow> Open() {
        auto window = std::make_unique<MainWindow>(
            MainWindowServices{files, messages, settings, dialog, shell,
                               [] { return DateTime{2002, 3, 14, 9, 5, 7}; }});
        window->show();
        return window;
    }

    template <typename T>
    static T* Find(QWidget* window, const char* name) {
        T* child = window->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    QSettings Stored() const {
        return QSettings(ToQt((tree / "settings/Ostrel 2.8.conf").string()), QSettings::IniFormat);
    }

    void Store(const char* key, const char* value) {
        QSettings stored = Stored();
        stored.setValue(key, value);
    }

    void Click(QWidget* window, const char* button) {
        QTest::mouseClick(Find<QPushButton>(window, button), Qt::LeftButton);
    }

    std::vector<std::string> Prompts() const {
        std::vector<std::string> prompts;
        for (const auto& shown : messages.Shown) {
            prompts.push_back(shown.Prompt);
        }
        return prompts;
    }

    test::TempTree tree;
    test::FaultyFileSystem files;
    test::RecordingMessageBox messages;
    QtSettingsStore settings{ToQt((tree / "settings").string())};
    test::ScriptedFileDialog dialog;
    test::FakeShell shell;
};

TEST_F(WindowTest, FirstRunShowsTheDefaultsAndClosingWritesAll21Keys) {
    auto window = Open();
    EXPECT_EQ(window->windowTitle(), "Ostrel");
    EXPECT_EQ(window->size(), QSize(385, 413));
    EXPECT_EQ(window->AppName(), "Ostrel 2.8");
    const QString home = ToQt(DefaultFolder());
    EXPECT_EQ(Find<QLineEdit>(window.get(), "SourcePath")->text(), home);
    EXPECT_EQ(Find<QComboBox>(window.get(), "ProcessSubfolders")->currentText(), "Do nothing");
    EXPECT_EQ(Find<QComboBox>(window.get(), "DeleteSourceSubfolders")->count(), 2);
    EXPECT_EQ(Find<QComboBox>(window.get(), "JPGNameFormat")->currentText(),
              "History Data 2.x (with short attribute names)");
    EXPECT_EQ(Find<QLabel>(window.get(), "SampleFilename")->text(),
              "{DT=2002-03-14 @09-05-07}{AL=001}{SH=001}\n{LE=Forward}{FL=Y}{SP=033ms}"
              "{CP=Standard}\n{CO=Paris}.jpg");
    for (const char* option : {"Option1", "Option3", "Option5"}) {
        EXPECT_TRUE(Find<QRadioButton>(window.get(), option)->isChecked()) << option;
        EXPECT_TRUE(Find<QRadioButton>(window.get(), option)->isEnabled()) << option;
    }
    EXPECT_FALSE(Find<QCheckBox>(window.get(), "ExtractRecorded")->isEnabled());
    EXPECT_FALSE(Find<QProgressBar>(window.get(), "ProgressBar")->isVisible());
    EXPECT_EQ(window->FillOptions(), ConversionOptions{});

    window->close();
    QSettings stored = Stored();
    EXPECT_EQ(stored.allKeys().size(), 21);
    EXPECT_EQ(stored.value("Main/SourcePath").toString(), home);
    EXPECT_EQ(stored.value("Main/JPGNameFormat").toString(), "1");
    EXPECT_EQ(stored.value("Advanced/SerialNumberMode").toString(), "1");
    EXPECT_EQ(stored.value("Advanced/DeviceName").toString(), "Sony DSC-F1");
}

TEST_F(WindowTest, StoredModesOtherThanOneSelectTheSecondButtonAndSaveAsTwo) {
    for (const char* value : {"0", "3", "7", "255"}) {
        Store("Advanced/SerialNumberMode", value);
        Store("Advanced/ExtractEditedDifferent", value);
        Store("Advanced/IllegalCharacters", value);
        auto window = Open();
        for (const char* option : {"Option2", "Option4", "Option6"}) {
            EXPECT_TRUE(Find<QRadioButton>(window.get(), option)->isChecked()) << value;
        }
        window->close();
        EXPECT_EQ(Stored().value("Advanced/SerialNumberMode").toString(), "2");
        EXPECT_EQ(Stored().value("Advanced/IllegalCharacters").toString(), "2");
    }
}

TEST_F(WindowTest, DisabledPairsKeepTheirSelection) {
    Store("Advanced/ExtractEdited", "0");
    Store("Advanced/ExtractEditedDifferent", "2");
    Store("Main/JPGNameFormat", "nonsense");
    auto window = Open();
    auto* option3 = Find<QRadioButton>(window.get(), "Option3");
    auto* option4 = Find<QRadioButton>(window.get(), "Option4");
    EXPECT_FALSE(option3->isEnabled());
    EXPECT_FALSE(option4->isEnabled());
    EXPECT_TRUE(option4->isChecked());
    EXPECT_EQ(window->FillOptions().ExtractEditedDifferent, 2);
    EXPECT_EQ(window->FillOptions().JPGNameFormat, 1);

    auto* comment = Find<QCheckBox>(window.get(), "ExtractComment");
    comment->setChecked(false);
    EXPECT_FALSE(Find<QRadioButton>(window.get(), "Option5")->isEnabled());
    EXPECT_FALSE(Find<QRadioButton>(window.get(), "Option6")->isEnabled());
    comment->setChecked(true);
    EXPECT_TRUE(Find<QRadioButton>(window.get(), "Option5")->isChecked());
    Find<QCheckBox>(window.get(), "ExtractEdited")->setChecked(true);
    EXPECT_TRUE(option4->isEnabled() && option4->isChecked());
}

TEST_F(WindowTest, SampleFilenameOfEachFormat) {
    auto window = Open();
    auto* format = Find<QComboBox>(window.get(), "JPGNameFormat");
    auto* sample = Find<QLabel>(window.get(), "SampleFilename");
    format->setCurrentIndex(0);
    EXPECT_EQ(sample->text(),
              "2002-03-14 @09-05-07 PIC001 PSN001 Forward FY 033ms Standard Paris.jpg");
    format->setCurrentIndex(2);
    EXPECT_EQ(sample->text(),
              "{Date=2002-03-14 @09-05-07}{Album=001}\n{Shot=001}{Lens=Forward}{Flash=Y}{Speed=\n"
              "033ms}{Compression=Standard}{Comment=Pa...");
    format->setCurrentIndex(-1);
    EXPECT_TRUE(sample->text().startsWith("{Date="));
}

TEST_F(WindowTest, TabsShowTheirPagesWithValuesKept) {
    auto window = Open();
    auto* tabs = Find<QTabWidget>(window.get(), "TabStrip1");
    Find<QLineEdit>(window.get(), "SourcePath")->setText("typed");
    tabs->setCurrentIndex(1);
    EXPECT_TRUE(Find<QWidget>(window.get(), "TabFrame2")->isVisible());
    EXPECT_FALSE(Find<QWidget>(window.get(), "TabFrame1")->isVisible());
    tabs->setCurrentIndex(0);
    EXPECT_TRUE(Find<QWidget>(window.get(), "TabFrame1")->isVisible());
    EXPECT_EQ(Find<QLineEdit>(window.get(), "SourcePath")->text(), "typed");
}

TEST_F(WindowTest, OkConvertsEndToEnd) {
    test::Header header;
    tree.Write("S/PIC00002/PSN00001.PMP", test::PmpFile(header, test::EveryByte()));
    tree.Write("S/PIC00002/PSN00001.PMX", "x");
    tree.Folder("O");
    auto window = Open();
    Find<QLineEdit>(window.get(), "SourcePath")->setText(ToQt((tree / "S/PIC00002/").string()));
    Find<QLineEdit>(window.get(), "OutputPath")->setText(ToQt((tree / "O/.").string()));
    Find<QComboBox>(window.get(), "DeleteSourceFiles")->setCurrentIndex(2);
    Find<QComboBox>(window.get(), "JPGNameFormat")->setCurrentIndex(0);
    bool progressShownDuringRun = false;
    messages.OnShow = [&] {
        progressShownDuringRun |= Find<QProgressBar>(window.get(), "ProgressBar")->isVisible();
    };
    Click(window.get(), "OKButton");

    EXPECT_EQ(Prompts(), (std::vector<std::string>{"Convert 1 PMP file to JPG?",
                                                   "1 PMP file successfully converted to JPG."}));
    EXPECT_EQ(messages.Shown[0].Title, "Convert");
    EXPECT_FALSE(progressShownDuringRun);  // hidden again before the summary
    const std::string name =
        "1999-07-04 @14-05-09 Sony DSC-F1 Forward FY 033ms Standard PIC002 PSN001.jpg";
    EXPECT_EQ(test::ReadBytes(tree / "O" / name), test::EveryByte());
    EXPECT_TRUE(fs::is_empty(tree / "S/PIC00002"));
    EXPECT_EQ(Find<QLineEdit>(window.get(), "SourcePath")->text(),
              ToQt((tree / "S/PIC00002").string()));
    EXPECT_EQ(Find<QLineEdit>(window.get(), "OutputPath")->text(), ToQt((tree / "O").string()));
    auto* bar = Find<QProgressBar>(window.get(), "ProgressBar");
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(bar->value(), 1);
    EXPECT_EQ(bar->maximum(), 1);
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(WindowTest, NoToTheQuestionChangesNothingAndWarningsStopEarly) {
    tree.Write("S/PSN00001.PMP", test::PmpFile({}, {1, 2, 3}));
    tree.Folder("O");
    auto window = Open();
    auto* source = Find<QLineEdit>(window.get(), "SourcePath");
    source->setText("");
    Click(window.get(), "OKButton");
    source->setText(ToQt((tree / "O").string()));
    Click(window.get(), "OKButton");
    source->setText(ToQt((tree / "S").string()));
    Find<QLineEdit>(window.get(), "OutputPath")->setText(ToQt((tree / "none").string()));
    Click(window.get(), "OKButton");
    Find<QLineEdit>(window.get(), "OutputPath")->setText(ToQt((tree / "O").string()));
    messages.QuestionAnswer = Answer::No;
    Click(window.get(), "OKButton");
    EXPECT_EQ(Prompts(), (std::vector<std::string>{
                             "The PMP source folder you specified doesn't exist.",
                             "The PMP source folder you specified does not contain any PMP files.",
                             "The JPG output folder you specified doesn't exist.",
                             "Convert 1 PMP file to JPG?"}));
    EXPECT_TRUE(fs::is_empty(tree / "O"));
    EXPECT_EQ(messages.Shown[0].Kind, MessageKind::Warning);
}

TEST_F(WindowTest, NoInputAndNoClosingWhileARunWorks) {
    auto window = Open();
    Find<QLineEdit>(window.get(), "SourcePath")->setText("");
    window->SetBusyPointer(true);
    EXPECT_EQ(window->cursor().shape(), Qt::WaitCursor);
    Click(window.get(), "OKButton");
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    window->SetBusyPointer(false);
    EXPECT_TRUE(messages.Shown.empty());
    Click(window.get(), "OKButton");
    EXPECT_EQ(messages.Shown.size(), 1U);
}

TEST_F(WindowTest, CancelSavesAndCloses) {
    auto window = Open();
    Find<QComboBox>(window.get(), "ProcessSubfolders")->setCurrentIndex(1);
    Find<QRadioButton>(window.get(), "Option6")->setChecked(true);
    Click(window.get(), "CancelButton");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Stored().value("Main/ProcessSubfolders").toString(), "1");
    EXPECT_EQ(Stored().value("Advanced/IllegalCharacters").toString(), "2");
}

TEST_F(WindowTest, AStoreThatCannotBeWrittenStillStartsAndCloses) {
    tree.Write("blocked", "a file where the settings folder should be");
    QtSettingsStore blocked(ToQt((tree / "blocked").string()));
    MainWindow window({files, messages, blocked, dialog, shell, [] { return DateTime{}; }});
    EXPECT_EQ(window.FillOptions(), ConversionOptions{});
    EXPECT_TRUE(window.close());
}

TEST_F(WindowTest, BrowseWritesThePickedFolder) {
    tree.Folder("Pics");
    dialog.Answers = {(tree / "Pics/PSN00001.PMP").string()};
    auto window = Open();
    Click(window.get(), "BrowseSourceButton");
    EXPECT_EQ(Find<QLineEdit>(window.get(), "SourcePath")->text(), ToQt((tree / "Pics").string()));
    Click(window.get(), "BrowseOutputButton");  // cancelled: nothing changes
    EXPECT_EQ(Find<QLineEdit>(window.get(), "OutputPath")->text(), ToQt(DefaultFolder()));
    EXPECT_EQ(dialog.Showings[1].DialogTitle, "Select JPG Output Folder");
}

TEST_F(WindowTest, AboutWindowLabelsAndLinks) {
    auto window = Open();
    shell.Result = 2;
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<AboutWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->windowTitle(), "About Ostrel");
        EXPECT_EQ(Find<QLabel>(about, "lblName")->text(), "Ostrel 2.8b");
        EXPECT_EQ(Find<QLabel>(about, "lblRevision")->text(), "Build 14");
        EXPECT_EQ(Find<QLabel>(about, "lblCompanyName")->text(), "Calvenor Solutions");
        EXPECT_EQ(Find<QLabel>(about, "lblLegalCopyright")->text(), "Copyright (C) 1999-2026");
        EXPECT_EQ(Find<QLabel>(about, "lblLinkWeb")->text(), "www.calvenor.example");
        EXPECT_EQ(Find<QLabel>(about, "lblLinkWeb")->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(Find<QLabel>(about, "lblLinkWeb"), Qt::LeftButton);
        QTest::mouseClick(Find<QLabel>(about, "lblLinkMail"), Qt::LeftButton);
        EXPECT_TRUE(about->isVisible());  // a failed link leaves the window open
        checked = true;
        QTest::mouseClick(Find<QPushButton>(about, "OKButton"), Qt::LeftButton);
    });
    Click(window.get(), "AboutButton");
    EXPECT_TRUE(checked);
    EXPECT_EQ(Prompts(),
              (std::vector<std::string>{"Unable to open \"http://www.calvenor.example\".",
                                        "Unable to open email client."}));
    EXPECT_EQ(shell.Calls.size(), 2U);
}

}  // namespace
}  // namespace ostrel
