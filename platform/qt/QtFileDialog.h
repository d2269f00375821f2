#pragma once
// The file-open dialog on Qt's own QFileDialog, modal over its parent window:
// any name may be typed, its folder must exist, and a folder path typed in
// full picks that folder.

#include "FileDialog.h"

class QWidget;

namespace ostrel {

class QtFileDialog final : public FileDialog {
public:
    explicit QtFileDialog(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    std::optional<std::string> ShowOpen(const OpenDialogRequest& request) override;

private:
    QWidget* parent_;
};

}  // namespace ostrel
