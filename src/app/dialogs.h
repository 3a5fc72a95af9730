#pragma once

#include <QDialog>
#include <QPixmap>
#include <QUrl>

class QLineEdit;

namespace kw::app {

inline constexpr const char* releasedate = "(March, 2012)";

// The program's icon, drawn rather than loaded so that it is always at hand.
QPixmap programicon(int size);

// Shown at start when another version, or none, ran last.
class TNewVersionWarning final : public QDialog {
    Q_OBJECT
public:
    TNewVersionWarning(const QString& previous, QWidget* parent = nullptr);
    void setsiteaddress(QUrl address) { siteaddress_ = std::move(address); }

public slots:
    void VisitSiteButtonClick();

private:
    QUrl siteaddress_;
};

class Tdisclaimwindow final : public QDialog {
    Q_OBJECT
public:
    explicit Tdisclaimwindow(QWidget* parent = nullptr);
};

class TAboutBox final : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    void setsiteaddress(QUrl address) { siteaddress_ = std::move(address); }

public slots:
    void VisitSiteButtonClick();

private:
    QUrl siteaddress_;
};

// "manual input of data": the number of variables and of cases.
class Tmanual_in_dialog final : public QDialog {
    Q_OBJECT
public:
    explicit Tmanual_in_dialog(QWidget* parent = nullptr);
    QLineEdit* nvarsin() const { return nvarsin_; }
    QLineEdit* ntotvalin() const { return ntotvalin_; }

private:
    QLineEdit* nvarsin_;
    QLineEdit* ntotvalin_;
};

} // namespace kw::app
