#pragma once
// Access keys as a user meets them: the letters marked with "&" in what a window shows
// at one moment (its menu bar, tab bars, buttons and the labels that lead to a box),
// and pressing Alt with one of them.

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

class QMenu;
class QWidget;

namespace testsupport {

// One control an access key reaches.
struct AccessKey {
    QChar key;        // upper case
    QString caption;  // as written, with its "&"
    QWidget* owner = nullptr;  // the button, label, tab bar or menu bar
    int index = -1;            // the tab of a tab bar, the menu of a menu bar
};

// The access keys of what the window shows now (hidden pages and panels left out).
QList<AccessKey> VisibleAccessKeys(QWidget* window);

// "K: caption | caption" for every key that more than one of them claims.
QStringList Clashes(const QList<AccessKey>& keys);

// The access keys of a popup menu's items.
QList<AccessKey> MenuAccessKeys(QMenu* menu);

// Presses Alt with the key in the window, which must be active, and lets what the key
// starts run its course (a button's click follows its press a moment later).
void PressAlt(QWidget* window, QChar key);

// Presses Alt with k's key and tells whether the control it names answered as a user
// expects: a button clicked (a check box or option button changing with it), a label's
// box focused, a tab shown, a menu opened (and closed again). "" when it did, else what
// happened instead.
QString PressAndSee(QWidget* window, const AccessKey& k);

}  // namespace testsupport
