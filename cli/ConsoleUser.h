#pragma once
// The user interaction services in a terminal: messages go to standard error
// (nothing waits for an answer), and the progress bar is drawn on standard
// error when that is a terminal.

#include <chrono>
#include <cstdio>

#include "UserInteraction.h"

namespace ostrel::cli {

class ConsoleUser final : public UserInteraction {
public:
    ConsoleUser(std::FILE* errors, bool showProgress) : errors_(errors), progress_(showProgress) {}

    // The details follow the prompt after an empty line; the check box stays
    // as it was.
    Answer ShowWithExtras(const std::string& prompt, const std::string& title, MessageKind kind,
                          MessageExtras& extras) override;
    void SetBusyPointer(bool) override {}
    void SetProgressMaximum(std::int32_t value) override { maximum_ = value; }
    void SetProgressPosition(std::int32_t value) override;
    void SetProgressVisible(bool visible) override;

private:
    void Draw(bool force);
    void Clear();

    std::FILE* errors_;
    bool progress_;
    bool visible_ = false;
    bool drawn_ = false;
    std::int32_t maximum_ = 0;
    std::int32_t position_ = 0;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace ostrel::cli
