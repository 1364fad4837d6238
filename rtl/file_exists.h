// file_exists.h: existence test for regular files.
#ifndef BREVANTIS_RTL_FILE_EXISTS_H
#define BREVANTIS_RTL_FILE_EXISTS_H

#include <QString>

namespace rtl {

// True when `path` names an existing regular file (through symbolic links), also one that
// another process holds open or locked: the file is examined, never opened. False for a
// folder, any other kind of node, an empty path or nothing at all.
bool fileExists(const QString& path);

}  // namespace rtl

#endif  // BREVANTIS_RTL_FILE_EXISTS_H
