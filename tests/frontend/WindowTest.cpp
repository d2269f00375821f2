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
#include <QTest>
#include <QTimer>

#include "AboutWindow.h"
#include "Doubles.h"
#include "MainWindow.h"
#include "QtServices.h"
#include "TempTree.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

class WindowTest : public ::testing::Test {
protected:
    void Open() {
        window = std::make_unique<MainWindow>(MainWindowServices{
            files, user, settings, dialog, shell, [] { return DateTime{2002, 3, 14, 9, 5, 7}; }});
        window->show();
    }
    template <typename T>
    T* Get(const char* name, QWidget* parent = nullptr) {
        T* child = (parent != nullptr ? parent : window.get())->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    void Click(const char* button, QWidget* parent = nullptr) {
        QTest::mouseClick(Get<QPushButton>(button, parent), Qt::LeftButton);
    }
    QString Text(const char* box) { return Get<QLineEdit>(box)->text(); }
    void SetText(const char* box, const fs::path& path) {
        Get<QLineEdit>(box)->setText(ToQt(path));
    }
    QString Stored(const char* key) {
        return QSettings(ToQt(tree / "settings/Ostrel 2.8.conf"), QSettings::IniFormat)
            .value(key)
            .toString();
    }
    void Store(const char* key, const char* value) {
        QSettings(ToQt(tree / "settings/Ostrel 2.8.conf"), QSettings::IniFormat)
            .setValue(key, value);
    }

    test::TempTree tree;
    test::FaultyFileSystem files;
    test::RecordingUser user;
    QtSettingsStore settings{ToQt(tree / "settings")};
    test::ScriptedFileDialog dialog;
    test::FakeShell shell;
    std::unique_ptr<MainWindow> window;
};

TEST_F(WindowTest, FirstRunShowsTheDefaultsAndClosingSavesThem) {
    Open();
    EXPECT_EQ(window->windowTitle(), "Ostrel");
    EXPECT_EQ(window->size(), QSize(385, 413));
    EXPECT_EQ(Text("SourcePath"), ToQt(DefaultFolder()));
    EXPECT_EQ(Get<QComboBox>("JPGNameFormat")->currentText(),
              "History Data 2.x (with short attribute names)");
    EXPECT_EQ(Get<QLabel>("SampleFilename")->text(),
              "{DT=2002-03-14 @09-05-07}{AL=001}{SH=001}\n{LE=Forward}{FL=Y}{SP=033ms}"
              "{CP=Standard}\n{CO=Paris}.jpg");
    for (const char* option : {"Option1", "Option3", "Option5"}) {
        EXPECT_TRUE(Get<QRadioButton>(option)->isChecked() &&
                    Get<QRadioButton>(option)->isEnabled());
    }
    EXPECT_FALSE(Get<QProgressBar>("ProgressBar")->isVisible());
    EXPECT_EQ(window->FillOptions(), ConversionOptions{});

    Get<QComboBox>("JPGNameFormat")->setCurrentIndex(0);
    EXPECT_EQ(Get<QLabel>("SampleFilename")->text(),
              "2002-03-14 @09-05-07 PIC001 PSN001 Forward FY 033ms Standard Paris.jpg");
    Get<QComboBox>("JPGNameFormat")->setCurrentIndex(2);
    EXPECT_EQ(Get<QLabel>("SampleFilename")->text(),
              "{Date=2002-03-14 @09-05-07}{Album=001}\n{Shot=001}{Lens=Forward}{Flash=Y}{Speed=\n"
              "033ms}{Compression=Standard}{Comment=Pa...");
    Get<QRadioButton>("Option6")->setChecked(true);
    dialog.Answers = {(tree.Folder("Pics") / "PSN00001.PMP").string()};
    Click("BrowseSourceButton");
    EXPECT_EQ(Text("SourcePath"), ToQt(tree / "Pics"));
    Click("CancelButton");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(
        QSettings(ToQt(tree / "settings/Ostrel 2.8.conf"), QSettings::IniFormat).allKeys().size(),
        21);
    EXPECT_EQ(Stored("Main/JPGNameFormat"), "2");
    EXPECT_EQ(Stored("Advanced/IllegalCharacters"), "2");
    EXPECT_EQ(Stored("Main/SourcePath"), ToQt(tree / "Pics"));
}

TEST_F(WindowTest, StoredModesAndDisabledPairsKeepTheirSelection) {
    Store("Advanced/ExtractEdited", "0");
    Store("Advanced/ExtractEditedDifferent", "7");  // anything but 1 selects "Always"
    Open();
    auto* option4 = Get<QRadioButton>("Option4");
    EXPECT_TRUE(option4->isChecked() && !option4->isEnabled());
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
    bool progressShown = false;
    user.OnMessage = [&] { progressShown |= Get<QProgressBar>("ProgressBar")->isVisible(); };
    Click("OKButton");
    EXPECT_EQ(user.Prompts(),
              (std::vector<std::string>{"Convert 1 PMP file to JPG?",
                                        "1 PMP file successfully converted to JPG."}));
    EXPECT_FALSE(progressShown);  // not yet at the question, hidden again for the summary
    EXPECT_EQ(test::ReadBytes(tree / "O/1999-07-04 @14-05-09 Sony DSC-F1 Forward FY 033ms "
                                     "Standard PIC002 PSN001.jpg"),
              test::EveryByte());
    EXPECT_TRUE(fs::is_empty(tree / "S/PIC00002"));
    EXPECT_EQ(Text("SourcePath"), ToQt(tree / "S/PIC00002"));
    EXPECT_EQ(Text("OutputPath"), ToQt(tree / "O"));
    EXPECT_EQ(Get<QProgressBar>("ProgressBar")->value(), 1);
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(WindowTest, NoToTheQuestionChangesNothing) {
    tree.Write("S/PSN00001.PMP", test::PmpFile({}, {1, 2, 3}));
    Open();
    SetText("SourcePath", tree / "S");
    SetText("OutputPath", tree.Folder("O"));
    user.QuestionAnswer = Answer::No;
    Click("OKButton");
    EXPECT_EQ(user.Prompts(), std::vector<std::string>{"Convert 1 PMP file to JPG?"});
    EXPECT_TRUE(fs::is_empty(tree / "O"));
}

TEST_F(WindowTest, NoInputAndNoClosingWhileARunWorks) {
    Open();
    SetText("SourcePath", "");
    window->SetBusyPointer(true);
    EXPECT_EQ(window->cursor().shape(), Qt::WaitCursor);
    Click("OKButton");
    EXPECT_FALSE(window->close());
    window->SetBusyPointer(false);
    EXPECT_TRUE(user.Messages.empty());
    Click("OKButton");
    EXPECT_EQ(user.Messages.size(), 1U);
}

TEST_F(WindowTest, AStoreThatCannotBeWrittenStillStartsAndCloses) {
    tree.Write("blocked", "a file where the settings folder should be");
    settings = QtSettingsStore(ToQt(tree / "blocked"));
    Open();
    EXPECT_EQ(window->FillOptions(), ConversionOptions{});
    EXPECT_TRUE(window->close());
}

TEST_F(WindowTest, AboutWindowLabelsAndLinks) {
    Open();
    shell.Result = 2;
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<AboutWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->windowTitle(), "About Ostrel");
        EXPECT_EQ(Get<QLabel>("lblName", about)->text(), "Ostrel 2.8b");
        EXPECT_EQ(Get<QLabel>("lblLinkWeb", about)->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(Get<QLabel>("lblLinkWeb", about), Qt::LeftButton);
        QTest::mouseClick(Get<QLabel>("lblLinkMail", about), Qt::LeftButton);
        checked = about->isVisible();  // a failed link leaves the window open
        Click("OKButton", about);
    });
    Click("AboutButton");
    EXPECT_TRUE(checked);
    EXPECT_EQ(user.Prompts(),
              (std::vector<std::string>{"Unable to open \"http://www.calvenor.example\".",
                                        "Unable to open email client."}));
}

}  // namespace
}  // namespace ostrel
