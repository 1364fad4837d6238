// exe_folder.cpp: the executable's folder, or the folder a test put in its place.
#include "dictionary/exe_folder.h"

#include <QCoreApplication>
#include <QDir>

#include "dictionary/alias_config.h"

namespace dictionary {
namespace {

QString gOverride;

}  // namespace

QString executableFolder() {
    if (!gOverride.isEmpty()) return gOverride;
    QString folder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    if (!folder.endsWith(kPathSeparator)) folder += kPathSeparator;
    return folder;
}

ExecutableFolderOverride::ExecutableFolderOverride(const QString& folder) {
    gOverride = folder;
    if (!gOverride.endsWith(kPathSeparator)) gOverride += kPathSeparator;
}

ExecutableFolderOverride::~ExecutableFolderOverride() {
    gOverride.clear();
}

}  // namespace dictionary
