#pragma once
// A page cut into the parts a viewer takes in one after another, so that a long page
// fills in while the window keeps painting. Qt Core only; any thread.
//
// A preview page holds its objects as the children of its element of class
// "pv-body". Split cuts the page text there: what comes before (the head, the page
// top), the children one by one, and the closing tags after them. A page without
// such an element, or with anything to show after it, is not cut.

#include <QString>
#include <QStringList>

namespace PageSteps {

struct Page {
    QString prologue;    // from the start through the opening tag of the body
    QString top;         // the body's content before the element of the objects
    QString open;        // the opening tag of that element ("" when the page is not cut)
    QString close;       // its closing tag
    QStringList pieces;  // its children, each whole, in order
    QString rest;        // everything after its last child, its closing tag included

    bool Cut() const { return !open.isEmpty(); }
    // The text of the page with its first `count` pieces: the first view of it.
    QString First(qsizetype count) const;
    // A page of the pieces [from, to) under the same head, body and element, to be
    // added behind what is shown already.
    QString Fragment(qsizetype from, qsizetype to) const;
    // The whole page again.
    QString Whole() const { return First(pieces.size()); }
};

Page Split(const QString& html);

// The rules of a report style sheet that a preview page uses: those whose selectors
// name the preview's classes (body.preview, "pv-..."), read up to the first @media
// rule, after which the explorer's viewer reads no further. A style sheet without
// such rules comes back whole.
QString PreviewRules(const QString& css);

}  // namespace PageSteps
