// The checks an Access file passes before libmdb reads it, and the parts of a
// connection string that name the file and its password.
//
// Header layout (all formats): bytes 0-3 hold 00 01 00 00, then "Standard Jet DB"
// or "Standard ACE DB"; the 32-bit version at 0x14 is 0 for Jet 3 (2 KB pages), 1
// for Jet 4 and 2 or more for ACE (4 KB pages). The 126 bytes from 0x18 are
// enciphered with RC4 under a fixed key; in them the password sits at 0x42 (Jet 3:
// 20 single-byte characters; later: 20 UTF-16 characters, each group of four bytes
// masked with the whole days of the creation date stored as a double at 0x72).

#include "platform/adox/Adox.h"

#include "platform/Error.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform::adox {

namespace {

constexpr int kCipheredStart = 0x18;
constexpr int kCipheredLength = 126;
constexpr int kPasswordOffset = 0x42;
constexpr int kDateOffset = 0x72;
constexpr int kHeaderLength = kCipheredStart + kCipheredLength;

// RC4 key stream of n bytes under the header key.
QByteArray keyStream(int n) {
    const unsigned char key[4] = {0xc7, 0xda, 0x39, 0x6b};
    unsigned char s[256];
    for (int i = 0; i < 256; ++i) s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xff;
        std::swap(s[i], s[j]);
    }
    QByteArray out(n, Qt::Uninitialized);
    for (int k = 0, i = 0, j = 0; k < n; ++k) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        out[k] = static_cast<char>(s[(s[i] + s[j]) & 0xff]);
    }
    return out;
}

// Enciphering and deciphering are the same XOR.
QByteArray toggleCipher(QByteArray header) {
    static const QByteArray stream = keyStream(kCipheredLength);
    for (int k = 0; k < kCipheredLength && kCipheredStart + k < header.size(); ++k)
        header[kCipheredStart + k] = static_cast<char>(header[kCipheredStart + k] ^ stream[k]);
    return header;
}

quint32 version(const QByteArray& header) {
    const auto* p = reinterpret_cast<const unsigned char*>(header.constData()) + 0x14;
    return p[0] | (p[1] << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

// The four mask bytes of a Jet 4 or ACE password, from the deciphered header.
QByteArray dateMask(const QByteArray& plain) {
    double date = 0;
    std::memcpy(&date, plain.constData() + kDateOffset, sizeof date);
    const qint32 days = (date > -2147483648.0 && date < 2147483647.0) ? static_cast<qint32>(date) : 0;
    QByteArray mask(4, '\0');
    for (int i = 0; i < 4; ++i) mask[i] = static_cast<char>((quint32(days) >> (8 * i)) & 0xff);
    return mask;
}

bool isAccessSignature(const QByteArray& header) {
    static const QByteArray start("\x00\x01\x00\x00", 4);
    return header.size() >= kHeaderLength && header.startsWith(start)
           && (header.mid(4, 16) == QByteArray("Standard Jet DB\0", 16) || header.mid(4, 16) == QByteArray("Standard ACE DB\0", 16));
}

struct Pair {
    QString key, value;
};

// Pairs of a connection string: "key=value" separated by ";", a value in braces
// may hold ";".
QList<Pair> pairs(const QString& text) {
    QList<Pair> out;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        if (eq < 0) break;
        Pair p;
        p.key = text.mid(i, eq - i).trimmed();
        qsizetype j = eq + 1;
        while (j < n && text[j] == QLatin1Char(' ')) ++j;
        if (j < n && text[j] == QLatin1Char('{')) {
            const qsizetype close = text.indexOf(QLatin1Char('}'), j + 1);
            p.value = text.mid(j + 1, (close < 0 ? n : close) - j - 1);
            const qsizetype semi = close < 0 ? -1 : text.indexOf(QLatin1Char(';'), close);
            i = semi < 0 ? n : semi + 1;
        } else {
            const qsizetype semi = text.indexOf(QLatin1Char(';'), j);
            p.value = text.mid(eq + 1, (semi < 0 ? n : semi) - eq - 1);
            i = semi < 0 ? n : semi + 1;
        }
        out << p;
    }
    return out;
}

QString valueOf(const QString& connectionString, std::initializer_list<const char*> keys, bool trim) {
    for (const Pair& p : pairs(connectionString))
        for (const char* key : keys)
            if (p.key.compare(QLatin1String(key), Qt::CaseInsensitive) == 0) return trim ? p.value.trimmed() : p.value;
    return {};
}

[[noreturn]] void unrecognized(const QString& path) {
    throw RuntimeError(jetErrUnrecognizedFormat, QStringLiteral("Unrecognized database format '%1'.").arg(path));
}

}  // namespace

