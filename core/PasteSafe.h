#pragma once
// Multi-line text boxes that survive any paste. Qt 6.4's text control looks at the
// first format of pasted data without checking that there is one, and an X clipboard
// or selection that nobody owns (never set, or its owner has exited) gives data with
// no formats: Ctrl+V or the middle button then ends the program. Every editable
// multi-line box of the program is one of these; they paste the data's text, or
// nothing when there is none. Single-line boxes read the clipboard's text and need
// no guard. Window thread only.

#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>

template <class Box>
class PasteSafe : public Box {
public:
    using Box::Box;

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override { return source && source->hasText(); }
    void insertFromMimeData(const QMimeData* source) override {
        if (Box::isReadOnly() || !source || !source->hasText()) return;
        Box::insertPlainText(source->text());
        Box::ensureCursorVisible();
    }
};

using PasteSafePlainTextEdit = PasteSafe<QPlainTextEdit>;
using PasteSafeTextEdit = PasteSafe<QTextEdit>;
