#include "AboutWindow.h"

#include <array>

#include "AboutTexts.h"
#include "Accessibility.h"
#include "CaptionFit.h"
#include "LinkLabel.h"
#include "ProgramIdentity.h"
#include "QtText.h"
#include "WindowLook.h"
#include "ui_frmAbout.h"

namespace ostrel {

AboutWindow::AboutWindow(Shell& shell, MessageBox& messages, QWidget* owner)
    : QDialog(owner), ui_(std::make_unique<Ui::frmAbout>()) {
    InstallAccessibleInterfaces();
    ui_->setupUi(this);
    setFont(WindowFont());
    QFont big = WindowFont();
    big.setPointSize(12);
    big.setBold(true);
    ui_->lblName->setFont(big);
    ui_->lblCompanyName->setFont(big);

    const AboutTexts texts = MakeAboutTexts();
    setWindowTitle(ToQt(texts.Caption));
    const QIcon icon = owner != nullptr ? owner->windowIcon() : ProgramIcon();
    ui_->imgOstrel->setPixmap(icon.pixmap(ui_->imgOstrel->size()));
    ui_->imgCalvenor->setPixmap(CompanyLogo().pixmap(ui_->imgCalvenor->size()));
    // The pictures repeat the names beside them; a screen reader says what they are.
    ui_->imgOstrel->setAccessibleName(QLatin1String(identity::Title) + QStringLiteral(" icon"));
    ui_->imgCalvenor->setAccessibleName(ToQt(texts.CompanyName) + QStringLiteral(" logo"));
    ui_->lblName->setText(ToQt(texts.Name));
    ui_->lblRevision->setText(ToQt(texts.Revision));
    ui_->lblCompanyName->setText(ToQt(texts.CompanyName));
    ui_->lblLegalCopyright->setText(ToQt(texts.LegalCopyright));
    ui_->lblLinkWeb->setText(ToQt(texts.WebCaption));
    ui_->lblLinkMail->setText(ToQt(texts.MailCaption));
    // Labels write from the top, so that the words of a row stand on one line.
    for (QLabel* label : findChildren<QLabel*>()) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    // The rows "Visit us at <link> for" and "Write to us at <link> to get" read
    // as one sentence each: the link and the words after it follow with one
    // blank's gap, whatever width the font gives the words.
    const QFontMetrics metrics(font());
    const int gap = metrics.horizontalAdvance(QLatin1Char(' '));
    const std::array<std::array<QLabel*, 3>, 2> rows{
        {{ui_->Label2, ui_->lblLinkWeb, ui_->Label6},
         {ui_->Label3, ui_->lblLinkMail, ui_->Label5}}};
    for (const auto& row : rows) {
        int x = row[0]->x();
        for (QLabel* label : row) {
            // The drawn text can reach a pixel past its advance.
            label->setGeometry(x, label->y(), label->sizeHint().width(), label->height());
            x += metrics.horizontalAdvance(label->text()) + gap;
        }
    }
    FitCaptions(this);
    setFixedSize(size());
    ui_->OKButton->setFocus();

    connect(ui_->lblLinkWeb, &LinkLabel::activated, this,
            [&shell, &messages] { OpenWebLink(shell, messages); });
    connect(ui_->lblLinkMail, &LinkLabel::activated, this,
            [&shell, &messages] { OpenMailLink(shell, messages); });
    connect(ui_->OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

AboutWindow::~AboutWindow() = default;

}  // namespace ostrel
