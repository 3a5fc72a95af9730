#pragma once

#include "core/plots/plotsummary.h"
#include "core/stats/details.h"
#include "core/stats/groupedcases.h"
#include "plot/plotexport.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QStackedWidget;

namespace kw::app {

class PlotView;

// The "plots" page: a plot of the last completed calculation (the box plot, the mean ranks
// or the pairwise p-values), chosen at the top, drawn at the page's size; the picture saved as
// PNG (at the resolution chosen), SVG or PDF, or copied to the clipboard. Before a calculation
// the page says what to do.
//
// The plots take the pairwise comparisons and letters of the details page where it has
// computed them for the same choices; otherwise the page makes them itself, without the
// resampling (core/plots/comparisondetails). The summary costs in the distinct values, not the
// cases; where there are many it is made off the interface thread. It is made when the page
// is first shown after a calculation, never for a user who does not look.
class PlotsPage final : public QWidget {
    Q_OBJECT
public:
    explicit PlotsPage(QWidget* parent = nullptr);
    ~PlotsPage() override;

    // The calculation the plots are about (nullptr: none) and the choices of the pairwise
    // comparisons (method, adjustment, control, and the letters' alpha). The same calculation
    // and choices again change nothing.
    void setCalculation(std::shared_ptr<const GroupedCases> cases, const DetailsRequest& request);
    // The details page's statistics; taken when they are of the calculation and choices shown.
    void showDetails(std::shared_ptr<const Details> details);

    // The summary drawn (nullptr while there is none yet).
    const std::shared_ptr<const PlotSummary>& summary() const { return summary_; }
    plot::PlotKind kind() const;
    // The size the picture is laid out at when it is saved or copied, in 96-dpi pixels.
    QSizeF pictureSize() const;

    // Writes the picture to `path` in the format its extension names, replacing the file
    // only once the whole picture was written. The failure text, or empty.
    QString savePicture(const QString& path) const;
    // Puts the picture on the clipboard: as an image (at least twice the resolution of its
    // size, for documents) and as SVG.
    void copyPicture() const;
    // The name a picture is saved under: as typed where it ends in .png, .svg or .pdf, else
    // with the extension of the chosen filter added.
    static QString pictureFileName(const QString& typed, const QString& filter);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void askAndSave();
    // Makes the summary where it is missing and the page is shown.
    void summarize();
    void showSummary(std::shared_ptr<const PlotSummary> summary);
    void showHint(const QString& text);
    void updatePicture();

    std::shared_ptr<const GroupedCases> cases_;
    DetailsRequest request_;
    std::shared_ptr<const Details> details_; // of cases_ and request_, when computed
    std::shared_ptr<const PlotSummary> summary_;
    bool stale_ = false; // summary_ does not describe cases_ and request_ yet
    int generation_ = 0; // counts the summaries asked for; a late one is dropped
    bool working_ = false;
    bool tabOrdered_ = false; // the tab order set, once the page is in the window

    QComboBox* kindChoice_;
    QComboBox* sizeChoice_;
    QSpinBox* dpiBox_;
    QPushButton* saveButton_;
    QPushButton* copyButton_;
    QStackedWidget* stack_;
    QLabel* hint_;
    PlotView* view_;
};

} // namespace kw::app
