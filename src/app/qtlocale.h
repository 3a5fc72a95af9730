#pragma once

#include "core/base/locale.h"

#include <QString>

#include <string>
#include <string_view>

namespace kw::app {

// Cell texts are bytes; the window shows them as UTF-8 (bytes that are not UTF-8 as
// replacement characters) and writes what the user types as UTF-8.
QString qText(std::string_view bytes);
std::string toBytes(const QString& text);

// A text for a cell, a header or a list item: as qText, but a text of more than 10,000 bytes
// shows only its beginning and its length, so that a huge value cannot stall the painting of
// a grid.
QString qShown(std::string_view bytes);

// The user's text order, letter case ignored.
class QtCollation final : public Collation {
public:
    int compare(std::string_view a, std::string_view b) const override;
};

// The user's locale: its decimal mark and its text order.
Locale userLocale();

} // namespace kw::app
