#pragma once
// The message box on QMessageBox, modal over its parent window.

#include "MessageBox.h"

class QWidget;

namespace ostrel {

class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    Answer ShowWithExtras(const std::string& prompt, const std::string& title, MessageKind kind,
                          MessageExtras& extras) override;

private:
    QWidget* parent_;
};

}  // namespace ostrel
