#include <QAbstractButton>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <algorithm>

#include "QtMessageBox.h"
#include "QtText.h"

namespace ostrel {
namespace {

QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Critical:
            return QMessageBox::Critical;
        case MessageKind::Question:
            return QMessageBox::Question;
        case MessageKind::Warning:
            return QMessageBox::Warning;
        case MessageKind::Information:
            break;
    }
    return QMessageBox::Information;
}

// The details show a list of problems of two lines each (what, and why) with
// an empty line between them: eight of them at a time, their lines unbroken
// for paths of ordinary length, as far as the screen lets them.
void ShowDetailsLarge(QMessageBox& box) {
    auto* details = box.findChild<QTextEdit*>();
    if (details == nullptr) {
        return;
    }
    const QFontMetrics metrics = details->fontMetrics();
    const int frame =
        2 * details->frameWidth() + static_cast<int>(2 * details->document()->documentMargin());
    int width = metrics.averageCharWidth() * 90 + frame;
    int height = metrics.lineSpacing() * 8 * 3 + frame;
    if (const QScreen* screen = box.screen()) {
        width = std::min(width, screen->availableGeometry().width() * 4 / 5);
        height = std::min(height, screen->availableGeometry().height() * 2 / 3);
    }
    details->setMinimumWidth(width);
    details->setFixedHeight(height);
}

}  // namespace

Answer QtMessageBox::ShowWithExtras(const std::string& prompt, const std::string& title,
                                    MessageKind kind, MessageExtras& extras) {
    QMessageBox box(parent_);
    // The box looks like the window it belongs to (its font above all), on
    // any system.
    box.setAttribute(Qt::WA_WindowPropagation);
    box.setWindowTitle(ToQt(title));
    box.setText(ToQt(prompt));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(IconOf(kind));
    const bool question = kind == MessageKind::Question;
    box.setStandardButtons(question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    box.setDefaultButton(!question            ? QMessageBox::Ok
                         : extras.NoByDefault ? QMessageBox::No
                                              : QMessageBox::Yes);
    if (question) {
        box.setEscapeButton(QMessageBox::No);
    }
    QAbstractButton* byDefault = box.defaultButton();
    if (!extras.Details.empty()) {
        box.setDetailedText(ToQt(extras.Details));
        ShowDetailsLarge(box);
        for (QAbstractButton* button : box.buttons()) {
            if (box.buttonRole(button) == QMessageBox::ActionRole) {
                button->setAccessibleDescription(
                    QStringLiteral("Shows or hides the details under the message"));
                // Showing the details leaves Enter to the default button.
                QObject::connect(button, &QAbstractButton::clicked, byDefault,
                                 [byDefault] { byDefault->setFocus(); });
            }
        }
    }
    QCheckBox* check = nullptr;
    if (!extras.CheckBox.empty()) {
        QString caption = ToQt(extras.CheckBox);
        if (!caption.contains(QLatin1Char('&'))) {
            caption.prepend(QLatin1Char('&'));  // its first letter reaches it with Alt
        }
        check = new QCheckBox(caption);  // the box takes it
        check->setChecked(extras.Checked);
        box.setCheckBox(check);
    }
    const int pressed = box.exec();
    if (check != nullptr) {
        extras.Checked = check->isChecked();
    }
    if (question) {
        return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    return Answer::Ok;
}

}  // namespace ostrel
