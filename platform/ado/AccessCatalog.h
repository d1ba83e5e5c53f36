#pragma once
// Schema rowsets of an Access connection, answered from the file's own catalogue
// (platform/adox) rather than the mdbtools driver, which lists tables and columns
// only: tables, columns, primary keys, indexes and relationships come from the file's
// own definitions, index and relationship data. The saved queries are read through
// the catalogue itself; the other rowsets stay with the driver.

#include "platform/ado/SchemaRowsets.h"
#include "platform/adox/Adox.h"

#include <optional>

namespace platform::ado::schema {

// The Access file behind one connection, its catalogue read on first use.
class AccessSource {
public:
    // Recognises an ODBC string for the mdbtools driver; for one, checks the file
    // (CheckDatabaseFile, with the password of the connection string the user gave)
    // so that the driver never opens a file it cannot read. Throws RuntimeError with
    // the Access error numbers. Clears the source for any other string.
    void open(const QString& odbcString, const QString& givenString);
    bool isAccess() const { return !m_file.isEmpty(); }
    void clear() { m_catalog.reset(); }
    void close() {
        m_file.clear();
        m_catalog.reset();
    }
    const adox::Catalog& catalog();

private:
    QString m_file;
    QString m_password;
    std::optional<adox::Catalog> m_catalog;
};

// The whole rowset from an Access catalogue; throws RuntimeError(adErrNotSupported)
// for one the catalogue cannot answer.
Rowset readAccess(const adox::Catalog& catalog, int schema);

}  // namespace platform::ado::schema
