#pragma once
// A tmpfs of a few pages mounted on a fresh folder, unmounted with the object: a disk
// that really fills. Mounting needs root (CI runs as root); a test without it says why
// it skips (MORVALEX_REQUIRE(disk.mounted(), disk.why())).

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace testsupport {

class TinyDisk {
public:
    // options: more tmpfs options ("nr_inodes=8": a disk whose files and folders run
    // out before its space does).
    explicit TinyDisk(const char* size = "32k", const char* options = nullptr) {
        if (::geteuid() != 0) {
            m_why = "mounting a tmpfs needs root";
            return;
        }
        m_options = QByteArray("size=") + size + (options ? QByteArray(",") + options : QByteArray());
        if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, m_options.constData()) != 0) {
            m_why = std::string("mounting a tmpfs was refused: ") + strerror(errno);
            return;
        }
        m_mounted = true;
    }
    ~TinyDisk() {
        if (m_mounted) ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    TinyDisk(const TinyDisk&) = delete;
    TinyDisk& operator=(const TinyDisk&) = delete;

    bool mounted() const { return m_mounted; }
    const std::string& why() const { return m_why; }
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }
    // Fills what space is left with one file.
    void fill() const {
        QFile filler(file(QStringLiteral("filler")));
        filler.open(QIODevice::WriteOnly);
        const QByteArray block(1024, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {}
    }
    // Gives the space back.
    void free() const { QFile::remove(file(QStringLiteral("filler"))); }
    // Uses up the files the disk can hold (with empty files named inode-<n>).
    void fillInodes() const {
        for (int n = 0;; ++n) {
            QFile one(file(QStringLiteral("inode-%1").arg(n)));
            if (!one.open(QIODevice::WriteOnly)) break;
        }
    }
    // Mounts the disk again read-only: every write is refused (EROFS), even to root.
    bool makeReadOnly() const {
        return ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                       m_options.constData()) == 0;
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_options;
    bool m_mounted = false;
    std::string m_why;
};

}  // namespace testsupport
