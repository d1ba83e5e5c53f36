#include "core/Forms.h"

namespace {
QList<Form*>& loaded() {
    static QList<Form*> forms;
    return forms;
}
}  // namespace

namespace Forms {
void Register(Form* form) {
    if (form && !loaded().contains(form)) loaded().append(form);
}
void Unregister(Form* form) { loaded().removeAll(form); }
QList<Form*> Loaded() { return loaded(); }
bool IsLoaded(const QString& name) {
    for (Form* f : loaded())
        if (f->FormName().compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}
}  // namespace Forms
