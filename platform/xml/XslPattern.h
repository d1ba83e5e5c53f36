#pragma once
// Translates the program's XSL-Pattern paths into XPath 1.0:
//  - a predicate that is a bare whole number counts from 0 in XSL Patterns and from 1
//    in XPath, so [n] becomes [n+1];
//  - the comparison operators $eq$, $ne$, $lt$, $le$, $gt$, $ge$ and the word
//    operators $and$, $or$, $not$ become their XPath forms.
// Text inside quotes is copied unchanged. Anything else passes through as it is.

#include <QString>

namespace platform::xml {

QString xslPatternToXPath(const QString& pattern);

}  // namespace platform::xml
