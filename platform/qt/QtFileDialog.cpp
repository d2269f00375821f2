#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "QtFileDialog.h"
#include "QtText.h"

namespace ostrel {
namespace {

// "PMP Files (*.PMP)": the filter as the dialog shows it.
QString NameFilter(const OpenDialogRequest& request) {
    QStringList patterns;
    for (const std::string& pattern : request.Patterns) {
        patterns << ToQt(pattern);
    }
    return ToQt(request.FilterName) + " (" + patterns.join(' ') + ")";
}

// The patterns as the user means them: "*.*" is every file, a name without a
// dot too.
QStringList Patterns(const OpenDialogRequest& request) {
    QStringList patterns;
    for (const std::string& pattern : request.Patterns) {
        patterns << (pattern == "*.*" ? QStringLiteral("*") : ToQt(pattern));
    }
    return patterns;
}

// Qt's own dialog with the rules of the picker: the folder of the accepted name
// must exist, and a folder path typed in full picks that folder.
// A desktop's own open dialog (GTK's, the portal's) has no box to type a name
// in, so an empty folder could not be picked there: this is always Qt's own.
class PickerDialog final : public QFileDialog {
public:
    PickerDialog(QWidget* parent, const QString& title) : QFileDialog(parent, title) {
        setOption(QFileDialog::DontUseNativeDialog);
        // It looks like the window it belongs to (its font above all).
        setAttribute(Qt::WA_WindowPropagation);
        nameBox_ = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        if (nameBox_ == nullptr || buttons == nullptr) {
            return;
        }
        // Qt greys out Open for a folder path in the name box; here it picks
        // that folder.
        nameBox_->installEventFilter(this);
        connect(nameBox_, &QLineEdit::textChanged, this, [this, buttons] {
            if (TypedFolder()) {
                buttons->button(QDialogButtonBox::Open)->setEnabled(true);
            }
        });
    }

    // The accepted name: a full path, ending in a separator for a folder.
    QString Picked() const { return picked_.isEmpty() ? selectedFiles().value(0) : picked_; }

    void accept() override {
        // A folder chosen in the list is opened, as usual; one typed in full is
        // the answer.
        if (TypedFolder()) {
            picked_ = QDir(nameBox_->text()).absolutePath();
            if (!picked_.endsWith('/')) {
                picked_ += '/';
            }
            // Past QFileDialog's own accept, which would open the folder
            // instead of taking it.
            QDialog::accept();  // NOLINT(bugprone-parent-virtual-call)
            return;
        }
        const QStringList names = selectedFiles();
        if (names.size() != 1) {
            QFileDialog::accept();
            return;
        }
        const QFileInfo name(names.constFirst());
        if (!name.isDir() && !name.absoluteDir().exists()) {
            // Qt's own wording, so that its translations apply.
            QMessageBox::warning(this, windowTitle(),
                                 tr("%1\nDirectory not found.\nPlease verify the correct "
                                    "directory name was given.")
                                     .arg(QDir::toNativeSeparators(name.absolutePath())));
            return;
        }
        QFileDialog::accept();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == nameBox_ && event->type() == QEvent::KeyPress && TypedFolder()) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                accept();
                return true;
            }
        }
        return QFileDialog::eventFilter(watched, event);
    }

private:
    bool TypedFolder() const {
        return nameBox_ != nullptr && QDir::isAbsolutePath(nameBox_->text()) &&
               QFileInfo(nameBox_->text()).isDir();
    }

    QLineEdit* nameBox_ = nullptr;
    QString picked_;
};

}  // namespace

std::optional<std::string> QtFileDialog::ShowOpen(const OpenDialogRequest& request) {
    PickerDialog dialog(parent_, ToQt(request.Title));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);  // a typed name need not exist
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setNameFilter(NameFilter(request));
    if (auto* model = dialog.findChild<QFileSystemModel*>()) {
        model->setNameFilters(Patterns(request));
    }
    dialog.setDirectory(ToQt(request.InitialFolder));
    dialog.selectFile(ToQt(request.FileName));
    if (dialog.exec() != QDialog::Accepted || dialog.Picked().isEmpty()) {
        return std::nullopt;
    }
    return FromQt(QDir::toNativeSeparators(dialog.Picked()));
}

}  // namespace ostrel
