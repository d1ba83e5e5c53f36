#pragma once
// What the import wizard's pages decide without a window: the navigation buttons a
// page offers, how the progress bar moves, the summary of an import, and the
// connection entry a run added to the tree document. Window thread only (they read
// and change bGlobal's documents).

#include <QString>

namespace wizard {

// The pages, in order.
enum Page { Introduction = 0, DataSource = 1, Importing = 2, Summary = 3, ReportOptions = 4, ReportObjects = 5 };

struct NavigationButtons {
    bool back = false;
    bool next = false;
    bool finish = false;
    QString nextCaption;
};
// The buttons of a page (Cancel is always offered); on the import page Back is
// offered only once the import has failed.
NavigationButtons ButtonsFor(int page, bool importFailed);

// The progress bar's length in twips after an event's increment, in a box boxTwips
// wide: it grows, and starts again near the end.
int AdvancedBarTwips(int barTwips, int boxTwips, int increment);

// The summary of the import page (server, database and the counts of the structure
// in bGlobal::oStructureXML), lines ended by CR LF. A kind of object the import does
// not read for the connection's type is "not read".
QString ImportSummary();

// The connections of tree-document group g.
int ConnectionCount(int group);
QString ConnectionPath(int group, int connection);

// The connections of the tree document that lead where sConnectionString leads: the
// same driver, server, port and database (platform::ado::AddressOf). A connection
// taken from a file has no address and is never counted.
int ConnectionsAtAddress(const QString& sConnectionString);

// The connection entry a run of the wizard added to the tree document, while it is
// there, so that closing the wizard can take it out again.
class AddedConnection {
public:
    // Remembers the entry at (group, connection), if the tree document has one.
    void Remember(int group, int connection);
    // Removes the entry remembered if it is still in the tree document (the same Key
    // at the same place), and forgets it.
    void Remove();
    // Forgets the entry; it stays in the tree document.
    void Keep() { *this = {}; }
    // An entry is remembered, neither removed nor kept yet.
    bool Held() const { return m_present; }

private:
    bool m_present = false;
    int m_group = 0;
    int m_connection = 0;
    QString m_key;
};

}  // namespace wizard
