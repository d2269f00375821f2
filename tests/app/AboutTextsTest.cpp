#include <gtest/gtest.h>

#include "AboutTexts.h"
#include "Doubles.h"
#include "TempTree.h"

namespace ostrel {
namespace {

TEST(AboutTexts, LabelsAndTheCopyrightRule) {
    const AboutTexts texts = MakeAboutTexts();
    EXPECT_EQ(texts.Name, "Ostrel 2.8b");
    EXPECT_EQ(texts.Revision, "Build 14");
    EXPECT_EQ(texts.LegalCopyright, "Copyright (C) 1999-2026");
    EXPECT_EQ(texts.WebCaption, "www.calvenor.example");
    EXPECT_EQ(StripCompanyName("(C) 2026-Acme", "Acme"), "(C) 2026");
    EXPECT_EQ(StripCompanyName("(C) 2026 Acme.", "Acme"), "(C) 2026 Acme.");
    EXPECT_EQ(StripCompanyName("(C) 2026 ACME", "Acme"), "(C) 2026 ACME");
    EXPECT_EQ(StripCompanyName("Acme", "Acme"), "Acme");
    EXPECT_EQ(StripCompanyName("(C) 2026", ""), "(C) 2026");
}

TEST(AboutTexts, TheLinksOpenTheWebSiteAndAMailToSupportAboutThisBuild) {
    test::FakeShell shell;
    test::RecordingUser user;
    OpenWebLink(shell, user);
    OpenMailLink(shell, user);
    EXPECT_EQ(shell.Targets,
              (test::Names{"http://www.calvenor.example",
                           "mailto:Calvenor Solutions <help@calvenor.example>?Subject=Ostrel 2.8 "
                           "Build 14"}));
    EXPECT_TRUE(user.Messages.empty());
}

TEST(AboutTexts, ALinkThatFailsIsToldWithTheSystemsReasonIfItGaveOne) {
    test::FakeShell shell;
    test::RecordingUser user;
    for (const std::string reason : {"", "The specified module could not be found"}) {
        shell.Failure = ShellFailure{reason};
        OpenWebLink(shell, user);
        OpenMailLink(shell, user);
    }
    EXPECT_EQ(user.Prompts,
              (test::Names{
                  "Unable to open \"http://www.calvenor.example\".", "Unable to open email client.",
                  "Unable to open \"http://www.calvenor.example\" due to the following error: "
                  "The specified module could not be found.",
                  "Unable to open email client due to the following error: The specified module "
                  "could not be found."}));
    EXPECT_EQ(user.Calls, (test::Names{"message:Launch Web", "message:Launch Email",
                                       "message:Launch Web", "message:Launch Email"}));
    EXPECT_EQ(user.Messages[0].Kind, MessageKind::Warning);
}

}  // namespace
}  // namespace ostrel
