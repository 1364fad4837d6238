// file_exists.cpp: fileExists through stat(2).
#include "rtl/file_exists.h"

#include <sys/stat.h>

#include <QFile>

namespace rtl {

bool fileExists(const QString& path) {
    // A NUL would cut the native name short and test some other path.
    if (path.isEmpty() || path.contains(QChar(0))) return false;
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    return ::stat(native.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace rtl