QString DatabaseFileOf(const QString& connectionString) {
    return valueOf(connectionString, {"Data Source", "DBQ"}, true);
}

QString DatabasePasswordOf(const QString& connectionString) {
    return valueOf(connectionString, {"Jet OLEDB:Database Password", "PWD"}, false);
}

QString StoredPassword(const QByteArray& header) {
    if (!isAccessSignature(header)) return {};
    const QByteArray plain = toggleCipher(header.left(kHeaderLength));
    if (version(plain) == 0) {
        const QByteArray bytes = plain.mid(kPasswordOffset, 20);
        return QString::fromLatin1(bytes.left(bytes.indexOf('\0') < 0 ? 20 : bytes.indexOf('\0')));
    }
    const QByteArray mask = dateMask(plain);
    QString out;
    for (int k = 0; k < 40; k += 2) {
        const auto lo = static_cast<unsigned char>(plain[kPasswordOffset + k] ^ mask[k % 4]);
        const auto hi = static_cast<unsigned char>(plain[kPasswordOffset + k + 1] ^ mask[(k + 1) % 4]);
        const char16_t c = char16_t(lo | (hi << 8));
        if (c == 0) break;
        out += QChar(c);
    }
    return out;
}

QByteArray WithStoredPassword(QByteArray header, const QString& password) {
    if (!isAccessSignature(header)) return header;
    QByteArray plain = toggleCipher(header.left(kHeaderLength));
    if (version(plain) == 0) {
        const QByteArray bytes = password.toLatin1().left(20).leftJustified(20, '\0');
        plain.replace(kPasswordOffset, 20, bytes);
    } else {
        const QByteArray mask = dateMask(plain);
        const QString chars = password.left(20);
        for (int k = 0; k < 40; k += 2) {
            const char16_t c = k / 2 < chars.size() ? chars[k / 2].unicode() : 0;
            plain[kPasswordOffset + k] = static_cast<char>((c & 0xff) ^ static_cast<unsigned char>(mask[k % 4]));
            plain[kPasswordOffset + k + 1] = static_cast<char>((c >> 8) ^ static_cast<unsigned char>(mask[(k + 1) % 4]));
        }
    }
    header.replace(0, kHeaderLength, toggleCipher(plain));
    return header;
}

void CheckDatabaseFile(const QString& path, const QString& password) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir())
        throw RuntimeError(jetErrFileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    // Opened with the C library so that a permission failure is told apart.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM)
            throw RuntimeError(jetErrCannotOpen,
                               QStringLiteral("The file '%1' cannot be opened: you have no permission to read it.").arg(path));
        throw RuntimeError(jetErrFileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    }
    QByteArray header(kHeaderLength, '\0');
    qsizetype got = 0;
    while (got < kHeaderLength) {
        const ssize_t r = ::read(fd, header.data() + got, size_t(kHeaderLength - got));
        if (r <= 0) break;
        got += r;
    }
    ::close(fd);
    header.truncate(got);
    if (!isAccessSignature(header)) unrecognized(path);
    const quint32 v = version(header);
    if (v > 0x06) unrecognized(path);
    // libmdb reads pages by number and the catalogue from page 2 on: a file must hold
    // whole pages, and more than the header page and the catalogue's first pages.
    const qint64 pageSize = v == 0 ? 2048 : 4096;
    if (info.size() % pageSize != 0 || info.size() < 4 * pageSize) unrecognized(path);
    const QString stored = StoredPassword(header);
    if (!stored.isEmpty() && stored != password)
        throw RuntimeError(jetErrInvalidPassword, QStringLiteral("Not a valid password."));
}

}  // namespace platform::adox
