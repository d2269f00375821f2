#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

#include "FileSystem.h"
#include "QtSettingsStore.h"
#include "QtText.h"

namespace ostrel {
namespace {

// The file that holds the application's settings, where they are kept in one.
std::optional<QString> FileOf(const std::optional<QString>& folder,
                              const std::string& application) {
    if (folder) {
        return *folder + '/' + ToQt(application) + QStringLiteral(".conf");
    }
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return std::nullopt;  // the registry, the preferences system
#else
    // Where QSettings' native format keeps the user's file, without the
    // organisation-wide and system-wide files it would also read.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Ostrel/") + ToQt(application) + QStringLiteral(".conf");
#endif
}

// True when there is a file there that is not a regular one (reading a FIFO
// would wait for a writer). A link to a regular file is one.
bool IsOtherThanFile(const QString& path) {
    const QFileInfo info(path);
    return (info.exists() || info.isSymLink()) && !info.isFile();
}

// The store, or nothing when its file is not a regular file.
std::unique_ptr<QSettings> Open(const std::optional<QString>& folder,
                                const std::string& application) {
    if (const std::optional<QString> file = FileOf(folder, application)) {
        if (IsOtherThanFile(*file)) {
            return nullptr;
        }
        return std::make_unique<QSettings>(*file, QSettings::IniFormat);
    }
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Ostrel"), ToQt(application));
}

QString KeyOf(const std::string& section, const std::string& key) {
    return ToQt(section) + '/' + ToQt(key);
}

}  // namespace

std::optional<SettingsProblem> QtSettingsStore::Unreadable(const std::string& application) {
    const std::optional<QString> file = FileOf(folder_, application);
    if (!file || (!QFileInfo(*file).isSymLink() && !QFileInfo::exists(*file))) {
        return std::nullopt;  // nothing stored yet, or not in a file
    }
    const std::string where = FromQt(*file);
    if (IsOtherThanFile(*file)) {
        return SettingsProblem{where, NotARegularFile};
    }
    QFile raw(*file);
    if (!raw.open(QIODevice::ReadOnly)) {
        return SettingsProblem{where, FromQt(raw.errorString())};
    }
    raw.close();
    if (QSettings(*file, QSettings::IniFormat).status() != QSettings::NoError) {
        return SettingsProblem{where, "It is not a settings file"};
    }
    return std::nullopt;
}

std::string QtSettingsStore::Read(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& fallback) {
    const auto settings = Open(folder_, application);
    if (!settings) {
        return fallback;
    }
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
    if (const auto settings = Open(folder_, application)) {
        settings->setValue(KeyOf(section, key), ToQt(value));
    }
}

// On Windows the command line reads the registry without Qt
// (RegistrySettingsStore.cpp), which is the user's store there.
#ifndef _WIN32
std::unique_ptr<SettingsStore> MakeUserSettingsStore() {
    return std::make_unique<QtSettingsStore>();
}
#endif

}  // namespace ostrel
