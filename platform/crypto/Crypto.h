#pragma once
// Password-based encryption of whole texts: PBKDF2-HMAC-SHA256 derives an AES-256-GCM
// key from the pass phrase and a random salt; the result is Base64 text of
//   "MVX1" | salt (16) | nonce (12) | cipher text | tag (16).
// A wrong pass phrase or any change to the text fails the tag check.

#include <QString>

namespace platform::crypto {

enum class Status {
    Ok,
    BadData,       // wrong pass phrase, damaged or foreign text
    LibraryError,  // the cipher library itself failed
};

struct Result {
    Status status = Status::LibraryError;
    QString text;
};

Result encrypt(const QString& plainText, const QString& passPhrase);
Result decrypt(const QString& cipherText, const QString& passPhrase);

}  // namespace platform::crypto
