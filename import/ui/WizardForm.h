#pragma once
// The name the import wizard's procedures are reported under in the error log:
// kForm + procedure name.

#include <QString>

namespace wizardform {
inline const QString kForm = QStringLiteral("frmDatabaseConnection.");
}
