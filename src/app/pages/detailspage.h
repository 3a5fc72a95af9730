#pragma once

#include "core/stats/details.h"
#include "core/stats/groupedcases.h"

#include <QWidget>

#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace kw::app {

class DescriptivesModel;
class DetailsTableView;
class PairsModel;

// The "details" page: the statistics beyond the classic test for the last completed
// calculation. At the top, how the p of H and the bootstrap are found (exact mode, resamples,
// seed), "compute" and what the page shows; below, in a band that scrolls where the window is
// small: the descriptives of the groups with their letters, the over-all test with its three
// p-values, the effect sizes with their intervals, the pairwise comparisons under their own
// choosers (method, adjustment, control group), sortable by any column, and the line for a
// paper and the methods paragraph.
//
// The page shows and reports; the main window decides when to compute (see
// MainWindow::considerDetails).
class DetailsPage final : public QWidget {
    Q_OBJECT
public:
    // What the page shows besides the values.
    enum class Status {
        noResults,   // no completed calculation
        notComputed, // not yet computed for these choices
        computing,
        computed,
        cancelled, // stopped by the user: nothing computed for these choices
        failed     // nothing computed for these choices (the failure was shown)
    };

    explicit DetailsPage(QWidget* parent = nullptr);

    // The calculation the page is about (nullptr: none): its groups become the choices of the
    // control group, and what was shown goes. The calculation shown already changes nothing.
    void setCalculation(std::shared_ptr<const GroupedCases> cases);
    const std::shared_ptr<const GroupedCases>& calculation() const { return cases_; }

    // The choices as a request; alpha, the calculation's, is left as it is.
    DetailsRequest request() const;
    // Whether the values shown are those of the present choices.
    bool isCurrent() const;
    // Whether the computation failed for the present choices (then it is not tried again
    // unless asked for).
    bool failedForChoices() const;

    // The values, numbers with `decimal` as the decimal mark.
    void showDetails(std::shared_ptr<const Details> details, char decimal);
    // The status; any but computing and computed clears the values.
    void showStatus(Status status);
    Status status() const { return status_; }

protected:
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // A chooser, the resamples or the seed changed.
    void choicesChanged();
    void computeClicked();

private:
    void buildChoices();
    void methodChanged();
    void clearValues();
    void showOverallTest(const Details& d, char decimal);

    std::shared_ptr<const GroupedCases> cases_;
    std::shared_ptr<const Details> details_;
    Status status_ = Status::noResults;
    DetailsRequest failedFor_; // the choices of the last failure
    QString seedText_;         // as last taken, so that leaving the box unchanged changes nothing

    QComboBox* exactChoice_;
    QSpinBox* resamplesBox_;
    QLineEdit* seedEdit_;
    QLabel* statusLabel_;
    QComboBox* methodChoice_;
    QComboBox* adjustmentChoice_;
    QComboBox* controlChoice_;

    DescriptivesModel* descriptives_;
    DetailsTableView* descriptivesView_;
    QLabel* lettersNote_;
    PairsModel* pairs_;
    DetailsTableView* pairsView_;

    QLabel* hValue_;
    QLabel* dfValue_;
    QLabel* caseCountValue_;
    QLabel* asymptoticValue_;
    QLabel* resampledCaption_;
    QLabel* resampledValue_;
    QLabel* intervalCaption_;
    QLabel* intervalValue_;
    QLabel* relabellingsCaption_;
    QLabel* relabellingsValue_;
    QLabel* epsilonValue_;
    QLabel* epsilonInterval_;
    QLabel* etaValue_;
    QLabel* etaInterval_;
    QLabel* bootstrapValue_;

    QLineEdit* apaLine_;
    QPlainTextEdit* methods_;
    std::vector<QWidget*> tabOrder_; // the controls in the order Tab visits them
    bool moving_ = false;            // the focus moves along tabOrder_
    static bool takesTab(const QWidget* w);
    void tabInto(QWidget* w, bool next);
};

} // namespace kw::app
