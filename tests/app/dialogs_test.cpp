// The window's dialogs tests (offscreen).

#include <QtTest>

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
