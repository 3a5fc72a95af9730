#pragma once

#include "gridmodels.h"
#include "session.h"
#include "work.h"

#include <QFutureWatcher>
#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;
class QTimer;

namespace kw::app {

// The main window: the choices of variables, alpha, missing-value code and selection at the
// top, the five pages of data and results below. Its handlers turn widgets into calls of the
// session and show the session's state afterwards; reading a file and calculating run on
// another thread on a copy of the session, which then takes the place of the shown one.
class Tmainform final : public QMainWindow {
    Q_OBJECT
public:
    explicit Tmainform(QWidget* parent = nullptr);
    ~Tmainform() override;

    // Where file names come from: the file dialogs, or a chooser that tests put in their place
    // (an empty name is a cancelled dialog).
    enum class FileQuestion { open, saveinput, savereport };
    using FileChooser = std::function<QString(FileQuestion)>;
    void setfilechooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    // Where the link to the spreadsheet comes from: made when it is first needed, then kept
    // for the rest of the run. Tests put a link of their own in its place.
    using LinkFactory = std::function<std::shared_ptr<SpreadsheetLink>()>;
    void setlinkfactory(LinkFactory factory) {
        linkfactory_ = std::move(factory);
        link_.reset();
    }

    // Reads `path` as "Read data from Text file" does, once the window has first become
    // active (the file named on the command line).
    void openatstart(const QString& path) { startfile_ = path; }

    const Session& session() const { return *session_; }
    bool busy() const { return busy_; }
    void waitforwork(); // until the work under way has ended and its results are shown

public slots:
    void ReadExcel1Click();
    void SavetoExcel1Click();
    void SaveCountsToExcelButtonClick();
    void Open1Click();
    void ManualInput1Click();
    void SaveInput1Click();
    void Save1Click();
    void Exit1Click();
    void calculateClick();
    void Help2Click();
    void Disclaimer1Click();
    void About1Click();
    void groupchoiceChange(int position);
    void testchoiceChange(int position);
    void selchoiceChange(int position);
    void addselectClick();
    void removeselectClick();
    void clearselectClick();
    void multisortClick(int item);
    void SaveRegistryButtonClick();
    void showwarning(const QString& caption, const QString& message, int helppage);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildpanel(QWidget* panel);
    void buildpages();
    void buildmenus();
    QTableView* gridview(const char* name, GridModel* model);

    void FormActivate();
    void CheckVersion();
    void openfile(const QString& path);

    // Shows a failure: a warning of the program's own in the warning dialog, anything else in
    // a message box with its text.
    void report(const Failure& failure);
    // The link to the spreadsheet, made on first use.
    std::shared_ptr<SpreadsheetLink> link();
    // Shows a failure of the link; when no spreadsheet answers, offers to start one.
    void linkfailure(const Failure& failure);
    // Runs `op` on a copy of the session off the user-interface thread; when it has ended
    // the copy becomes the session, the window shows it, and `after` runs.
    void run(std::function<void(Session&, Feedback&)> op, std::function<void()> after = {});
    // The same for work with the spreadsheet, whose failures may offer to start one.
    void runlink(std::function<void(Session&)> op);
    void workended();
    void showbusy();

    // The window from the session.
    void refresh();
    void refreshchoosers();
    void refreshselection();
    void refreshresults();
    void pushinputs(); // alpha and missing-value code typed in, to the session

    std::unique_ptr<Session> session_;
    FileChooser chooser_;
    LinkFactory linkfactory_;
    std::shared_ptr<SpreadsheetLink> link_;
    QString startfile_;
    bool activated_ = false;
    bool closing_ = false;

    // Work under way.
    bool busy_ = false;
    bool busyshown_ = false;
    bool linkwork_ = false;
    std::shared_ptr<Session> work_;
    std::shared_ptr<WorkFeedback> feedback_;
    std::function<void()> after_;
    QFutureWatcher<Outcome> watcher_;
    QTimer* busytimer_;
    QTimer* progresstimer_;

    // Controls.
    QComboBox* groupchoice_;
    QComboBox* testchoice_;
    QLineEdit* inputalpha_;
    QPushButton* calculate_;
    QGroupBox* treatgroupas_;
    QButtonGroup* treatgroupasbuttons_;
    QLineEdit* missvals_;
    QComboBox* selchoice_;
    QComboBox* operator_;
    QComboBox* valuechoice_;
    QPushButton* addselect_;
    QPushButton* removeselect_;
    QPushButton* clearselect_;
    QListWidget* selstrings_;
    QPushButton* saveregistrybutton_;
    QTabWidget* datapages_;
    QTableView* inputgrid_;
    QTableView* npgrgrid_;
    QTableView* groupgrid_;
    QTableView* rankgrid_;
    QTableView* mulcompgrid_;
    QTableView* countgrid_;
    QPushButton* savecountsbutton_;
    QLabel* groupvar_;
    QLabel* testvar_;
    QLabel* chival_;
    QLabel* dfnr_;
    QLabel* pval_;
    QLabel* mulcomplabel_;
    QGroupBox* multisort_;
    QButtonGroup* multisortbuttons_;
    QProgressBar* progress_;
    QLabel* stage_;
    QAction* saveinput1_;
    QList<QAction*> commands_;

    QObject* corner_ = nullptr; // paints the label of the data table's corner cell
    QList<QPair<QObject*, GridModel*>> gridcorners_;
    InputModel* inputmodel_;
    GridModel* npgrmodel_;
    GridModel* groupmodel_;
    GridModel* rankmodel_;
    GridModel* mulcompmodel_;
    GridModel* countmodel_;
};

} // namespace kw::app
