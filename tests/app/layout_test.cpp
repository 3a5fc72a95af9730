// The window's layout tests (offscreen).

#include <QtTest>

class LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
