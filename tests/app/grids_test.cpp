// The window's grids tests (offscreen).

#include <QtTest>

class GridsTest : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_MAIN(GridsTest)
#include "grids_test.moc"
