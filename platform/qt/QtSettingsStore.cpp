#include <QSettings>
#include <memory>

#include "QtSettingsStore.h"
#include "QtText.h"

namespace ostrel {
namespace {

std::unique_ptr<QSettings> Open(const std::optional<QString>& folder,
                                const std::string& application) {
    if (folder) {
        return std::make_unique<QSettings>(*folder + '/' + ToQt(application) + ".conf",
                                           QSettings::IniFormat);
    }
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Ostrel"), ToQt(application));
}

QString KeyOf(const std::string& section, const std::string& key) {
    return ToQt(section) + '/' + ToQt(key);
}

}  // namespace

std::string QtSettingsStore::Read(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& fallback) {
    const auto settings = Open(folder_, application);
    const QVariant value = settings->value(KeyOf(section, key));
    if (!value.isValid()) {
        return fallback;
    }
    if (value.canConvert<QString>()) {
        return FromQt(value.toString());
    }
    // Something a person wrote by hand that is not one text (a list, say).
    return FromQt(value.toStringList().join(QStringLiteral(", ")));
}

void QtSettingsStore::Write(const std::string& application, const std::string& section,
                            const std::string& key, const std::string& value) {
    const auto settings = Open(folder_, application);
    settings->setValue(KeyOf(section, key), ToQt(value));
}

// On Windows the command line reads the registry without Qt
// (RegistrySettingsStore.cpp), which is the user's store there.
#ifndef _WIN32
std::unique_ptr<SettingsStore> MakeUserSettingsStore() {
    return std::make_unique<QtSettingsStore>();
}
#endif

}  // namespace ostrel
