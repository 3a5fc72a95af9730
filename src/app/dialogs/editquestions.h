#pragma once

#include <QDateTime>
#include <QMessageBox>
#include <QString>

class QWidget;

namespace kw::app {

// The questions about typed data that would otherwise be lost, in the program's message box.

// Before something replaces or closes a data table with unsaved edits (object name
// "unsavededits"): Save (the default), Discard or Cancel (also Escape).
QMessageBox::StandardButton askAboutUnsavedEdits(QWidget* parent);

// At start, for a copy of a table whose edits were not saved when the program last ended
// (object name "restorecopy"), naming the time it was written: whether to restore it (the
// default); otherwise it is discarded.
bool askToRestoreCopy(const QDateTime& written, QWidget* parent);

// A copy that cannot be read: the reason, and where it was put aside (empty: removed).
void showUnreadableCopy(const QString& reason, const QString& setAside, QWidget* parent);

} // namespace kw::app
