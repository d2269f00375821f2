#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

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

// Far more than the options ever take (about a kilobyte): a larger file is
// not the program's, and reading it whole could exhaust the memory.
constexpr qint64 LargestFile = qint64{1024} * 1024;

// Why the file at `path` is neither read nor written: there is something there
// that is not a regular file (reading a FIFO would wait for a writer; a link
// to a regular file is one), or a file too large; nothing when it may be.
std::optional<std::string> Refused(const QString& path) {
    const QFileInfo info(path);
    if ((info.exists() || info.isSymLink()) && !info.isFile()) {
        return NotARegularFile;
    }
    if (info.isFile() && info.size() > LargestFile) {
        return "It is larger than 1 MiB, more than any settings file";
    }
    return std::nullopt;
}

// Why the settings file cannot be written, in the system's words: what
// QSettings does is done again, on the side (its folder made, the file opened
// for writing, a new file of the file's size written beside it, which would
// replace it). Nothing when all of that works.
std::optional<std::string> WhyUnwritable(const QString& file) {
    const QFileInfo info(file);
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(info.absolutePath().toStdU16String()),
                                        error);
    if (error) {
        return error.message();
    }
    if (QFile existing(file); info.exists() && !existing.open(QIODevice::ReadWrite)) {
        return FromQt(existing.errorString());
    }
    QTemporaryFile beside(info.absolutePath() + QStringLiteral("/.ostrel-XXXXXX"));
    if (!beside.open()) {
        return FromQt(beside.errorString());
    }
    beside.close();  // kept until `beside` goes
    // Unbuffered, so that a failed write tells the system's reason.
    QFile probe(beside.fileName());
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return FromQt(probe.errorString());
    }
    const QByteArray bytes(std::max<qint64>(info.size(), 1024), '\n');
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 more = probe.write(bytes.constData() + written, bytes.size() - written);
        if (more <= 0) {
            return FromQt(probe.errorString());
        }
        written += more;
    }
    return std::nullopt;
}

// The store, or nothing when its file is refused.
std::unique_ptr<QSettings> Open(const std::optional<QString>& folder,
                                const std::string& application) {
    if (const std::optional<QString> file = FileOf(folder, application)) {
        if (Refused(*file)) {
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
    if (std::optional<std::string> why = Refused(*file)) {
        return SettingsProblem{where, std::move(*why)};
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
    const std::optional<QString> file = FileOf(folder_, application);
    const auto settings = Open(folder_, application);
    if (!settings) {
        unwritten_.try_emplace(application, SettingsProblem{FromQt(*file), *Refused(*file)});
        return;
    }
    settings->setValue(KeyOf(section, key), ToQt(value));
    settings->sync();
    // FormatError stays from a file that could not be parsed when it was
    // read, whether or not it could then be written: the file tells.
    if (settings->status() != QSettings::NoError) {
        std::optional<std::string> why = file ? WhyUnwritable(*file) : std::nullopt;
        if (why || settings->status() == QSettings::AccessError) {
            unwritten_.try_emplace(application,
                                   SettingsProblem{FromQt(file ? *file : settings->fileName()),
                                                   why.value_or("It could not be written")});
        }
    }
}

std::optional<SettingsProblem> QtSettingsStore::Unwritten(const std::string& application) {
    const auto found = unwritten_.find(application);
    if (found == unwritten_.end()) {
        return std::nullopt;
    }
    SettingsProblem problem = std::move(found->second);
    unwritten_.erase(found);
    return problem;
}

// On Windows the command line reads the registry without Qt
// (RegistrySettingsStore.cpp), which is the user's store there.
#ifndef _WIN32
std::unique_ptr<SettingsStore> MakeUserSettingsStore() {
    return std::make_unique<QtSettingsStore>();
}
#endif

}  // namespace ostrel
