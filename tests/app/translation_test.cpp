// The window's translation tests (offscreen).

#include <QtTest>

class TranslationTest : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_MAIN(TranslationTest)
#include "translation_test.moc"
