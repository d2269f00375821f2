#pragma once
// Test doubles for the services the front end uses.

#include <deque>
#include <map>
#include <optional>
#include <tuple>

#include "Doubles.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "SettingsStore.h"
#include "Shell.h"

namespace ostrel::test {

// Records every box and answers questions as told.
class RecordingMessageBox : public MessageBox {
  public:
    Answer Show(const std::string& prompt, const std::string& title, MessageKind kind) override {
        Shown.push_back({prompt, title, kind});
        if (OnShow) {
            OnShow();
        }
        return kind == MessageKind::Question ? QuestionAnswer : Answer::Ok;
    }
    Answer QuestionAnswer = Answer::Yes;
    std::vector<ShownMessage> Shown;
    std::function<void()> OnShow;
};

// A settings store in memory: (application, section, key) -> text.
class MemorySettingsStore : public SettingsStore {
  public:
    std::string Read(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& fallback) override {
        const auto it = Values.find({application, section, key});
        return it == Values.end() ? fallback : it->second;
    }
    void Write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override {
        Values[{application, section, key}] = value;
        ++Writes;
    }
    std::map<std::tuple<std::string, std::string, std::string>, std::string> Values;
    int Writes = 0;
};

// Answers each showing with the next scripted answer (nothing = cancel).
class ScriptedFileDialog : public FileDialog {
  public:
    std::optional<std::string> ShowOpen(const OpenDialogSettings& settings) override {
        Showings.push_back(settings);
        if (Answers.empty()) {
            return std::nullopt;
        }
        auto answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    std::deque<std::optional<std::string>> Answers;
    std::vector<OpenDialogSettings> Showings;
};

// Returns a set result, or fails the call when told to.
class FakeShell : public Shell {
  public:
    std::int32_t Execute(const std::string& operation, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         std::int32_t showCommand) override {
        Calls.push_back({operation, file, parameters, directory, showCommand});
        if (Failure) {
            throw ShellError(*Failure);
        }
        return Result;
    }
    struct Call {
        std::string Operation, File, Parameters, Directory;
        std::int32_t ShowCommand;
    };
    std::int32_t Result = 42;
    std::optional<std::string> Failure;
    std::vector<Call> Calls;
};

}  // namespace ostrel::test
