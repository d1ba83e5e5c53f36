// The shared window instance and the opener through which a lower library opens a
// window that a higher library provides.

#include "core/Forms.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

class frmProbe : public QWidget, public SharedForm<frmProbe> {
    friend class SharedForm<frmProbe>;

public:
    QString FormName() const override { return QStringLiteral("frmProbe"); }
    void Unload() override {
        ReleaseInstance();
        deleteLater();
    }
    bool IsCurrent() const { return IsSharedInstance(); }

private:
    frmProbe() = default;
};

// Runs the pending deletion of that window only (other tests' windows stay as they are).
void DeletePosted(QObject* window) { QCoreApplication::sendPostedEvents(window, QEvent::DeferredDelete); }

}  // namespace

TEST(SharedForm, OneInstanceUntilUnloadThenAFreshOne) {
    ASSERT_FALSE(frmProbe::exists());
    frmProbe& first = frmProbe::instance();
    EXPECT_EQ(&frmProbe::instance(), &first);
    EXPECT_TRUE(frmProbe::exists());
    EXPECT_TRUE(Forms::IsLoaded(QStringLiteral("FRMPROBE")));
    EXPECT_TRUE(first.IsCurrent());

    QPointer<frmProbe> unloaded(&first);
    first.Unload();
    // Released at once, deleted later: the old window no longer answers instance().
    EXPECT_FALSE(frmProbe::exists());
    EXPECT_FALSE(Forms::IsLoaded(QStringLiteral("frmProbe")));
    ASSERT_TRUE(unloaded);
    EXPECT_FALSE(unloaded->IsCurrent());

    frmProbe& second = frmProbe::instance();
    EXPECT_TRUE(second.IsCurrent());
    EXPECT_FALSE(unloaded->IsCurrent());
    // The old window's deletion leaves the new instance alone.
    DeletePosted(unloaded.data());
    EXPECT_FALSE(unloaded);
    EXPECT_TRUE(frmProbe::exists());
    EXPECT_EQ(Forms::Loaded().count(&second), 1);
    QPointer<frmProbe> last(&second);
    second.Unload();
    DeletePosted(last.data());
    EXPECT_FALSE(last);
}

TEST(SharedForm, DeletedWithItsParentItIsReleased) {
    auto parent = std::make_unique<QWidget>();
    frmProbe::instance().setParent(parent.get());
    parent.reset();
    EXPECT_FALSE(frmProbe::exists());
    EXPECT_FALSE(Forms::IsLoaded(QStringLiteral("frmProbe")));
}

TEST(FormOpener, OpensOnlyWhenProvidedAndHandsBackTheOneItReplaces) {
    FormOpener<int, const QString&> opener;
    EXPECT_FALSE(opener.IsProvided());
    EXPECT_FALSE(opener(1, QStringLiteral("x")));  // nothing provided: nothing happens

    QStringList seen;
    opener.Provide([&](int n, const QString& s) { seen << QString::number(n) + s; });
    EXPECT_TRUE(opener(2, QStringLiteral("a")));
    auto previous = opener.Provide([&](int, const QString& s) { seen << QStringLiteral("other ") + s; });
    EXPECT_TRUE(opener(3, QStringLiteral("b")));
    ASSERT_TRUE(previous);
    opener.Provide(previous);
    EXPECT_TRUE(opener(4, QStringLiteral("c")));
    EXPECT_EQ(seen, QStringList({QStringLiteral("2a"), QStringLiteral("other b"), QStringLiteral("4c")}));

    opener.Provide({});
    EXPECT_FALSE(opener.IsProvided());
    EXPECT_FALSE(opener(5, QStringLiteral("d")));
    EXPECT_EQ(seen.size(), 3);
}
