#include "platform/crypto/Crypto.h"

#include <QByteArray>
#include <cstring>
#include <memory>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace platform::crypto {

namespace {
constexpr char kMagic[4] = {'M', 'V', 'X', '1'};
constexpr int kSaltLen = 16;
constexpr int kNonceLen = 12;
constexpr int kTagLen = 16;
constexpr int kKeyLen = 32;
// The pass phrases are fixed texts of the program, so the count only needs to make a
// brute-force look at a file slower than reading the program; keep start-up quick.
constexpr int kIterations = 10000;

struct CtxFree {
    void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};
using Ctx = std::unique_ptr<EVP_CIPHER_CTX, CtxFree>;

bool deriveKey(const QByteArray& pass, const unsigned char* salt, unsigned char* key) {
    return PKCS5_PBKDF2_HMAC(pass.constData(), int(pass.size()), salt, kSaltLen, kIterations, EVP_sha256(),
                             kKeyLen, key) == 1;
}
}  // namespace

Result encrypt(const QString& plainText, const QString& passPhrase) {
    const QByteArray plain = plainText.toUtf8();
    const QByteArray pass = passPhrase.toUtf8();
    unsigned char salt[kSaltLen], nonce[kNonceLen], key[kKeyLen], tag[kTagLen];
    if (RAND_bytes(salt, kSaltLen) != 1 || RAND_bytes(nonce, kNonceLen) != 1) return {};
    if (!deriveKey(pass, salt, key)) return {};

    Ctx ctx(EVP_CIPHER_CTX_new());
    if (!ctx) return {};
    QByteArray out;
    out.reserve(4 + kSaltLen + kNonceLen + plain.size() + kTagLen);
    out.append(kMagic, 4);
    out.append(reinterpret_cast<const char*>(salt), kSaltLen);
    out.append(reinterpret_cast<const char*>(nonce), kNonceLen);
    const qsizetype head = out.size();
    out.resize(head + plain.size() + 16);
    int len = 0, total = 0;
    if (EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceLen, nullptr) != 1 ||
        EVP_EncryptInit_ex(ctx.get(), nullptr, nullptr, key, nonce) != 1)
        return {};
    if (EVP_EncryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(out.data() + head), &len,
                          reinterpret_cast<const unsigned char*>(plain.constData()), int(plain.size())) != 1)
        return {};
    total = len;
    if (EVP_EncryptFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(out.data() + head + total), &len) != 1)
        return {};
    total += len;
    if (EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagLen, tag) != 1) return {};
    out.resize(head + total);
    out.append(reinterpret_cast<const char*>(tag), kTagLen);
    return {Status::Ok, QString::fromLatin1(out.toBase64())};
}

Result decrypt(const QString& cipherText, const QString& passPhrase) {
    const QByteArray text = cipherText.trimmed().toLatin1();
    auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) return {Status::BadData, {}};
    const QByteArray raw = *decoded;
    // Only the canonical encoding is accepted, so any change to the text is refused.
    if (raw.toBase64() != text) return {Status::BadData, {}};
    if (raw.size() < 4 + kSaltLen + kNonceLen + kTagLen || !raw.startsWith(QByteArray(kMagic, 4)))
        return {Status::BadData, {}};

    const auto* salt = reinterpret_cast<const unsigned char*>(raw.constData() + 4);
    const auto* nonce = salt + kSaltLen;
    const auto* body = nonce + kNonceLen;
    const int bodyLen = int(raw.size()) - 4 - kSaltLen - kNonceLen - kTagLen;
    unsigned char tag[kTagLen];
    std::memcpy(tag, body + bodyLen, kTagLen);
    unsigned char key[kKeyLen];
    if (!deriveKey(passPhrase.toUtf8(), salt, key)) return {};

    Ctx ctx(EVP_CIPHER_CTX_new());
    if (!ctx) return {};
    QByteArray plain(bodyLen + 16, Qt::Uninitialized);
    int len = 0, total = 0;
    if (EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceLen, nullptr) != 1 ||
        EVP_DecryptInit_ex(ctx.get(), nullptr, nullptr, key, nonce) != 1)
        return {};
    if (EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(plain.data()), &len, body, bodyLen) != 1)
        return {};
    total = len;
    if (EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagLen, tag) != 1) return {};
    if (EVP_DecryptFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(plain.data() + total), &len) != 1)
        return {Status::BadData, {}};
    total += len;
    plain.resize(total);
    return {Status::Ok, QString::fromUtf8(plain)};
}

}  // namespace platform::crypto
