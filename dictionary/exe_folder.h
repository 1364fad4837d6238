// exe_folder.h: the folder of the running executable, where ads.ini is looked for.
#ifndef BREVANTIS_DICTIONARY_EXE_FOLDER_H
#define BREVANTIS_DICTIONARY_EXE_FOLDER_H

#include <QString>

namespace dictionary {

// The folder of the running executable with its final separator.
// REQUIRES: a QCoreApplication exists.
QString executableFolder();

// While alive, executableFolder() answers `folder` instead, so that a test can put its own
// ads.ini (or none) in a private folder. Not nestable.
class ExecutableFolderOverride {
  public:
    explicit ExecutableFolderOverride(const QString& folder);
    ~ExecutableFolderOverride();
    ExecutableFolderOverride(const ExecutableFolderOverride&) = delete;
    ExecutableFolderOverride& operator=(const ExecutableFolderOverride&) = delete;
};

}  // namespace dictionary

#endif  // BREVANTIS_DICTIONARY_EXE_FOLDER_H
