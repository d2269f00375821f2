#pragma once
// The Qt implementations of the platform services.

#include <QString>
#include <optional>

#include "FileDialog.h"
#include "MessageBox.h"
#include "SettingsStore.h"
#include "Shell.h"

class QWidget;

namespace ostrel {

QString ToQt(const std::string& text);
std::string FromQt(const QString& text);

// QMessageBox, modal over `parent`.
class QtMessageBox final : public MessageBox {
  public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    Answer Show(const std::string& prompt, const std::string& title, MessageKind kind) override;

  private:
    QWidget* parent_;
};

// QSettings in the user's native store (the registry on Windows, an INI file
// under the XDG configuration folder elsewhere), one store per application
// name. With `folder`, an INI file "<application>.conf" in that folder instead.
class QtSettingsStore final : public SettingsStore {
  public:
    explicit QtSettingsStore(std::optional<QString> folder = std::nullopt)
        : folder_(std::move(folder)) {}
    std::string Read(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& fallback) override;
    void Write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;

  private:
    std::optional<QString> folder_;
};

// QFileDialog in open mode: any name may be typed, its folder must exist.
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
