#pragma once
// The Qt implementations of the platform services.

#include "FileDialog.h"
#include "MessageBox.h"
#include "QtSettingsStore.h"
#include "Shell.h"

class QWidget;

namespace ostrel {

// QMessageBox, modal over `parent`.
class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    Answer Show(const std::string& prompt, const std::string& title, MessageKind kind) override;

private:
    QWidget* parent_;
};

// Qt's own QFileDialog in open mode: any name may be typed, its folder must
// exist, and a folder path typed in full picks that folder.
class QtFileDialog final : public FileDialog {
public:
    explicit QtFileDialog(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    std::optional<std::string> ShowOpen(const OpenDialogSettings& settings) override;

private:
    QWidget* parent_;
};

// QDesktopServices::openUrl.
class QtShell final : public Shell {
public:
    std::int32_t Execute(const std::string& operation, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         std::int32_t showCommand) override;
};

}  // namespace ostrel
