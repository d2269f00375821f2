#pragma once
// The modal message box: a prompt, a title, one of four kinds, and the answer;
// where asked, a check box under the prompt and details shown on request. The
// one way the program's parts talk to the user in a box (or, in a terminal,
// on standard error).

#include <string>

namespace ostrel {

enum class MessageKind {
    Critical,     // stop icon, OK
    Question,     // question icon, Yes and No, Yes the default
    Warning,      // warning icon, OK
    Information,  // information icon, OK
};

enum class Answer { Ok, Yes, No };

// What a box carries beside its prompt.
struct MessageExtras {
    std::string CheckBox;      // the caption of a check box under the prompt; none when empty
    bool Checked = false;      // the check box's state: as shown, then as the box was closed
    std::string Details;       // lines the box shows on request; none when empty
    bool NoByDefault = false;  // a question whose default is No, where Yes undoes work
};

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Lines of `prompt` and of the details are separated by "\n". Returns when
    // the box is closed; closing it without Yes counts as No after a question.
    // Only Yes after a question is ever acted on. A front without a check box
    // or details shows the details after the prompt and an empty line, and
    // leaves the check box as it was.
    virtual Answer ShowWithExtras(const std::string& prompt, const std::string& title,
                                  MessageKind kind, MessageExtras& extras) = 0;
    Answer Show(const std::string& prompt, const std::string& title, MessageKind kind) {
        MessageExtras none;
        return ShowWithExtras(prompt, title, kind, none);
    }
};

}  // namespace ostrel
