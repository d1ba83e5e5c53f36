#include "support/AccessKeys.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

namespace testsupport {

namespace {

// The letter Qt makes the access key of a caption, or a null QChar.
QChar keyOf(const QString& caption) {
    const QKeySequence mnemonic = QKeySequence::mnemonic(caption);
    if (mnemonic.isEmpty()) return {};
    const int key = mnemonic[0].key();
    return key > 0 && key < 0x10000 ? QChar(char16_t(key)).toUpper() : QChar();
}

void add(QList<AccessKey>& out, const QString& caption, QWidget* owner, int index = -1) {
    const QChar key = keyOf(caption);
    if (!key.isNull()) out << AccessKey{key, caption, owner, index};
}

QString nameOf(const QWidget* w) {
    if (!w) return QStringLiteral("nothing");
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

}  // namespace

QList<AccessKey> VisibleAccessKeys(QWidget* window) {
    QList<AccessKey> out;
    const auto shown = [window](QWidget* w) { return w == window || w->isVisibleTo(window); };
    for (QMenuBar* bar : window->findChildren<QMenuBar*>())
        if (shown(bar))
            for (int i = 0; i < bar->actions().size(); ++i)
                if (bar->actions()[i]->isVisible()) add(out, bar->actions()[i]->text(), bar, i);
    for (QTabBar* bar : window->findChildren<QTabBar*>())
        if (shown(bar))
            for (int i = 0; i < bar->count(); ++i)
                if (bar->isTabVisible(i)) add(out, bar->tabText(i), bar, i);
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (shown(button)) add(out, button->text(), button);
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->buddy() && shown(label)) add(out, label->text(), label);
    return out;
}

QStringList Clashes(const QList<AccessKey>& keys) {
    QMap<QChar, QStringList> byKey;
    for (const AccessKey& k : keys) byKey[k.key] << k.caption;
    QStringList out;
    for (auto it = byKey.cbegin(); it != byKey.cend(); ++it)
        if (it.value().size() > 1) out << QString(it.key()) + QStringLiteral(": ") + it.value().join(QStringLiteral(" | "));
    return out;
}

QList<AccessKey> MenuAccessKeys(QMenu* menu) {
    QList<AccessKey> out;
    for (QAction* a : menu->actions())
        if (a->isVisible() && !a->isSeparator()) add(out, a->text(), menu);
    return out;
}

void PressAlt(QWidget* window, QChar key) {
    QTest::keyClick(window, Qt::Key(key.toUpper().unicode()), Qt::AltModifier);
    // An animated click ends 100 ms after its press.
    QTest::qWait(150);
}

QString PressAndSee(QWidget* window, const AccessKey& k) {
    if (auto* button = qobject_cast<QAbstractButton*>(k.owner)) {
        const bool wasChecked = button->isChecked();
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        PressAlt(window, k.key);
        // A machine under load may end the click later.
        for (int waited = 0; clicked.isEmpty() && button->isDown() && waited < 2000; waited += 20) QTest::qWait(20);
        if (clicked.isEmpty()) return QStringLiteral("not clicked; the focus is on ") + nameOf(QApplication::focusWidget());
        if (button->isCheckable() && !button->autoExclusive() && button->isChecked() == wasChecked)
            return QStringLiteral("clicked but not changed");
        if (button->autoExclusive() && !button->isChecked()) return QStringLiteral("clicked but not chosen");
        return {};
    }
    if (auto* label = qobject_cast<QLabel*>(k.owner)) {
        PressAlt(window, k.key);
        QWidget* box = label->buddy();
        QWidget* focus = QApplication::focusWidget();
        if (focus && (focus == box || focus->focusProxy() == box || box->focusProxy() == focus)) return {};
        return QStringLiteral("the focus is on ") + nameOf(focus);
    }
    if (auto* bar = qobject_cast<QTabBar*>(k.owner)) {
        PressAlt(window, k.key);
        return bar->currentIndex() == k.index ? QString() : QStringLiteral("tab %1 shown").arg(bar->currentIndex());
    }
    if (auto* bar = qobject_cast<QMenuBar*>(k.owner)) {
        PressAlt(window, k.key);
        QWidget* open = QApplication::activePopupWidget();
        const QMenu* menu = bar->actions().value(k.index) ? bar->actions().value(k.index)->menu() : nullptr;
        if (open) open->close();
        return open && open == menu ? QString() : QStringLiteral("opened ") + nameOf(open);
    }
    return QStringLiteral("no control of a kind that answers");
}

}  // namespace testsupport
