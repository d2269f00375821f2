#include "WindowLook.h"

// The pictures are compiled into this static library; they must be registered
// before the first use.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

namespace ostrel {

QFont WindowFont() {
    QFont font;
    font.setFamilies({"Tahoma", "Liberation Sans", "Arial", "DejaVu Sans"});
    font.setPointSizeF(8.25);
    return font;
}

QIcon ProgramIcon() {
    InitResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/ostrel-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/ostrel-32.png"), QSize(32, 32));
    // Larger sizes keep the icon sharp on scaled screens and in docks.
    icon.addFile(QStringLiteral(":/icons/ostrel-48.png"), QSize(48, 48));
    icon.addFile(QStringLiteral(":/icons/ostrel-128.png"), QSize(128, 128));
    icon.addFile(QStringLiteral(":/icons/ostrel-256.png"), QSize(256, 256));
    return icon;
}

QIcon CompanyLogo() {
    InitResources();
    QIcon logo;
    logo.addFile(QStringLiteral(":/icons/calvenor.png"), QSize(35, 35));
    logo.addFile(QStringLiteral(":/icons/calvenor-70.png"), QSize(70, 70));
    return logo;
}

}  // namespace ostrel
