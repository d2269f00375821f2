#pragma once
// What the About window shows and opens.

#include <string>

#include "MessageBox.h"
#include "Shell.h"

namespace ostrel {

struct AboutTexts {
    std::string Caption;   // "About Ostrel"
    std::string Name;      // "Ostrel 2.8b"
    std::string Revision;  // "Build 14"
    std::string CompanyName;
    std::string LegalCopyright;  // the notice less a trailing company name
    std::string WebCaption;      // the web address without its scheme
    std::string MailCaption;
};

AboutTexts MakeAboutTexts();

// The copyright notice without the company name and the one character before
// it, when the notice ends with the company name (case-sensitive) and is
// longer than it; otherwise the whole notice.
std::string StripCompanyName(const std::string& notice, const std::string& company);

// "mailto:Calvenor Solutions <address>?Subject=Ostrel 2.8 Build 14".
std::string MailTarget();

// Open the web page or a new mail through the shell; a failure is shown.
void OpenWebLink(Shell& shell, MessageBox& messages);
void OpenMailLink(Shell& shell, MessageBox& messages);

}  // namespace ostrel
