#include "adox/AccessFiles.h"

#include <QFile>
#include <QProcess>

namespace accesstest {

QString AccessFiles::copy(const QString& name, const QString& as) const {
    const QString source = QStringLiteral(MORVALEX_SOURCE_DIR "/tests/data/access/") + name;
    const QString target = m_dir.filePath(as.isEmpty() ? name : as);
    QFile::remove(target);
    if (!QFile::copy(source, target)) return {};
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return target;
}

QString RunMdbTool(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return {};
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    return out.isNull() ? QStringLiteral("") : out;
}

}  // namespace accesstest
