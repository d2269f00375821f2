#pragma once
// The modal message box: a prompt, a title, one of four kinds, and the answer.

#include <string>

namespace ostrel {

enum class MessageKind {
    Critical,     // stop icon, OK
    Question,     // question icon, Yes and No, Yes the default
    Warning,      // warning icon, OK
    Information,  // information icon, OK
};

enum class Answer { Ok, Yes, No };

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Lines of `prompt` are separated by "\n". Returns when the box is closed;
    // closing it without Yes counts as No after a question.
    virtual Answer Show(const std::string& prompt, const std::string& title, MessageKind kind) = 0;
};

}  // namespace ostrel
