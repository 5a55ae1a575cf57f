#include "app/resource.h"

#include <QApplication>
#include <QTest>

class TestResource : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void looks_icons_up_by_logical_name();
};

void TestResource::initTestCase()
{
    QIcon::setThemeSearchPaths({QFINDTESTDATA("icons")});
    QIcon::setThemeName(QStringLiteral("test-theme"));
}

void TestResource::looks_icons_up_by_logical_name()
{
    const QIcon start = Resource::instance().icon(QStringLiteral("service start"));
    QVERIFY(!start.isNull());
    QCOMPARE(start.name(), QStringLiteral("dialog-ok-apply"));
    QCOMPARE(&Resource::instance(), &Resource::instance());
    QCOMPARE(Resource::instance().icon(QStringLiteral("service start")).cacheKey() != 0, true);

    QVERIFY(Resource::instance().icon(QStringLiteral("Service Start")).isNull());
    QVERIFY(Resource::instance().icon(QStringLiteral("no such name")).isNull());
    // The theme has no "configure" icon: the entry exists but stays empty.
    QVERIFY(Resource::instance().icon(QStringLiteral("edit service")).isNull());
}

QTEST_MAIN(TestResource)
#include "tst_resource.moc"
