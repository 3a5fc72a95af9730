#pragma once

#include <QString>

class QWidget;

namespace kw::app {

// The file dialogs of the File menu; an empty name when the user cancels.
// "Read data from Text file": an existing file.
QString askFileToRead(QWidget* parent);
// "Save manual Input to text" and "Save results to Text": any name, a file that exists
// replaced only when the user confirms.
QString askFileToWrite(QWidget* parent);

} // namespace kw::app
