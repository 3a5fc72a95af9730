#include "settings.h"

#include <QSettings>

namespace kw::app {

QString storedversion() {
    QSettings s("Quindle Research", "KruskalWallis");
    const QVariant v = s.value("version");
    if (!v.isValid()) {
        return {}; // none stored
    }
    // A value that is not text counts as another version, so the notice shows.
    return v.canConvert<QString>() ? v.toString() : QString("?");
}

void storeversion(const QString& version) {
    QSettings s("Quindle Research", "KruskalWallis");
    s.setValue("version", version);
    s.sync();
}

} // namespace kw::app
