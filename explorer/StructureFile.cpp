#include "explorer/StructureFile.h"

#include "core/FileUtil.h"
#include "core/ObjectMarks.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "platform/Error.h"

#include <QFileInfo>

using namespace bGlobal;

namespace StructureFile {

void Write(const QString& path, cXML& structure) {
    const QString cipher = EncryptText(structure.GetXMLContent(), gPassPhrase3);
    if (cipher.isEmpty() || IsFailureCode(cipher))
        throw platform::RuntimeError(5, QStringLiteral("The structure could not be enciphered"));
    WriteTextFileAtomic(path, cipher);
}

QString ReadText(const QString& path) { return DecryptText(ReadTextFile(path), gPassPhrase3); }

bool IsStructure(cXML& document) {
    return document.HasDocument() && document.FindNode(QStringLiteral("/DATABASE"));
}

std::shared_ptr<cXML> LoadSource(const QString& path) {
    auto document = std::make_shared<cXML>();
    try {
        if (!QFileInfo(path).isFile()) return nullptr;
        if (QFileInfo(path).suffix() == QLatin1String("xml")) {
            if (!document->LoadXMLFile(path)) return nullptr;
        } else {
            const QString text = ReadText(path);
            if (IsFailureCode(text) || !document->LoadXMLContent(text)) return nullptr;
        }
    } catch (const platform::RuntimeError&) {
        return nullptr;
    }
    if (!IsStructure(*document)) return nullptr;
    ObjectMarks::MarkAsImported(document->DocumentElement());
    return document;
}

}  // namespace StructureFile
