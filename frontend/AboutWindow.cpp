#include "AboutWindow.h"

#include <QMouseEvent>

#include "AboutTexts.h"
#include "MainWindow.h"
#include "QtServices.h"
#include "ui_frmAbout.h"

namespace ostrel {

AboutWindow::AboutWindow(Shell& shell, MessageBox& messages, QWidget* owner)
    : QDialog(owner), ui_(std::make_unique<Ui::frmAbout>()), shell_(shell), messages_(messages) {
    ui_->setupUi(this);
    setFont(WindowFont());
    QFont big = WindowFont();
    big.setPointSize(12);
    big.setBold(true);
    ui_->lblName->setFont(big);
    ui_->lblCompanyName->setFont(big);
    setFixedSize(size());

    const AboutTexts texts = MakeAboutTexts();
    setWindowTitle(ToQt(texts.Caption));
    const QIcon icon = owner != nullptr ? owner->windowIcon() : ProgramIcon();
    ui_->imgOstrel->setPixmap(icon.pixmap(32, 32));
    ui_->imgCalvenor->setPixmap(CompanyLogo());
    ui_->lblName->setText(ToQt(texts.Name));
    ui_->lblRevision->setText(ToQt(texts.Revision));
    ui_->lblCompanyName->setText(ToQt(texts.CompanyName));
    ui_->lblLegalCopyright->setText(ToQt(texts.LegalCopyright));
    ui_->lblLinkWeb->setText(ToQt(texts.WebCaption));
    ui_->lblLinkMail->setText(ToQt(texts.MailCaption));
    // A link wider than its place (another font than the design's) pushes the
    // words after it to the right rather than being cut off.
    const std::pair<QLabel*, QLabel*> rows[] = {{ui_->lblLinkWeb, ui_->Label6},
                                                {ui_->lblLinkMail, ui_->Label5}};
    for (const auto& [link, after] : rows) {
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
        const int overflow = link->sizeHint().width() - link->width();
        if (overflow > 0) {
            link->resize(link->width() + overflow, link->height());
            after->move(after->x() + overflow, after->y());
        }
    }
    connect(ui_->OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

AboutWindow::~AboutWindow() = default;

bool AboutWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == ui_->lblLinkWeb) {
            OpenWebLink(shell_, messages_);
            return true;
        }
        if (watched == ui_->lblLinkMail) {
            OpenMailLink(shell_, messages_);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace ostrel
