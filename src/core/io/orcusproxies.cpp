#include "core/io/orcusproxies.h"

#include "core/base/failure.h"
#include "core/io/datetimetext.h"

#include <cmath>
#include <string>

namespace kw {

namespace ss = orcus::spreadsheet;

namespace {

// Each sheet of the document costs about 4.5 MB before it holds a cell (a store for each of
// its 16384 columns), so that a few KB of XML naming sheets could take gigabytes: a workbook
// of more than 128 sheets is refused.
constexpr std::size_t maxSheets = 128;

} // namespace

void OrcusReading::cells(std::size_t n) {
    cells_ += n;
    if (cells_ > budget_) {
        throw Failure(Failure::Reason::badData,
                      "the workbook holds more cells than the program can read (more than " +
                          std::to_string(budget_) + ")");
    }
    pacer_.tick(std::min(cells_, expected_));
}

class SheetProxy final : public ss::iface::import_sheet {
public:
    SheetProxy(ss::iface::import_sheet* inner, OrcusReading& reading,
               ss::iface::import_shared_strings* strings, bool ods)
        : inner_(inner), reading_(reading), strings_(strings), ods_(ods) {}

    ss::iface::import_sheet_view* get_sheet_view() override { return inner_->get_sheet_view(); }
    ss::iface::import_sheet_properties* get_sheet_properties() override {
        return inner_->get_sheet_properties();
    }
    ss::iface::import_data_table* get_data_table() override { return inner_->get_data_table(); }
    ss::iface::import_auto_filter* get_auto_filter() override { return inner_->get_auto_filter(); }
    ss::iface::import_table* get_table() override { return inner_->get_table(); }
    ss::iface::import_conditional_format* get_conditional_format() override {
        return inner_->get_conditional_format();
    }
    ss::iface::import_named_expression* get_named_expression() override {
        return inner_->get_named_expression();
    }
    ss::iface::import_array_formula* get_array_formula() override {
        return inner_->get_array_formula();
    }
    ss::iface::import_formula* get_formula() override {
        reading_.cells(1);
        return inner_->get_formula();
    }

    void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override {
        reading_.cells(1);
        inner_->set_auto(row, col, s);
    }
    void set_string(ss::row_t row, ss::col_t col, ss::string_id_t id) override {
        reading_.cells(1);
        inner_->set_string(row, col, id);
    }
    void set_value(ss::row_t row, ss::col_t col, double value) override {
        reading_.cells(1);
        inner_->set_value(row, col, value);
    }
    void set_bool(ss::row_t row, ss::col_t col, bool value) override {
        reading_.cells(1);
        inner_->set_bool(row, col, value);
    }
    void set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int hour,
                       int minute, double second) override {
        reading_.cells(1);
        if (!ods_ || strings_ == nullptr || month < 1 || month > 12 || day < 1 || day > 31) {
            inner_->set_date_time(row, col, year, month, day, hour, minute, second);
            return;
        }
        std::string text = dateText(year, month, day);
        const long long seconds =
            (static_cast<long long>(hour) * 60 + minute) * 60 + std::llround(second);
        if (seconds > 0 && seconds < 86400) {
            text += " " + timeText(seconds);
        }
        inner_->set_string(row, col, strings_->add(text));
    }
    void set_format(ss::row_t row, ss::col_t col, std::size_t xf) override {
        inner_->set_format(row, col, xf);
    }
    void set_format(ss::row_t row1, ss::col_t col1, ss::row_t row2, ss::col_t col2,
                    std::size_t xf) override {
        inner_->set_format(row1, col1, row2, col2, xf);
    }
    void fill_down_cells(ss::row_t row, ss::col_t col, ss::row_t size) override {
        reading_.cells(size > 0 ? static_cast<std::size_t>(size) : 0);
        inner_->fill_down_cells(row, col, size);
    }
    ss::range_size_t get_sheet_size() const override { return inner_->get_sheet_size(); }

    ss::iface::import_sheet* inner() const { return inner_; }

private:
    ss::iface::import_sheet* inner_;
    OrcusReading& reading_;
    ss::iface::import_shared_strings* strings_;
    bool ods_;
};

FactoryProxy::FactoryProxy(ss::import_factory& inner, OrcusReading& reading, bool ods)
    : inner_(inner), reading_(reading), ods_(ods) {}

FactoryProxy::~FactoryProxy() = default;

ss::iface::import_sheet* FactoryProxy::append_sheet(ss::sheet_t index, std::string_view name) {
    if (sheets_.size() >= maxSheets) {
        throw Failure(Failure::Reason::badData, "the workbook holds more than " +
                                                    std::to_string(maxSheets) +
                                                    " sheets, more than the program reads");
    }
    reading_.check();
    return wrap(inner_.append_sheet(index, name));
}

ss::iface::import_sheet* FactoryProxy::wrap(ss::iface::import_sheet* sheet) {
    if (sheet == nullptr) {
        return nullptr;
    }
    for (const auto& p : sheets_) {
        if (p->inner() == sheet) {
            return p.get();
        }
    }
    sheets_.push_back(
        std::make_unique<SheetProxy>(sheet, reading_, inner_.get_shared_strings(), ods_));
    return sheets_.back().get();
}

} // namespace kw
