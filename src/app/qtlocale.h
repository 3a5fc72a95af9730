#pragma once

#include "collation.h"

#include <QCollator>
#include <QString>

#include <string>
#include <string_view>

namespace kw::app {

// Cell texts are bytes; the window shows them as UTF-8 (bytes that are not shown safely as
// replacement characters) and writes what the user types as UTF-8.
QString qtext(std::string_view bytes);
std::string bytes(const QString& text);

// A text for a cell or a header: as qtext, but a text of more than 10,000 bytes shows only its
// beginning and its length, so that a huge value cannot stall the painting of a grid.
QString qshown(std::string_view bytes);

// The user's locale: its decimal mark, and its text order with letter case ignored.
class QtCollation final : public Collation {
public:
    int compare(std::string_view a, std::string_view b) const override;
};

Locale userlocale();

} // namespace kw::app
