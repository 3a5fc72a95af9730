#include "app/settings.h"

#include <QSettings>

namespace kw::app {

QString storedVersion() {
    QSettings s("Quindle Research", "KruskalWallis");
    const QVariant v = s.value("version");
    if (!v.isValid()) {
        return {}; // none stored
    }
    // A value that is not text counts as another version, so the notice shows.
    return v.canConvert<QString>() ? v.toString() : QString("?");
}

void storeVersion(const QString& version) {
    QSettings s("Quindle Research", "KruskalWallis");
    s.setValue("version", version);
    s.sync();
}

} // namespace kw::app
