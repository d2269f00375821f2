#include "ConsoleUser.h"

#include <string>

namespace ostrel::cli {

Answer ConsoleUser::ShowWithExtras(const std::string& prompt, const std::string& /*title*/,
                                   MessageKind kind, MessageExtras& extras) {
    const std::string text = extras.Details.empty() ? prompt : prompt + "\n\n" + extras.Details;
    Clear();
    std::fprintf(errors_, "%s\n", text.c_str());
    if (text.find('\n') != std::string::npos) {
        std::fputc('\n', errors_);  // keep reports of several lines apart
    }
    std::fflush(errors_);
    Draw(true);
    return kind == MessageKind::Question ? Answer::Yes : Answer::Ok;
}

void ConsoleUser::SetProgressPosition(std::int32_t value) {
    position_ = value;
    Draw(false);
}

void ConsoleUser::SetProgressVisible(bool visible) {
    if (visible && !visible_) {
        started_ = std::chrono::steady_clock::now();
    }
    visible_ = visible;
    if (visible) {
        Draw(true);
    } else {
        Clear();
    }
}

void ConsoleUser::Draw(bool force) {
    if (!progress_ || !visible_) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDraw_ < std::chrono::milliseconds(100) && position_ != maximum_) {
        return;
    }
    lastDraw_ = now;
    const double seconds = std::chrono::duration<double>(now - started_).count();
    const double rate = seconds > 0 ? position_ / seconds : 0;
    const int width = 30;
    const int filled =
        maximum_ > 0 ? static_cast<int>(static_cast<long long>(width) * position_ / maximum_) : 0;
    std::string bar(static_cast<std::size_t>(std::min(filled, width)), '#');
    bar.resize(width, '-');
    std::string left = "--:--";
    if (rate > 0 && maximum_ >= position_) {
        const long remaining = static_cast<long>((maximum_ - position_) / rate);
        char text[32];
        std::snprintf(text, sizeof text, "%ld:%02ld", remaining / 60, remaining % 60);
        left = text;
    }
    std::fprintf(errors_, "\r[%s] %d/%d  %.1f files/s  %s left ", bar.c_str(), position_, maximum_,
                 rate, left.c_str());
    std::fflush(errors_);
    drawn_ = true;
}

void ConsoleUser::Clear() {
    if (drawn_) {
        std::fprintf(errors_, "\r\033[K");
        std::fflush(errors_);
        drawn_ = false;
    }
}

}  // namespace ostrel::cli
