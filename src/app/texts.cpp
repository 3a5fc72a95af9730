#include "app/texts.h"

#include <QFile>

// The texts live in a static library: naming their initialiser here links them into every
// program that uses them.
static void initialiseTexts() {
    Q_INIT_RESOURCE(texts);
}

namespace kw::app {

QString resourceText(const QString& name) {
    static const bool initialised = (initialiseTexts(), true);
    (void)initialised;
    QFile file(":/texts/" + name);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

} // namespace kw::app
