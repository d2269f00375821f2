#include <gtest/gtest.h>

#include "AboutTexts.h"
#include "FrontendDoubles.h"
#include "ProgramIdentity.h"

namespace ostrel {
namespace {

TEST(AboutTexts, LabelsBuiltAtLoad) {
    const AboutTexts texts = MakeAboutTexts();
    EXPECT_EQ(texts.Caption, "About Ostrel");
    EXPECT_EQ(texts.Name, "Ostrel 2.8b");
    EXPECT_EQ(texts.Revision, "Build 14");
    EXPECT_EQ(texts.CompanyName, "Calvenor Solutions");
    EXPECT_EQ(texts.LegalCopyright, "Copyright (C) 1999-2026");
    EXPECT_EQ(texts.WebCaption, "www.calvenor.example");
    EXPECT_EQ(texts.MailCaption, "help@calvenor.example");
}

TEST(AboutTexts, CopyrightLosesATrailingCompanyNameOnly) {
    EXPECT_EQ(StripCompanyName("(C) 2026 Acme", "Acme"), "(C) 2026");
    EXPECT_EQ(StripCompanyName("(C) 2026-Acme", "Acme"), "(C) 2026");
    EXPECT_EQ(StripCompanyName("(C) 2026 Acme.", "Acme"), "(C) 2026 Acme.");
    EXPECT_EQ(StripCompanyName("(C) 2026 ACME", "Acme"), "(C) 2026 ACME");
    EXPECT_EQ(StripCompanyName("Acme", "Acme"), "Acme");
    EXPECT_EQ(StripCompanyName("(C) 2026", ""), "(C) 2026");
}

TEST(AboutTexts, WebLink) {
    test::FakeShell shell;
    test::RecordingMessageBox messages;
    OpenWebLink(shell, messages);
    ASSERT_EQ(shell.Calls.size(), 1U);
    EXPECT_EQ(shell.Calls[0].Operation, "open");
    EXPECT_EQ(shell.Calls[0].File, "\"http://www.calvenor.example\"");
    EXPECT_EQ(shell.Calls[0].Parameters, "");
    EXPECT_EQ(shell.Calls[0].Directory, "");
    EXPECT_EQ(shell.Calls[0].ShowCommand, 1);
    EXPECT_TRUE(messages.Shown.empty());

    shell.Result = 32;  // 32 fails, 33 succeeds
    OpenWebLink(shell, messages);
    shell.Result = 33;
    OpenWebLink(shell, messages);
    shell.Failure = "The specified module could not be found";
    OpenWebLink(shell, messages);
    ASSERT_EQ(messages.Shown.size(), 2U);
    EXPECT_EQ(messages.Shown[0].Prompt, "Unable to open \"http://www.calvenor.example\".");
    EXPECT_EQ(messages.Shown[1].Prompt,
              "Unable to open \"http://www.calvenor.example\" due to the following error: "
              "The specified module could not be found.");
    EXPECT_EQ(messages.Shown[1].Title, "Launch Web");
    EXPECT_EQ(messages.Shown[1].Kind, MessageKind::Warning);
}

TEST(AboutTexts, MailLink) {
    EXPECT_EQ(MailTarget(),
              "mailto:Calvenor Solutions <help@calvenor.example>?Subject=Ostrel 2.8 Build 14");
    test::FakeShell shell;
    test::RecordingMessageBox messages;
    OpenMailLink(shell, messages);
    EXPECT_EQ(shell.Calls[0].File, "\"" + MailTarget() + "\"");
    shell.Result = 2;
    OpenMailLink(shell, messages);
    shell.Failure = "no shell";
    OpenMailLink(shell, messages);
    ASSERT_EQ(messages.Shown.size(), 2U);
    EXPECT_EQ(messages.Shown[0].Prompt, "Unable to open email client.");
    EXPECT_EQ(messages.Shown[1].Prompt,
              "Unable to open email client due to the following error: no shell.");
    EXPECT_EQ(messages.Shown[1].Title, "Launch Email");
}

}  // namespace
}  // namespace ostrel
