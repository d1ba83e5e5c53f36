#pragma once
// The collection of loaded windows. A window registers itself when it loads and leaves
// when it unloads; UnloadAllForms walks this collection. Logic code sees windows only
// through this interface.

#include <QList>
#include <QString>

class Form {
public:
    virtual ~Form() = default;
    // The window's class name, e.g. "frmDatabaseExplorer".
    virtual QString FormName() const = 0;
    // Unloads the window (runs its unload handling and releases the shared instance).
    virtual void Unload() = 0;
};

namespace Forms {
void Register(Form* form);
void Unregister(Form* form);
QList<Form*> Loaded();
bool IsLoaded(const QString& name);
}  // namespace Forms
