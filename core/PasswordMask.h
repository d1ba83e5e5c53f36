#pragma once
// Passwords kept out of what the program shows or writes about an error: the error
// dialog, errors.log and the mail text may quote a connection string.

#include <QString>

// text with the value of every password key of a connection string in it ("Password",
// "Pwd", "Jet OLEDB:Database Password", ...; any case, quoted values included)
// replaced by "*****".
QString MaskPasswords(const QString& text);
