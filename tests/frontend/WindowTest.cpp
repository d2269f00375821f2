// The main window and the About window, offscreen, through their real widgets
// and Qt's real file dialog; message boxes and the shell are test doubles, and
// settings live in a temporary folder, which is also the home folder. The
// only font there is is DejaVu Sans (see main), not the one the design is
// measured with.

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <csignal>
#include <cstdio>
#ifndef _WIN32
#include <sys/resource.h>
#endif
#ifdef _WIN32
// Qt's module headers bring in windows.h, whose MessageBox macro would rename
// the message-box service in the headers below.
#undef MessageBox
#endif

#include "AboutWindow.h"
#include "Doubles.h"
#ifdef OSTREL_EXIF
#include "Exiv2ExifEncoder.h"
#endif
#include "LinkLabel.h"
#include "MainWindow.h"
#include "QtFileDialog.h"
#include "QtMessageBox.h"
#include "QtSettingsStore.h"
#include "QtText.h"
#include "Settings.h"
#ifdef _WIN32
#include "RegistrySettingsStore.h"
#endif
#include "TempTree.h"

namespace ostrel {
namespace {

// A path as the window shows it: in the system's own form, with "\" on Windows.
QString Shown(const fs::path& path) {
    return QDir::toNativeSeparators(QString::fromStdU16String(path.u16string()));
}

// Offscreen under Wine, text is measured in no real font: what fits is judged
// on Linux, with DejaVu Sans, and seen in the Windows screenshot.
constexpr bool MeasuresText = !test::Windows;

// The window's question when a run is asked to stop.
const std::string StopQuestion =
    "Stop converting?\n\nThe picture in hand is finished; the rest stay where they are.";

// What a screen reader hears of a control.
QString Spoken(QWidget* control, QAccessible::Text what = QAccessible::Name) {
    return QAccessible::queryAccessibleInterface(control)->text(what);
}

// The controls that Tab reaches on the pages shown.
QList<QWidget*> Focusable(QWidget* window) {
    QList<QWidget*> found;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (control->isVisible() && (control->focusPolicy() & Qt::TabFocus) != 0 &&
            control->focusProxy() == nullptr) {
            found << control;
        }
    }
    return found;
}

// The letter after a caption's "&", or nothing.
QChar Mnemonic(const QString& caption) {
    const qsizetype at = caption.indexOf(QLatin1Char('&'));
    return at >= 0 && at + 1 < caption.size() ? caption[at + 1].toUpper() : QChar();
}

// The mark of a check box or an option button, in its own coordinates.
QRect Mark(QWidget* control) {
    QStyleOptionButton option;
    option.initFrom(control);
    const bool radio = qobject_cast<QRadioButton*>(control) != nullptr;
    return control->style()->subElementRect(
        radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, control);
}

// Where a label's text is drawn, in its own coordinates.
QRect TextOf(const QLabel* label) {
    const int flags = static_cast<int>(label->alignment()) | Qt::TextShowMnemonic |
                      (label->wordWrap() ? Qt::TextWordWrap : 0);
    return QFontMetrics(label->font()).boundingRect(label->contentsRect(), flags, label->text());
}

// Where a caption does not fit its control in the font the control got, or
// where the control crosses the border or title of the frame it is in; empty
// when all is well.
QString Misfit(QWidget* control) {
    const QFontMetrics metrics(control->font());
    QString wrong;
    if (auto* label = qobject_cast<QLabel*>(control); label && !label->text().isEmpty()) {
        if (const QRect text = TextOf(label); !label->contentsRect().contains(text)) {
            wrong = QStringLiteral("text %1x%2").arg(text.width()).arg(text.height());
        }
    } else if (qobject_cast<QCheckBox*>(control) || qobject_cast<QRadioButton*>(control)) {
        const QSize needs = control->sizeHint();
        if (needs.width() > control->width() || !control->rect().contains(Mark(control))) {
            wrong = QStringLiteral("needs %1x%2").arg(needs.width()).arg(needs.height());
        }
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, list);
        for (int i = 0; i < list->count(); ++i) {
            if (metrics.horizontalAdvance(list->itemText(i)) > field.width()) {
                wrong = list->itemText(i);
            }
        }
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        if (metrics.size(Qt::TextShowMnemonic, button->text()).width() + 4 > button->width()) {
            wrong = QStringLiteral("text");
        }
    }
    // Qt's inside of a frame lies within its border and below its title.
    if (auto* frame = qobject_cast<QGroupBox*>(control->parentWidget());
        frame && !frame->contentsRect().contains(control->geometry())) {
        wrong += QStringLiteral(" crosses its frame");
    }
    return wrong;
}

