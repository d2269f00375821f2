#include <QDir>
#include <QFileDialog>

#include "QtServices.h"

namespace ostrel {
namespace {

// "PMP Files (*.PMP)|*.PMP" -> "PMP Files (*.PMP)", the form Qt expects.
QString NameFilter(const std::string& filter) {
    const QString text = ToQt(filter);
    const auto bar = text.indexOf('|');
    if (bar < 0) {
        return text;
    }
    const QString description = text.left(bar);
    const QString pattern = text.mid(bar + 1);
    return description.contains('(') ? description : description + " (" + pattern + ")";
}

}  // namespace

std::optional<std::string> QtFileDialog::ShowOpen(const OpenDialogSettings& settings) {
    QFileDialog dialog(parent_, ToQt(settings.DialogTitle));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);  // a typed name need not exist
    dialog.setNameFilter(NameFilter(settings.Filter));
    dialog.setDirectory(ToQt(settings.InitDir));
    dialog.selectFile(ToQt(settings.FileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return FromQt(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}

}  // namespace ostrel
