#pragma once

#include <QString>

namespace kw::app {

// The one stored setting: the version of the program that last closed normally for this
// user, under "Quindle Research" / "KruskalWallis", value "version" (the registry on Windows,
// an INI file on Linux). Empty when none is stored.
QString storedVersion();
void storeVersion(const QString& version);

} // namespace kw::app