// Where the text, mark or frame of one control overlaps another's in `window`
// (a control and what holds it aside); empty when none does.
QStringList Overlaps(QWidget* window) {
    QList<std::pair<QWidget*, QRect>> drawn;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisible() || control->window() != window ||
            qobject_cast<QGroupBox*>(control) || qobject_cast<QTabWidget*>(control) ||
            control->metaObject() == &QWidget::staticMetaObject ||
            control->parentWidget()->inherits("QTabWidget") ||
            control->inherits("QStackedWidget") || control->inherits("QTabBar")) {
            continue;
        }
        QRect ink = control->rect();
        if (auto* label = qobject_cast<QLabel*>(control)) {
            ink = label->pixmap().isNull() ? TextOf(label) : label->contentsRect();
        } else if (auto* button = qobject_cast<QAbstractButton*>(control);
                   qobject_cast<QCheckBox*>(control) || qobject_cast<QRadioButton*>(control)) {
            // The mark, and the caption in the middle of the rest.
            QStyleOptionButton option;
            option.initFrom(control);
            option.text = button->text();
            const QRect rest = control->style()->subElementRect(qobject_cast<QRadioButton*>(control)
                                                                    ? QStyle::SE_RadioButtonContents
                                                                    : QStyle::SE_CheckBoxContents,
                                                                &option, control);
            ink = Mark(control) |
                  QFontMetrics(control->font())
                      .boundingRect(rest, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                                    button->text());
        }
        drawn.append({control, QRect(control->mapTo(window, ink.topLeft()), ink.size())});
    }
    QStringList found;
    for (qsizetype i = 0; i < drawn.size(); ++i) {
        for (qsizetype j = i + 1; j < drawn.size(); ++j) {
            QWidget* one = drawn[i].first;
            QWidget* other = drawn[j].first;
            if (drawn[i].second.intersects(drawn[j].second) && !one->isAncestorOf(other) &&
                !other->isAncestorOf(one)) {
                found << one->objectName() + " and " + other->objectName();
            }
        }
    }
    return found;
}

// The colours of what a control draws (in `part` of it).
QList<QColor> Pixels(QWidget* control, const QRect& part = QRect(0, 0, -1, -1)) {
    const QImage image = control->grab(part).toImage();
    QList<QColor> pixels;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            pixels << image.pixelColor(x, y);
        }
    }
    return pixels;
}

class WindowTest : public ::testing::Test {
protected:
    WindowTest() : home_(qgetenv("HOME")) { qputenv("HOME", Shown(tree.Root()).toLocal8Bit()); }
    ~WindowTest() override { qputenv("HOME", home_); }

