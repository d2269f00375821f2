#include <QDesktopServices>
#include <QUrl>

#include "QtShell.h"
#include "QtText.h"

namespace ostrel {

std::int32_t QtShell::Execute(const std::string& operation, const std::string& file,
                              const std::string& /*parameters*/, const std::string& /*directory*/,
                              std::int32_t /*showCommand*/) {
    constexpr std::int32_t Started = 42;
    constexpr std::int32_t NoAssociation = 31;  // as SE_ERR_NOASSOC
    if (operation != "open") {
        return NoAssociation;
    }
    QString target = ToQt(file);
    if (target.size() >= 2 && target.startsWith('"') && target.endsWith('"')) {
        target = target.mid(1, target.size() - 2);
    }
    const QUrl url(target, QUrl::TolerantMode);
    if (!url.isValid()) {
        throw ShellError(FromQt(url.errorString()));
    }
    return QDesktopServices::openUrl(url) ? Started : NoAssociation;
}

std::unique_ptr<Shell> MakeSystemShell() {
    return std::make_unique<QtShell>();
}

}  // namespace ostrel
