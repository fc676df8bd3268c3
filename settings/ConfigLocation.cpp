#include "settings/ConfigLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "settings/IniFile.h"

#include <memory>

namespace {
std::unique_ptr<IniFile> g_file;
QString g_override;
const QString kFileName = QStringLiteral("Config.ini");
const QString kProgramFolder = QStringLiteral("Z1rpW3rk");

// A build tree holds CMake's cache at its top; the program lies there, its tests and
// benchmarks one folder below.
bool isBuildTree(const QString& programDir) {
    QDir dir(programDir);
    for (int level = 0; level < 2; ++level) {
        if (dir.exists(QStringLiteral("CMakeCache.txt")))
            return true;
        if (!dir.cdUp())
            break;
    }
    return false;
}
} // namespace

QString configFilePathFor(const QString& programDir, const QString& userConfigDir) {
    const QString beside = QDir(programDir).filePath(kFileName);
    if (QFileInfo::exists(beside) || isBuildTree(programDir))
        return beside;
    return QDir(QDir(userConfigDir).filePath(kProgramFolder)).filePath(kFileName);
}

QString configFilePath() {
    if (!g_override.isEmpty())
        return g_override;
    // The XDG rule: $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
    QString userDir = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(userDir))
        userDir = QDir::home().filePath(QStringLiteral(".config"));
    return configFilePathFor(QCoreApplication::applicationDirPath(), userDir);
}

void setConfigFilePath(const QString& path) {
    g_override = path;
    forgetConfigFile();
}

IniFile& configFile() {
    if (!g_file)
        g_file = std::make_unique<IniFile>(configFilePath(), IniFile::Writes::OnSave);
    return *g_file;
}

void forgetConfigFile() {
    g_file.reset();
}