    void Open() {
        window = std::make_unique<MainWindow>(
            MainWindowServices{files, user, settings, dialog, shell,
                               [] { return DateTime{2002, 3, 14, 9, 5, 7}; }, exif});
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
    // Runs `script` once a modal window of type T shows. A script that leaves
    // it open has failed, and the window is closed, so that the test ends.
    template <typename T>
    static void WhenShown(std::function<void(T*)> script) {
        QTimer::singleShot(0, [script] {
            T* shown = nullptr;
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return (shown = qobject_cast<T*>(QApplication::activeModalWidget())); }));
            script(shown);
            if (shown->isVisible()) {
                ADD_FAILURE() << FromQt(shown->windowTitle()) << " is still open";
                static_cast<QDialog*>(shown)->done(QDialog::Rejected);
            }
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
    // Types `text` into a box as an input method does.
    void Type(const char* box, const QString& text) {
        QInputMethodEvent typed;
        typed.setCommitString(text);
        QApplication::sendEvent(Get<QLineEdit>(box), &typed);
    }
    // The nth picture of S/PIC00002.
    static std::string Source(int n) {
        return "S/PIC00002/PSN" + std::to_string(100000 + n).substr(1) + ".PMP";
    }
    // Opens the window to convert `count` pictures of S/PIC00002 into O.
    void OpenWithPictures(int count, const test::Bytes& picture = test::EveryByte()) {
        for (int n = 1; n <= count; ++n) {
            tree.Write(Source(n), test::PmpFile({}, picture));
        }
        Open();
        SetText("SourcePath", tree / "S/PIC00002");
        SetText("OutputPath", tree.Folder("O"));
    }
    // Presses OK; `meanwhile` comes once the `nth` picture is open.
    void ConvertWhile(int nth, const std::function<void()>& meanwhile) {
        int opened = 0;
        files.AfterOpening = [&](const File&) {
            if (++opened == nth) {
                meanwhile();
            }
        };
        Click("OKButton");
        files.AfterOpening = nullptr;
    }

    test::TempTree tree;
    test::FaultyFileSystem files;
    test::RecordingUser user;
    QtSettingsStore settings{Shown(tree / "settings")};
    // The same file: QSettings objects of one process share what they hold.
    QSettings ini{Shown(tree / "settings/Ostrel 2.8.conf"), QSettings::IniFormat};
    QtFileDialog dialog;
    test::FakeShell shell;
#ifdef OSTREL_EXIF
    Exiv2ExifEncoder encoder;
    ExifEncoder* exif = &encoder;
#else
    ExifEncoder* exif = nullptr;
#endif
    std::unique_ptr<MainWindow> window;

private:
    QByteArray home_;
};

TEST_F(WindowTest, OpensWithTheFirstRunOptionsAndOkInFocusWhichEnterPressesFromAList) {
    Open();
    EXPECT_EQ(window->windowTitle(), "Ostrel");
    EXPECT_EQ(window->FillOptions(), StoredOptions{});
    EXPECT_EQ(window->focusWidget(), Get<QPushButton>("OKButton"));
    QTest::keyClick(Get<QPushButton>("OKButton"), Qt::Key_Return);
    QTest::keyClick(Get<QComboBox>("DeleteSourceFiles"), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(user.Calls, (test::Names{"message:Convert", "message:Convert"}));
}

TEST_F(WindowTest, TheSampleNameIsInTheChosenFormatAndCutToItsPlace) {
    Open();
    const QString samples[] = {
        "2002-03-14 @09-05-07 PIC001 PSN001 Forward FY 033ms Standard Paris.jpg",
        "{DT=2002-03-14 @09-05-07}{AL=001}{SH=001}\n{LE=Forward}{FL=Y}{SP=033ms}"
        "{CP=Standard}\n{CO=Paris}.jpg",
        "{Date=2002-03-14 @09-05-07}{Album=001}\n{Shot=001}{Lens=Forward}{Flash=Y}{Speed=\n"
        "033ms}{Compression=Standard}{Comment=Pa...",
    };
    EXPECT_EQ(Get<QLabel>("SampleFilename")->text(), samples[1]);
    for (const int format : {0, 2, 1}) {
        Get<QComboBox>("JPGNameFormat")->setCurrentIndex(format);
        EXPECT_EQ(Get<QLabel>("SampleFilename")->text(), samples[format]) << format;
    }
}

TEST_F(WindowTest, TheSourcePickerListsPmpFilesAndTakesAFolderTypedInFullAndCancelKeepsIt) {
    tree.Write("Pics/psn00001.pmp", "");
    tree.Write("Pics/notes.txt", "");
    Open();
    Get<QComboBox>("JPGNameFormat")->setCurrentIndex(2);
    Get<QRadioButton>("Option6")->setChecked(true);
    SetText("SourcePath", tree / "Pics");
    QStringList listed;
    WhenShown<QFileDialog>([&](QFileDialog* shown) {
        EXPECT_EQ(shown->nameFilters(), QStringList{"PMP Files (*.PMP)"});
        listed = Listed(shown, "psn00001.pmp");
        TypeAndAccept(shown, tree.Folder("Other") / "");
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
        const int first = Mark(box).right() + 3;
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

TEST_F(WindowTest, EnterInAFolderBoxConvertsEndToEndFromHomeAndEscapeCancels) {
    tree.Write("S/PIC00002/PSN00001.PMP", test::PmpFile({}, test::EveryByte()));
    tree.Write("S/PIC00002/PSN00001.PMX", "x");
    tree.Folder("O");
    Open();
#ifdef _WIN32
    // Windows' home folder is the profile's, whatever HOME says.
    SetText("SourcePath", tree / "S/PIC00002/");
    SetText("OutputPath", tree / "O/.");
#else
    SetText("SourcePath", "~/S/PIC00002/");  // the home folder is the tree
    SetText("OutputPath", "O/.");            // relative to home, not to the working folder
#endif
    Get<QComboBox>("DeleteSourceFiles")->setCurrentIndex(2);
    Get<QComboBox>("JPGNameFormat")->setCurrentIndex(0);
    Get<QRadioButton>("Option2")->setChecked(true);  // a serial number always
    auto* bar = Get<QProgressBar>("ProgressBar");
    bool barShown = false;
    QTimer poll;  // fires whenever the run lets the window paint
    QObject::connect(&poll, &QTimer::timeout, [&] { barShown |= bar->isVisible(); });
    poll.start(0);
    QTest::keyClick(Get<QLineEdit>("OutputPath"), Qt::Key_Return);
    EXPECT_TRUE(barShown);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(user.Prompts, (test::Names{"Convert 1 PMP file to JPG?",
                                         "1 PMP file successfully converted to JPG."}));
    EXPECT_EQ(test::ReadBytes(tree / "O/1999-07-04 @14-05-09 #001 Sony DSC-F1 Forward FY 033ms "
                                     "Standard PIC002 PSN001.jpg"),
              test::EveryByte());
    EXPECT_TRUE(fs::is_empty(tree / "S/PIC00002"));
    EXPECT_EQ(Text("SourcePath"), Shown(tree / "S/PIC00002"));
    EXPECT_EQ(Text("OutputPath"), Shown(tree / "O"));
    EXPECT_EQ(bar->value(), 1);
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);

    SetText("SourcePath", "~");
    QTest::keyClick(Get<QLineEdit>("SourcePath"), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(user.Prompts.back(),
              "The PMP source folder you specified does not contain any PMP files.");
    EXPECT_EQ(Text("SourcePath"), QDir::toNativeSeparators(QDir::homePath()));

    QTest::keyClick(Get<QComboBox>("JPGNameFormat"), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Stored("Main/SourcePath"), QDir::toNativeSeparators(QDir::homePath()));
}

TEST_F(WindowTest, WhileARunWorksNeitherOkNorDropsNorTypingNorClosingGetThrough) {
    Open();
    SetText("SourcePath", "");
    window->SetBusyPointer(true);
    EXPECT_EQ(window->cursor().shape(), Qt::WaitCursor);
    Click("OKButton");
    EXPECT_EQ(Drop("SourcePath", tree.Folder("Pics")), Qt::IgnoreAction);
    Type("SourcePath", "typed");
    EXPECT_FALSE(window->close());
    window->SetBusyPointer(false);
    EXPECT_TRUE(user.Messages.empty());
    EXPECT_EQ(Text("SourcePath"), "");
    Click("OKButton");
    EXPECT_EQ(user.Messages.size(), 1U);
}

TEST_F(WindowTest, ADroppedFolderFillsTheBoxAndADroppedFileGivesItsFolderAndNothingMoves) {
    Open();
    EXPECT_EQ(Drop("SourcePath", tree.Folder("Pics")), Qt::CopyAction);
    EXPECT_EQ(Text("SourcePath"), Shown(tree / "Pics"));
    EXPECT_EQ(Drop("OutputPath", tree.Write("Out/PSN00001.PMP", "")), Qt::CopyAction);
    EXPECT_EQ(Text("OutputPath"), Shown(tree / "Out"));
}

TEST_F(WindowTest, ACountThatFailsSaysWhyAndLeavesTheWindowAsItWas) {
    Open();
    SetText("SourcePath", tree.Folder("Pics"));
    files.BeforeListing = [](const Folder&) { throw FileSystemError(test::Denied()); };
    Click("OKButton");
    EXPECT_EQ(user.Prompts.back(), "Unable to read the folder \"" + FromQt(Shown(tree / "Pics")) +
                                       "\" due to the following problem: " + test::Denied() + ".");
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
    Type("SourcePath", "typed");
    EXPECT_EQ(Text("SourcePath"), Shown(tree / "Pics") + "typed");
}

TEST_F(WindowTest, ARunShowsInTheTitleAndInControlsThatLookDisabledUntilItEnds) {
    OpenWithPictures(2);
    QStringList seen;
    ConvertWhile(1, [&] {
        seen << window->windowTitle() << QString::number(Get<QTabWidget>("TabStrip1")->isEnabled())
             << QString::number(Get<QPushButton>("OKButton")->isEnabled())
             << QString::number(Get<QPushButton>("CancelButton")->isEnabled())
             << QString::number(window->focusWidget() == Get<QPushButton>("CancelButton"));
    });
    EXPECT_EQ(seen, (QStringList{"Ostrel \u2013 converting", "0", "0", "1", "1"}));
    EXPECT_EQ(window->windowTitle(), "Ostrel");
    EXPECT_TRUE(Get<QTabWidget>("TabStrip1")->isEnabled());
    EXPECT_TRUE(Get<QPushButton>("OKButton")->isEnabled());
    EXPECT_EQ(window->focusWidget(), Get<QPushButton>("OKButton"));
}

// Asked to stop while a run of five pictures works, in each of the ways a
// person can ask, and answered.
enum class Asked { ByEscape, ByCancel, ByClosing };
struct StopRow {
    const char* Name;
    Asked Way;
    Answer Reply;
    int Converted;  // the picture in hand is finished
    std::string Summary;
    const char* TitleAfter;
};

class StopTest : public WindowTest, public ::testing::WithParamInterface<StopRow> {};

TEST_P(StopTest, ConvertsAndDeletesTheSourcesOfWhatWasConvertedAndNoMore) {
    const StopRow& row = GetParam();
    OpenWithPictures(5);
    Get<QComboBox>("DeleteSourceFiles")->setCurrentIndex(2);
    Get<QComboBox>("JPGNameFormat")->setCurrentIndex(0);
    QString title;
    ConvertWhile(row.Way == Asked::ByClosing ? 1 : 2, [&] {
        user.QuestionAnswer = row.Reply;
        if (row.Way == Asked::ByEscape) {
            Click("OKButton");  // refused without a word
            QTest::keyClick(Get<QComboBox>("JPGNameFormat"), Qt::Key_Escape);
        } else if (row.Way == Asked::ByCancel) {
            Click("CancelButton");
        } else {
            EXPECT_FALSE(window->close());  // not yet: once the run has stopped
        }
        title = window->windowTitle();
    });
    EXPECT_EQ(user.Prompts,
              (test::Names{"Convert 5 PMP files to JPG?", StopQuestion, row.Summary}));
    ASSERT_EQ(user.Messages.size(), 3U);
    EXPECT_EQ(user.Messages[1].Title, "Convert");
    EXPECT_EQ(user.Messages[1].Kind, MessageKind::Question);
    EXPECT_TRUE(user.Messages[1].Extras.NoByDefault);
    EXPECT_FALSE(user.Messages[0].Extras.NoByDefault);  // the question before the run
    EXPECT_EQ(title, row.TitleAfter);
    int converted = 0;
    for (int n = 1; n <= 5; ++n) {
        const fs::path jpg = tree / ("O/1999-07-04 @14-05-09 Sony DSC-F1 Forward FY 033ms "
                                     "Standard PIC002 PSN00" +
                                     std::to_string(n) + ".jpg");
        EXPECT_NE(fs::exists(jpg), fs::exists(tree / Source(n))) << n;
        converted += fs::exists(jpg) ? 1 : 0;
    }
    EXPECT_EQ(converted, row.Converted);
    EXPECT_EQ(window->isVisible(), row.Way != Asked::ByClosing);
    if (row.Way == Asked::ByClosing) {
        EXPECT_EQ(Stored("Main/OutputPath"), Shown(tree / "O"));
        EXPECT_EQ(Stored("Main/DeleteSourceFiles"), "2");
    }
}

INSTANTIATE_TEST_SUITE_P(
    WindowTest, StopTest,
    ::testing::Values(
        StopRow{"NoGoesOnAsIfNothingHadHappened", Asked::ByEscape, Answer::No, 5,
                "5 PMP files successfully converted to JPG.", "Ostrel \u2013 converting"},
        StopRow{"CancelYesStops", Asked::ByCancel, Answer::Yes, 2,
                "2 PMP files successfully converted to JPG.\n\nThe conversion was stopped: 3 PMP "
                "files not reached.",
                "Ostrel \u2013 stopping"},
        StopRow{"ClosingYesStopsThenClosesAndKeepsTheOptions", Asked::ByClosing, Answer::Yes, 1,
                "1 PMP file successfully converted to JPG.\n\nThe conversion was stopped: 4 PMP "
                "files not reached.",
                "Ostrel \u2013 stopping"}),
    [](const auto& row) { return std::string(row.param.Name); });

TEST_F(WindowTest, TheRealStopQuestionGivesNoOnEnterWhereNoIsItsDefault) {
    Open();
    QtMessageBox box(window.get());
    for (const bool noByDefault : {true, false}) {
        WhenShown<QMessageBox>(
            [](QMessageBox* shown) { QTest::keyClick(shown->focusWidget(), Qt::Key_Return); });
        MessageExtras extras;
        extras.NoByDefault = noByDefault;
        EXPECT_EQ(box.ShowWithExtras(StopQuestion, "Convert", MessageKind::Question, extras),
                  noByDefault ? Answer::No : Answer::Yes);
    }
}

TEST_F(WindowTest, ARunTellsAScreenReaderItsProgressAFewTimesNotForEachPicture) {
    OpenWithPictures(300, {0xFF, 0xD9});
    // Each new value of the shown bar is an event for a screen reader.
    auto* bar = Get<QProgressBar>("ProgressBar");
    int values = 0;
    QObject::connect(bar, &QProgressBar::valueChanged, [&] { values += bar->isVisible() ? 1 : 0; });
    Click("OKButton");
    ASSERT_EQ(user.Prompts.back(), "300 PMP files successfully converted to JPG.");
    EXPECT_GE(values, 1);
    EXPECT_LE(values, 101) << "once for each whole percentage at most";
    EXPECT_EQ(bar->text(), "300 of 300");
}

TEST_F(WindowTest, EachPairOfOptionButtonsIsAGroupNamedForWhatItChooses) {
    Open();
    QStringList names;
    for (const char* group : {"SerialNumberGroup", "RevisedGroup", "IllegalCharactersGroup"}) {
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(Get<QWidget>(group));
        EXPECT_EQ(spoken->role(), QAccessible::Grouping) << group;
        names << spoken->text(QAccessible::Name);
    }
    EXPECT_EQ(names,
              (QStringList{"When to add the serial number", "When to include the revised date",
                           "Illegal characters in the comment"}));
}

#ifndef _WIN32  // on Windows, the readers take the entry as the list's value
TEST_F(WindowTest, AListOffersItsEntryAsTextAndAsItsValue) {
    Open();
    auto* list = Get<QComboBox>("DeleteSourceFiles");
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(list)->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Spoken(list), "Delete files");
    for (const int entry : {0, 2}) {
        list->setCurrentIndex(entry);
        EXPECT_EQ(text->text(0, text->characterCount()), list->currentText());
        EXPECT_EQ(Spoken(list, QAccessible::Value), list->currentText());
    }
}
#endif

// A settings file the window cannot read: the first-run options, said once
// the window shows.
struct UnreadableSettings {
    const char* Name;
    std::string Text;
    std::string Why;
};

TEST_F(WindowTest, ASettingsFileThatCannotBeReadGivesTheFirstRunOptionsAndSaysSo) {
    const std::string stored = "[Main]\nProcessSubfolders=1\n";
    const UnreadableSettings rows[] = {
        {"not parsed", stored + "[", "It is not a settings file"},
        {"larger than 1 MiB", stored + std::string(1024 * 1024, ';') + "\n",
         "It is larger than 1 MiB, more than any settings file"},
    };
    const std::string where = FromQt(Shown(tree / "settings")) + "/Ostrel 2.8.conf";
    for (const UnreadableSettings& row : rows) {
        tree.Write("settings/Ostrel 2.8.conf", row.Text);
        user.Prompts.clear();
        user.Messages.clear();
        Open();
        EXPECT_EQ(window->FillOptions(), StoredOptions{}) << row.Name;
        QTest::qWait(0);
        ASSERT_EQ(user.Prompts.size(), 1U) << row.Name;
        EXPECT_EQ(user.Prompts[0], "Unable to read the settings file \"" + where +
                                       "\" due to the following problem: " + row.Why +
                                       ". The first-run options are used.");
        EXPECT_EQ(user.Messages[0].Title, "Load Settings");
        EXPECT_EQ(user.Messages[0].Kind, MessageKind::Warning);
        window.reset();
    }
}

#ifndef _WIN32  // a file-size limit
TEST_F(WindowTest, SettingsThatCannotBeSavedKeepTheFileAndAreSaidLostOnce) {
    const std::string stored = "[Main]\nJPGNameFormat=0\n";
    const fs::path file = tree.Write("settings/Ostrel 2.8.conf", stored);
    Open();
    Get<QComboBox>("JPGNameFormat")->setCurrentIndex(2);
    // A full disk, for root too: no file may grow past a few bytes.
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit tiny{8, limit.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &tiny);
    const bool closed = window->close();
    ::setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_TRUE(closed);
    ASSERT_EQ(user.Prompts.size(), 1U);
    EXPECT_EQ(user.Prompts[0], "Unable to save the options to \"" + file.string() +
                                   "\" due to the following problem: File too large. The "
                                   "options of this session are not kept.");
    EXPECT_EQ(user.Messages[0].Title, "Save Settings");
    EXPECT_EQ(user.Messages[0].Kind, MessageKind::Warning);
    const test::Bytes kept = test::ReadBytes(file);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), stored);
}
#endif

TEST_F(WindowTest, EachControlLoadsAndSavesItsOwnOptionAndEnablesItsOwnPair) {
    // Every stored value other than the first run's.
    StoredOptions changed;
    for (const OptionField& field : OptionTable()) {
        if (field.Kind == OptionKind::Text) {
            field.SetText(changed, std::string("/") + field.Key);
        } else {
            field.SetNumber(changed, field.Kind == OptionKind::ButtonPair ? 2
                                     : field.Number(changed) == 0         ? 1
                                                                          : 0);
        }
    }
    SaveOptions(settings, "Ostrel 2.8", changed);
    Open();
    EXPECT_EQ(window->FillOptions(), changed);
    // The serial number's pair follows its box, the revised date's its own,
    // and Translate/Remove the Comment box.
    const char* const boxes[] = {"AddSerialNumber", "ExtractEdited", "ExtractComment"};
    for (int box = 0; box < 3; ++box) {
        Get<QCheckBox>(boxes[box])->setChecked(true);
        for (int button = 1; button <= 6; ++button) {
            const std::string name = "Option" + std::to_string(button);
            EXPECT_EQ(Get<QRadioButton>(name.c_str())->isEnabled(), (button - 1) / 2 == box)
                << boxes[box] << " " << name;
        }
        Get<QCheckBox>(boxes[box])->setChecked(false);
    }
    window->close();
    EXPECT_EQ(LoadOptions(settings, "Ostrel 2.8"), changed);
}

#ifdef OSTREL_EXIF
TEST_F(WindowTest, TheExifBoxPutsTheHistoryIntoEachJpgFileAndOnlyThen) {
    const test::Bytes picture{0xFF, 0xD8, 0xFF, 0xD9};
    tree.Write("S/PSN00001.PMP", test::PmpFile({.Comment = "Paris"}, picture));
    Open();
    SetText("SourcePath", tree / "S");
    const auto convert = [&](const char* output) {
        SetText("OutputPath", tree.Folder(output));
        Click("OKButton");
        return test::ReadBytes(tree / output /
                               "{DT=1999-07-04 @14-05-09}{DV=Sony DSC-F1{LE=Forward}{FL=Y}"
                               "{SP=033ms}{CP=Standard}}{VO=001}{CO=Paris}.jpg");
    };
    EXPECT_EQ(convert("Plain"), picture);
    Get<QCheckBox>("WriteExifData")->setChecked(true);
    const test::Bytes withExif = convert("Exif");
    const test::Bytes segment = encoder.Encode(
        ReadPictureHistory(std::span<const std::uint8_t, HeaderSize>(
                               test::PmpFile({.Comment = "Paris"}, {}).data(), HeaderSize),
                           "PSN00001.PMP", "S", Windows1252));
    test::Bytes expected{0xFF, 0xD8};
    expected.insert(expected.end(), segment.begin(), segment.end());
    expected.insert(expected.end(), {0xFF, 0xD9});
    EXPECT_EQ(withExif, expected);
    window->close();
    EXPECT_EQ(Stored("Advanced/WriteExifData"), "1");
}
#endif

TEST_F(WindowTest, WithoutAnExifEncoderTheExifBoxIsNotShownAndKeepsItsStoredValue) {
    ini.setValue("Advanced/WriteExifData", "1");
    exif = nullptr;
    Open();
    Get<QTabWidget>("TabStrip1")->setCurrentIndex(1);
    EXPECT_FALSE(Get<QCheckBox>("WriteExifData")->isVisible());
    window->close();
    EXPECT_EQ(Stored("Advanced/WriteExifData"), "1");
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
        EXPECT_EQ(shown->font(), window->font());
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
    OpenWithPictures(3, {});  // no picture data
    user.TickCheckBox = true;
    Click("OKButton");
    ASSERT_EQ(user.Prompts.size(), 4U);
    // The first problem's box warns, like the summary, and offers the check
    // box, unticked.
    EXPECT_EQ(user.Messages[1].Kind, MessageKind::Warning);
    EXPECT_EQ(user.Messages[1].Extras.CheckBox, "Report further problems at the end");
    EXPECT_FALSE(user.Messages[1].Extras.Checked);
    EXPECT_TRUE(user.Prompts[1].ends_with("Remainder of conversion will proceed normally."));
    // Ticked, the two others come after the run, together, before the summary.
    EXPECT_EQ(user.Prompts[2],
              "The conversion met 2 further problems. See the details for the list.");
    EXPECT_EQ(user.Messages[2].Kind, MessageKind::Warning);
    const std::string& details = user.Messages[2].Extras.Details;
    for (int n = 1; n <= 3; ++n) {
        const auto mentioned = [&](const std::string& text) {
            return text.find((tree / Source(n)).string()) != std::string::npos;
        };
        EXPECT_NE(mentioned(user.Prompts[1]), mentioned(details)) << n;
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
}

TEST_F(WindowTest, AProblemBoxStartsOnOkShowsEightProblemsAndLeavesEnterToOk) {
    Open();
    std::string details;
    for (int n = 1; n <= 8; ++n) {
        details += std::string(n == 1 ? "" : "\n\n") + "Unable to convert source file \"" +
                   (tree / ("S/PSN0000" + std::to_string(n) + ".PMP")).string() +
                   "\"\ndue to the following problem: No space left on device.";
    }
    QtMessageBox box(window.get());
    MessageExtras extras{"Report further problems at the end", false, details};
    WhenShown<QMessageBox>([&](QMessageBox* shown) {
        // In the window's font, with the answer in focus, not the check box.
        EXPECT_EQ(shown->font(), window->font());
        QAbstractButton* ok = shown->button(QMessageBox::Ok);
        EXPECT_EQ(shown->focusWidget(), ok);
        EXPECT_EQ(shown->checkBox()->text(), "&Report further problems at the end");
        EXPECT_FALSE(shown->checkBox()->isChecked());
        EXPECT_EQ(shown->detailedText(), ToQt(details));
        for (QAbstractButton* button : shown->buttons()) {
            if (shown->buttonRole(button) == QMessageBox::ActionRole) {
                EXPECT_FALSE(button->accessibleDescription().isEmpty());
                QTest::mouseClick(button, Qt::LeftButton);  // Show Details...
            }
        }
        auto* shownDetails = shown->findChild<QTextEdit*>();
        ASSERT_TRUE(shownDetails != nullptr && shownDetails->isVisible());
        if (MeasuresText) {
            EXPECT_EQ(shownDetails->verticalScrollBar()->maximum(), 0);  // all eight at once
        }
        EXPECT_EQ(shown->focusWidget(), ok);
        shown->checkBox()->click();
        QTest::keyClick(shown->focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(box.ShowWithExtras("Eight problems", "Convert", MessageKind::Warning, extras),
              Answer::Ok);
    EXPECT_TRUE(extras.Checked);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // Enter closed it
}

TEST_F(WindowTest, EveryControlIsNamedHasItsOwnLetterAndFitsInDejaVuSans) {
    Open();
#ifndef _WIN32
    ASSERT_EQ(QFontInfo(window->font()).family(), "DejaVu Sans");
#endif
    auto* tabs = Get<QTabWidget>("TabStrip1");
    AboutWindow about(shell, user, window.get());
    QStringList names;
    const auto check = [&](QWidget* shown, const char* page) {
        QMap<QChar, QString> letters;
        for (QWidget* control : Focusable(shown)) {
            const QString name = Spoken(control);
            EXPECT_FALSE(name.isEmpty()) << page << " " << FromQt(control->objectName());
            EXPECT_FALSE(names.contains(name)) << page << " " << FromQt(name);
            names << name;
        }
        for (QWidget* control : shown->findChildren<QWidget*>()) {
            if (!control->isVisible()) {
                continue;
            }
            if (MeasuresText) {
                EXPECT_EQ(FromQt(Misfit(control)), "")
                    << page << " " << FromQt(control->objectName());
            }
            QString caption;
            if (auto* label = qobject_cast<QLabel*>(control); label && label->buddy()) {
                caption = label->text();
            } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
                caption = button->text();
            }
            if (const QChar letter = Mnemonic(caption); !letter.isNull()) {
                EXPECT_FALSE(letters.contains(letter))
                    << page << " " << FromQt(caption) << " and " << FromQt(letters.value(letter));
                letters[letter] = caption;
            }
        }
        for (int tab = 0; tab < tabs->count() && shown == window.get(); ++tab) {
            EXPECT_FALSE(letters.contains(Mnemonic(tabs->tabText(tab)))) << page;
        }
    };
    check(window.get(), "Main");
    EXPECT_TRUE(names.contains("Process subfolders") && names.contains("PMP source folder") &&
                names.contains("Choose the JPG output folder"))
        << FromQt(names.join(", "));
    tabs->setCurrentIndex(1);
    names.clear();
    check(window.get(), "Advanced");
    EXPECT_TRUE(names.contains("Add Serial Number: Always") &&
                names.contains("Include Revised Date/Time: Always"))
        << FromQt(names.join(", "));
    about.show();
    names.clear();
    check(&about, "About");
    about.close();
    EXPECT_EQ(Spoken(Get<QProgressBar>("ProgressBar")), "Conversion progress");
    EXPECT_EQ(Spoken(Get<QComboBox>("DeleteSourceFiles"), QAccessible::Value), "Do nothing");
    for (const char* picture : {"imgOstrel", "imgCalvenor"}) {
        EXPECT_FALSE(Spoken(Get<QLabel>(picture, &about)).isEmpty()) << picture;
    }
    tabs->setCurrentIndex(0);
    if (MeasuresText) {
        EXPECT_EQ(Get<QLabel>("lblName", &about)->font().pointSize(), 12);  // fits: keeps its size
        // Every sample name fits too, as the list changes it.
        for (int format = 0; format < 3; ++format) {
            Get<QComboBox>("JPGNameFormat")->setCurrentIndex(format);
            EXPECT_EQ(FromQt(Misfit(Get<QLabel>("SampleFilename"))), "") << format;
        }
    }
    // The mnemonics reach their controls.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_J, Qt::AltModifier);
    EXPECT_EQ(window->focusWidget(), Get<QLineEdit>("OutputPath"));
    QTest::keyClick(window.get(), Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(tabs->currentIndex(), 1);
}

TEST_F(WindowTest, AboutWindowLabelsAndLinks) {
    Open();
    shell.Failure = ShellFailure{};
    bool checked = false;
    WhenShown<AboutWindow>([&](AboutWindow* about) {
        EXPECT_EQ(about->windowTitle(), "About Ostrel");
        // Read whole by a screen reader, as the sentences it shows.
        EXPECT_EQ(about->accessibleDescription(),
                  "Ostrel 2.8b, Build 14. Calvenor Solutions. Copyright (C) 1999-2026. Visit us "
                  "at www.calvenor.example for updates and information about other products. "
                  "Write to us at help@calvenor.example to get support or give feedback.");
        for (const char* name : {"lblLinkWeb", "lblLinkMail"}) {
            auto* link = Get<LinkLabel>(name, about);
            QFont font = link->font();
            EXPECT_TRUE(font.underline());
            font.setUnderline(false);
            if (MeasuresText) {  // else a sentence can seem too wide, and be drawn smaller
                EXPECT_EQ(font, about->font()) << name;
            }
            EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
            EXPECT_EQ(QAccessible::queryAccessibleInterface(link)->role(), QAccessible::Link);
            EXPECT_EQ(Spoken(link), link->text());
        }
        QTest::mouseClick(Get<QLabel>("lblLinkWeb", about), Qt::LeftButton);
        QTest::mouseClick(Get<QLabel>("lblLinkMail", about), Qt::LeftButton);
        checked = about->isVisible();  // a failed link leaves the window open
        // From OK, Tab reaches the web link, then the mail link; Enter and
        // Space open them.
        shell.Failure.reset();
        Get<QPushButton>("OKButton", about)->setFocus();
        QTest::keyClick(about->focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(about->focusWidget(), Get<QLabel>("lblLinkWeb", about));
        QTest::keyClick(about->focusWidget(), Qt::Key_Return);
        QTest::keyClick(about->focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(about->focusWidget(), Get<QLabel>("lblLinkMail", about));
        QTest::keyClick(about->focusWidget(), Qt::Key_Space);
        EXPECT_TRUE(about->isVisible());
        Click("OKButton", about);
    });
    Get<QTabWidget>("TabStrip1")->setCurrentIndex(1);
    Click("AboutButton");
    EXPECT_TRUE(checked);
    EXPECT_EQ(user.Prompts, (test::Names{"Unable to open \"http://www.calvenor.example\".",
                                         "Unable to open email client."}));
    EXPECT_EQ(shell.Targets.size(), 4U);
    EXPECT_EQ(shell.Targets[2], "http://www.calvenor.example");
    EXPECT_TRUE(shell.Targets[3].starts_with("mailto:")) << shell.Targets[3];

    // The links in the designed blue on a light background; on a dark one, in
    // the palette's link colour, which can be read there.
    AboutWindow about(shell, user, window.get());
    auto* link = Get<LinkLabel>("lblLinkWeb", &about);
    const auto drawnIn = [&](const QColor& colour) { return Pixels(link).contains(colour); };
    EXPECT_TRUE(drawnIn(QColor(0, 0, 255)));
    QPalette dark = about.palette();
    dark.setColor(QPalette::Window, QColor(40, 40, 40));
    dark.setColor(QPalette::Link, QColor(120, 180, 255));
    about.setPalette(dark);
    EXPECT_TRUE(drawnIn(QColor(120, 180, 255)));
    EXPECT_FALSE(drawnIn(QColor(0, 0, 255)));
}

TEST_F(WindowTest, ALargerFontFromAStyleSheetLeavesNothingCut) {
    if (!MeasuresText) {
        GTEST_SKIP() << "no real font to measure";
    }
    qApp->setStyleSheet(QStringLiteral("* { font-size: 13pt; }"));
    Open();
    AboutWindow about(shell, user, window.get());
    auto* tabs = Get<QTabWidget>("TabStrip1");
    for (int tab = 0; tab < 2; ++tab) {
        tabs->setCurrentIndex(tab);
        for (QWidget* shown :
             {static_cast<QWidget*>(window.get()), static_cast<QWidget*>(&about)}) {
            shown->show();
            for (QWidget* control : shown->findChildren<QWidget*>()) {
                if (control->isVisible()) {
                    EXPECT_EQ(FromQt(Misfit(control)), "") << FromQt(control->objectName());
                }
            }
            EXPECT_EQ(FromQt(Overlaps(shown).join(", ")), "");
        }
    }
    qApp->setStyleSheet(QString());
}

// The contrast of two colours as WCAG measures it, from 1 to 21.
double Contrast(const QColor& one, const QColor& other) {
    const auto luminance = [](const QColor& colour) {
        const auto linear = [](double c) {
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
               0.0722 * linear(colour.blueF());
    };
    const double a = luminance(one) + 0.05, b = luminance(other) + 0.05;
    return std::max(a, b) / std::min(a, b);
}

TEST_F(WindowTest, TheChosenButtonOfAPairStandsOutInADarkPalette) {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(53, 53, 53));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(53, 53, 53));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        dark.setColor(QPalette::Disabled, role, QColor(128, 128, 128));
    }
    const QPalette before = QApplication::palette();
    QApplication::setPalette(dark);
    Open();
    Get<QTabWidget>("TabStrip1")->setCurrentIndex(1);
    for (const bool enabled : {true, false}) {
        Get<QCheckBox>("ExtractEdited")->setChecked(enabled);
        auto* chosen = Get<QRadioButton>("Option3");
        // The inside of the circle is its darkest part here; the dot its lightest.
        QColor inside = Qt::white, dot = Qt::black;
        for (const QColor& pixel : Pixels(chosen, Mark(chosen))) {
            inside = pixel.lightness() < inside.lightness() ? pixel : inside;
            dot = pixel.lightness() > dot.lightness() ? pixel : dot;
        }
        EXPECT_GE(Contrast(dot, inside), 3.0)
            << (enabled ? "enabled" : "disabled") << " " << FromQt(dot.name()) << " on "
            << FromQt(inside.name());
    }
    QApplication::setPalette(before);
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
    // Every option, the Exif box and the comments' code page among them.
    StoredOptions options;
    options.WriteExifData = 1;
    options.CommentCodePage = 2;
    SaveOptions(window, app, options);
    EXPECT_EQ(LoadOptions(convert, app), options);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ostrel\\Ostrel Window Test 0.0");
}
#endif

}  // namespace
}  // namespace ostrel

// Offscreen, in one QApplication, with DejaVu Sans (Debian's fonts-dejavu-core)
// as the only font: fontconfig is shown its folder and nothing else. On
// Windows, with whatever font the system gives.
int main(int argc, char* argv[]) {
#ifdef SIGXFSZ
    // As the program does: a file-size limit then fails the one write.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#ifndef _WIN32
    const QString dejaVu = QStringLiteral("/usr/share/fonts/truetype/dejavu");
    QTemporaryDir fonts;
    QFile setup(fonts.filePath(QStringLiteral("fonts.conf")));
    if (!QFileInfo(dejaVu).isDir() || !setup.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "DejaVu Sans (fonts-dejavu-core) is not in %s\n", qPrintable(dejaVu));
        return 1;
    }
    setup.write(QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig><dir>%1</dir>"
                               "<cachedir>%2</cachedir></fontconfig>\n")
                    .arg(dejaVu, fonts.filePath(QStringLiteral("cache")))
                    .toUtf8());
    setup.close();
    qputenv("FONTCONFIG_FILE", QFile::encodeName(setup.fileName()));
#endif
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
