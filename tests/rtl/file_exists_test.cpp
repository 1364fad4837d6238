// file_exists_test.cpp: regular files count, locked ones too; folders and nothing do not.
#include "rtl/file_exists.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class FileExistsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        file_ = dir_.filePath("T.adt");
        QFile f(file_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
        ASSERT_TRUE(QDir(dir_.path()).mkdir("Folder.adt"));
    }

    QTemporaryDir dir_;
    QString file_;
};

TEST_F(FileExistsTest, KindsOfPath) {
    const QString linkToFile = dir_.filePath("link.adt");
    const QString linkToFolder = dir_.filePath("linkdir.adt");
    ASSERT_TRUE(QFile::link(file_, linkToFile));
    ASSERT_TRUE(QFile::link(dir_.filePath("Folder.adt"), linkToFolder));
    struct {
        QString path;
        bool exists;
    } const cases[] = {
        {file_, true},
        {linkToFile, true},
        {dir_.filePath("Folder.adt"), false},
        {linkToFolder, false},
        {dir_.filePath("missing.adt"), false},
        {dir_.filePath("t.adt"), false},  // names are exact on this platform
        {QString(), false},
        {file_ + QChar(0) + "junk", false},  // a NUL must not shorten the name tested
        {"/dev/null", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rtl::fileExists(c.path), c.exists) << c.path.toStdString();
}

TEST_F(FileExistsTest, FileLockedByAnotherProcessExists) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const QByteArray native = QFile::encodeName(file_);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = open(native.constData(), O_RDWR);
        const char ok = (fd >= 0 && flock(fd, LOCK_EX) == 0) ? '1' : '0';
        (void)!write(ready[1], &ok, 1);
        pause();  // hold the lock until killed
        _exit(0);
    }
    close(ready[1]);
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    close(ready[0]);
    ASSERT_EQ(ok, '1');

    // The lock is really held by the other process...
    const int fd = open(native.constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_NE(flock(fd, LOCK_SH | LOCK_NB), 0);
    close(fd);
    // ...and the file still counts as existing.
    EXPECT_TRUE(rtl::fileExists(file_));

    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

}  // namespace
