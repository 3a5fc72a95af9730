#pragma once

#include "core/base/feedback.h"

#include <orcus/spreadsheet/factory.hpp>
#include <orcus/spreadsheet/import_interface.hpp>

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace kw {

// What the reading costs, told while orcus reads: cells set so far against the number the
// size of the sheets' XML suggests. Also where a request to stop is heard.
class OrcusReading {
public:
    OrcusReading(Feedback* feedback, std::size_t expectedCells, std::size_t budget)
        : pacer_(feedback, "reading the workbook", expectedCells + 1, 1 << 14),
          expected_(expectedCells), budget_(budget) {}

    // Throws kw::Failure past the budget.
    void cells(std::size_t n);
    void check() { pacer_.check(std::min(cells_, expected_)); }

private:
    Pacer pacer_;
    std::size_t expected_;
    std::size_t budget_;
    std::size_t cells_ = 0;
};

class SheetProxy;

// The proxy between orcus' readers and its document, and of each sheet: they count the cells
// (for progress, cancelling and the limit on cells), bound the sheets, and turn .ods dates
// into their texts (the document keeps them as bare numbers, with nothing left to tell them
// from numbers).
class FactoryProxy final : public orcus::spreadsheet::iface::import_factory {
public:
    FactoryProxy(orcus::spreadsheet::import_factory& inner, OrcusReading& reading, bool ods);
    ~FactoryProxy() override;

    orcus::spreadsheet::iface::import_global_settings* get_global_settings() override {
        return inner_.get_global_settings();
    }
    orcus::spreadsheet::iface::import_shared_strings* get_shared_strings() override {
        return inner_.get_shared_strings();
    }
    orcus::spreadsheet::iface::import_named_expression* get_named_expression() override {
        return inner_.get_named_expression();
    }
    orcus::spreadsheet::iface::import_styles* get_styles() override { return inner_.get_styles(); }
    orcus::spreadsheet::iface::import_reference_resolver*
    get_reference_resolver(orcus::spreadsheet::formula_ref_context_t cxt) override {
        return inner_.get_reference_resolver(cxt);
    }
    orcus::spreadsheet::iface::import_pivot_cache_definition*
    create_pivot_cache_definition(orcus::spreadsheet::pivot_cache_id_t id) override {
        return inner_.create_pivot_cache_definition(id);
    }
    orcus::spreadsheet::iface::import_pivot_cache_records*
    create_pivot_cache_records(orcus::spreadsheet::pivot_cache_id_t id) override {
        return inner_.create_pivot_cache_records(id);
    }
    orcus::spreadsheet::iface::import_sheet* append_sheet(orcus::spreadsheet::sheet_t index,
                                                          std::string_view name) override;
    orcus::spreadsheet::iface::import_sheet* get_sheet(std::string_view name) override {
        return wrap(inner_.get_sheet(name));
    }
    orcus::spreadsheet::iface::import_sheet* get_sheet(orcus::spreadsheet::sheet_t index) override {
        return wrap(inner_.get_sheet(index));
    }
    void finalize() override {
        reading_.check();
        inner_.finalize();
    }

private:
    orcus::spreadsheet::iface::import_sheet* wrap(orcus::spreadsheet::iface::import_sheet* sheet);

    orcus::spreadsheet::import_factory& inner_;
    OrcusReading& reading_;
    bool ods_;
    std::vector<std::unique_ptr<SheetProxy>> sheets_;
};

} // namespace kw
