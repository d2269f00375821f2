#include <QCheckBox>
#include <QMessageBox>

#include "QtMessageBox.h"
#include "QtText.h"

namespace ostrel {

Answer QtMessageBox::ShowWithExtras(const std::string& prompt, const std::string& title,
                                    MessageKind kind, MessageExtras& extras) {
    QMessageBox box(parent_);
    box.setWindowTitle(ToQt(title));
    box.setText(ToQt(prompt));
    box.setTextFormat(Qt::PlainText);
    if (!extras.Details.empty()) {
        box.setDetailedText(ToQt(extras.Details));
    }
    QCheckBox* check = nullptr;
    if (!extras.CheckBox.empty()) {
        check = new QCheckBox(ToQt(extras.CheckBox));  // the box takes it
        check->setChecked(extras.Checked);
        box.setCheckBox(check);
    }
    const auto checkedWhenClosed = [&] {
        if (check != nullptr) {
            extras.Checked = check->isChecked();
        }
    };
    switch (kind) {
        case MessageKind::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageKind::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MessageKind::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageKind::Information:
            box.setIcon(QMessageBox::Information);
            break;
    }
    if (kind == MessageKind::Question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        const bool yes = box.exec() == QMessageBox::Yes;
        checkedWhenClosed();
        return yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    checkedWhenClosed();
    return Answer::Ok;
}

}  // namespace ostrel
