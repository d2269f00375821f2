#include <QMessageBox>

#include "QtMessageBox.h"
#include "QtText.h"

namespace ostrel {

Answer QtMessageBox::Show(const std::string& prompt, const std::string& title, MessageKind kind) {
    QMessageBox box(parent_);
    box.setWindowTitle(ToQt(title));
    box.setText(ToQt(prompt));
    box.setTextFormat(Qt::PlainText);
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
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

}  // namespace ostrel
