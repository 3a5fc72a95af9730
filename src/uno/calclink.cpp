#include "uno/calclink.h"

#include "core/base/failure.h"
#include "uno/calcoffice.h"
#include "uno/worker.h"

#include <algorithm>
#include <future>
#include <type_traits>

namespace kw::uno {

namespace {

// A wait as "1.5 s".
std::string secondsText(std::chrono::milliseconds wait) {
    const auto ms = wait.count();
    std::string out = std::to_string(ms / 1000);
    if (const auto rest = ms % 1000; rest != 0) {
        std::string fraction = std::to_string(1000 + rest).substr(1);
        fraction.erase(fraction.find_last_not_of('0') + 1);
        out += "." + fraction;
    }
    return out + " s";
}

// The link the program holds. Each operation is one job on the link's own thread, and the
// caller waits for it at most `timeout`. A job that outlives its wait leaves the link refusing
// calls until that job has returned or the link is disconnected; the job keeps the office
// state it works on, so nothing it touches goes away under it.
class CalcLink final : public SpreadsheetLink {
public:
    CalcLink(std::string pipe, std::chrono::milliseconds timeout)
        : pipe_(std::move(pipe)), timeout_(timeout), worker_(std::make_unique<Worker>()),
          office_(std::make_shared<CalcOffice>(pipe_)) {}

    ~CalcLink() override {
        if (!stuck_) {
            // Let go of the office on the thread that used it, waiting a little for it.
            auto done = std::make_shared<std::promise<void>>();
            std::future<void> finished = done->get_future();
            worker_->post([office = std::move(office_), done] {
                office->drop();
                done->set_value();
            });
            finished.wait_for(
                std::min<std::chrono::milliseconds>(timeout_, std::chrono::seconds(2)));
        }
    }

    Listing listBooks() override {
        return call([](CalcOffice& office) { return office.listBooks(); });
    }
    Listing listSheets() override {
        return call([](CalcOffice& office) { return office.listSheets(); });
    }
    void newBook() override {
        call([](CalcOffice& office) { office.newBook(); });
    }
    std::string newSheet(const std::optional<std::string>& name) override {
        return call([name](CalcOffice& office) { return office.newSheet(name, false); });
    }
    std::string appendSheet(const std::optional<std::string>& name) override {
        return call([name](CalcOffice& office) { return office.newSheet(name, true); });
    }
    void selectBook(const std::string& name) override {
        call([name](CalcOffice& office) { office.selectBook(name); });
    }
    void selectSheet(const std::string& name) override {
        call([name](CalcOffice& office) { office.selectSheet(name); });
    }
    void useActiveSheet() override {
        call([](CalcOffice& office) { office.useActiveSheet(); });
    }
    ValueTable readRange(int c1, int c2, int r1, int r2) override {
        return call([=](CalcOffice& office) { return office.readRange(c1, c2, r1, r2); });
    }
    void writeRange(int c1, int c2, int r1, int r2, const ValueTable& table,
                    char decimal) override {
        // A copy: the job may outlive this call.
        call([=, table = table](CalcOffice& office) {
            office.writeRange(c1, c2, r1, r2, table, decimal);
        });
    }

    void disconnect() override {
        if (!worker_->idle()) {
            // A call that never came back keeps the old thread and its office state; the
            // link starts over beside them.
            worker_ = std::make_unique<Worker>();
            office_ = std::make_shared<CalcOffice>(pipe_);
        } else {
            renew();
        }
        stuck_ = false;
    }

private:
    template <class F> std::invoke_result_t<F&, CalcOffice&> call(F f) {
        using Result = std::invoke_result_t<F&, CalcOffice&>;
        ready();
        auto job = std::make_shared<std::packaged_task<Result()>>(
            [office = office_, f = std::move(f)]() mutable -> Result {
                try {
                    return f(*office);
                } catch (...) {
                    office->rethrow();
                }
            });
        std::future<Result> result = job->get_future();
        worker_->post([job] { (*job)(); });
        if (result.wait_for(timeout_) != std::future_status::ready) {
            stuck_ = true;
            throw Failure(Failure::Reason::spreadsheet,
                          "LibreOffice Calc does not answer (waited " + secondsText(timeout_) +
                              "): it may be busy with a dialog or frozen");
        }
        return result.get();
    }

    // Refuses while an earlier call is still out; once it has come back, starts afresh.
    void ready() {
        if (!stuck_) {
            return;
        }
        if (!worker_->idle()) {
            throw Failure(Failure::Reason::spreadsheet,
                          "LibreOffice Calc has not yet answered an earlier request: it "
                          "may be busy with a dialog or frozen. Close the dialog in Calc, "
                          "or restart Calc, and try again");
        }
        renew();
        stuck_ = false;
    }

    // A fresh office state; the old one is let go of on the worker thread.
    void renew() {
        worker_->post([old = std::move(office_)] { old->drop(); });
        office_ = std::make_shared<CalcOffice>(pipe_);
    }

    std::string pipe_;
    std::chrono::milliseconds timeout_;
    std::unique_ptr<Worker> worker_;
    std::shared_ptr<CalcOffice> office_; // used on the worker thread only
    bool stuck_ = false;
};

} // namespace

std::unique_ptr<SpreadsheetLink> makeCalcLink(const std::string& pipe,
                                              std::chrono::milliseconds timeout) {
    return std::make_unique<CalcLink>(pipe, timeout);
}

} // namespace kw::uno
