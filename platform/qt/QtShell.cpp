#include <QDesktopServices>
#include <QUrl>

#include "QtShell.h"
#include "QtText.h"

namespace ostrel {

std::optional<ShellFailure> QtShell::Open(const std::string& target) {
    const QUrl url(ToQt(target), QUrl::TolerantMode);
    if (!url.isValid()) {
        return ShellFailure{FromQt(url.errorString())};
    }
    // Qt says only whether a program took the link.
    if (!QDesktopServices::openUrl(url)) {
        return ShellFailure{};
    }
    return std::nullopt;
}

std::unique_ptr<Shell> MakeSystemShell() {
    return std::make_unique<QtShell>();
}

}  // namespace ostrel
