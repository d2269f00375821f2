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
    // blank's gap, whatever width the font gives the words (each label's own,
    // a style sheet's included). Where a row is wider than the window, both
    // sentences are drawn smaller, alike.
    ensurePolished();
    const std::array<std::array<QLabel*, 3>, 2> rows{
        {{ui_->Label2, ui_->lblLinkWeb, ui_->Label6},
         {ui_->Label3, ui_->lblLinkMail, ui_->Label5}}};
    // The text's column ends where the design ends the name's line.
    const int end = ui_->lblName->geometry().right();
    const auto placeRows = [end, &rows] {
        bool fit = true;
        for (const auto& row : rows) {
            int x = row[0]->x();
            for (QLabel* label : row) {
                // The drawn text can reach a pixel past its advance.
                label->setGeometry(x, label->y(), label->sizeHint().width(), label->height());
                const QFontMetrics metrics = label->fontMetrics();
                x += metrics.horizontalAdvance(label->text()) +
                     metrics.horizontalAdvance(QLatin1Char(' '));
            }
            fit = fit && row.back()->geometry().right() <= end;
        }
        return fit;
    };
    while (!placeRows() && ui_->Label2->font().pointSizeF() > 6) {
        for (QLabel* label : std::initializer_list<QLabel*>{
                 ui_->Label2, ui_->lblLinkWeb, ui_->Label6, ui_->Label7, ui_->Label3,
                 ui_->lblLinkMail, ui_->Label5, ui_->Label4}) {
            QFont smaller = label->font();
            smaller.setPointSizeF(smaller.pointSizeF() - 0.25);
            label->setFont(smaller);
        }
    }
    // A screen reader, opening the window, reads it as the sentences it shows.
    // Left to itself, Orca reads what it takes for stray labels (those of three
    // words or more that label nothing) and none of the links; so the labels
    // label the window, and its description is the whole text.
    const auto words = [](std::initializer_list<const QLabel*> labels) {
        QStringList row;
        for (const QLabel* label : labels) {
            row << label->text();
        }
        return row.join(QLatin1Char(' '));
    };
    for (QLabel* label :
         {ui_->lblName, ui_->lblRevision, ui_->lblCompanyName, ui_->lblLegalCopyright, ui_->Label2,
          ui_->Label6, ui_->Label7, ui_->Label3, ui_->Label5, ui_->Label4}) {
        label->setBuddy(this);
    }
    setAccessibleDescription(
        ui_->lblName->text() + QStringLiteral(", ") + ui_->lblRevision->text() +
        QStringLiteral(". ") + ui_->lblCompanyName->text() + QStringLiteral(". ") +
        ui_->lblLegalCopyright->text() + QStringLiteral(". ") +
        words({ui_->Label2, ui_->lblLinkWeb, ui_->Label6, ui_->Label7}) + QLatin1Char(' ') +
        words({ui_->Label3, ui_->lblLinkMail, ui_->Label5, ui_->Label4}));
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
