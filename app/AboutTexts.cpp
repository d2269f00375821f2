#include "AboutTexts.h"

#include "ProgramIdentity.h"

namespace ostrel {
namespace {

std::string Version() {
    return std::to_string(identity::Major) + "." + std::to_string(identity::Minor);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// What a failure report adds when the system said why.
std::string Because(const ShellFailure& failure) {
    if (failure.Description.empty()) {
        return "";
    }
    return " due to the following error: " + failure.Description;
}

}  // namespace

std::string StripCompanyName(const std::string& notice, const std::string& company) {
    if (!company.empty() && notice.size() > company.size() && notice.ends_with(company)) {
        return notice.substr(0, notice.size() - company.size() - 1);
    }
    return notice;
}

AboutTexts MakeAboutTexts() {
    AboutTexts texts;
    texts.Caption = std::string("About ") + identity::Title;
    texts.Name = std::string(identity::Title) + " " + Version() + "b";
    texts.Revision = "Build " + std::to_string(identity::Revision);
    texts.CompanyName = identity::CompanyName;
    texts.LegalCopyright = StripCompanyName(identity::LegalCopyright, identity::CompanyName);
    std::string web = identity::WebAddress;
    const auto scheme = web.find("://");
    texts.WebCaption = scheme == std::string::npos ? web : web.substr(scheme + 3);
    texts.MailCaption = identity::SupportEmail;
    return texts;
}

std::string MailTarget() {
    return std::string("mailto:") + identity::CompanyName + " <" + identity::SupportEmail + ">" +
           "?Subject=" + identity::Title + " " + Version() + " Build " +
           std::to_string(identity::Revision);
}

void OpenWebLink(Shell& shell, MessageBox& messages) {
    const std::string target = identity::WebAddress;
    if (const std::optional<ShellFailure> failure = shell.Open(target)) {
        messages.Show("Unable to open " + Quoted(target) + Because(*failure) + ".", "Launch Web",
                      MessageKind::Warning);
    }
}

void OpenMailLink(Shell& shell, MessageBox& messages) {
    if (const std::optional<ShellFailure> failure = shell.Open(MailTarget())) {
        messages.Show("Unable to open email client" + Because(*failure) + ".", "Launch Email",
                      MessageKind::Warning);
    }
}

}  // namespace ostrel
