#pragma once
// A run-time error as the program's error traps see it: a number and a description.
// Every layer throws this (or lets it pass); a procedure's trap catches it at its
// boundary and decides what to say.

#include <QString>
#include <stdexcept>

namespace platform {

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(long number, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number), m_description(description) {}
    long number() const { return m_number; }
    const QString& description() const { return m_description; }

private:
    long m_number;
    QString m_description;
};

// Error numbers the program tests for by value.
namespace err {
constexpr long Overflow = 6;
constexpr long PathFileAccessError = 75;
constexpr long PermissionDenied = 70;
constexpr long FileNotFound = 53;
constexpr long PathNotFound = 76;
constexpr long ComponentMissing = 429;
constexpr long ItemNotFound = 3265;
constexpr long NotSupported = 3251;
constexpr long ProviderNotFound = 3706;
constexpr long ObjectRequired = 91;
constexpr long TypeMismatch = 13;
constexpr long InvalidArgument = 5;
constexpr long SubscriptOutOfRange = 9;
constexpr long FileDialogCancelled = 32755;
constexpr long DiskFull = 61;
constexpr long InvalidFileFormat = 321;
// A text that could not be enciphered (the cipher library failed).
constexpr long CipherFailed = 32756;
}  // namespace err

}  // namespace platform
