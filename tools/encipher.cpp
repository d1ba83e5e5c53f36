// Build tool: enciphers a plain XML data file with one of the program's pass phrases,
// as the program itself writes its enciphered files.
//   morvalex-encipher <1-4> <plain.xml> <out-file>

#include "core/FileUtil.h"
#include "core/bGlobal.h"
#include "core/cXML.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: morvalex-encipher <1-4> <plain.xml> <out-file>\n");
        return 2;
    }
    const QString pass = bGlobal::PassPhrase(QString::fromLocal8Bit(argv[1]).toInt());
    if (pass.isEmpty()) {
        std::fprintf(stderr, "morvalex-encipher: no pass phrase %s\n", argv[1]);
        return 2;
    }
    try {
        const QString plain = ReadTextFile(QString::fromLocal8Bit(argv[2]));
        cXML check;
        if (!check.LoadXMLContent(plain)) {
            std::fprintf(stderr, "morvalex-encipher: %s is not well-formed XML\n", argv[2]);
            return 1;
        }
        const QString cipher = bGlobal::EncryptText(plain, pass);
        if (bGlobal::IsFailureCode(cipher)) {
            std::fprintf(stderr, "morvalex-encipher: enciphering failed (%s)\n", qPrintable(cipher));
            return 1;
        }
        WriteTextFileAtomic(QString::fromLocal8Bit(argv[3]), cipher);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "morvalex-encipher: %s\n", e.what());
        return 1;
    }
    return 0;
}
