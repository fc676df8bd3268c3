#include "settings/ConfigLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include "settings/IniFile.h"

#include <QStandardPaths>

#include <memory>

namespace {
std::unique_ptr<IniFile> g_file;
QString g_override;
const QString kFileName = QStringLiteral("Config.ini");
} // namespace

QString configFilePath() {
    if (!g_override.isEmpty())
        return g_override;
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString beside = QDir(programDir).filePath(kFileName);
    if (QFileInfo::exists(beside) || QFileInfo(programDir).isWritable())
        return beside;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(kFileName);
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
