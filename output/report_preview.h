#pragma once

#include <functional>

#include <QDialog>

class FileSystem;

class Prompter;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace output {

class PageView;
class Report;

// The preview window: one page at a time, drawn from the layout when it is on screen, so a report
// of tens of thousands of pages opens as fast as one of a single page.
class ReportPreview : public QDialog
{
    Q_OBJECT
public:
    ReportPreview(Report &report, Prompter &prompter, FileSystem &fs, QWidget *parent = nullptr);
    // Files a PDF may not take the place of (the program's own).
    void protectFiles(std::function<bool(const QString &)> protectedFile)
    {
        protectedFile_ = std::move(protectedFile);
    }

    int currentPage() const { return page_; }
    int pageCount() const;
    void showPage(int page);
    // Device pixels per millimetre the page is drawn with now.
    double scale() const;

    // Zoom choices in the order of the zoom list.
    enum Zoom { FitWidth, FitPage, Percent50, Percent75, Percent100, Percent150, Percent200 };
    void setZoom(Zoom zoom);

    void printClick();
    void savePdfClick();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void applyZoom();
    void updateControls();

    Report &report_;
    Prompter &prompter_;
    FileSystem &fs_;
    int page_ = 0;
    QPushButton *firstButton_;
    QPushButton *previousButton_;
    QPushButton *nextButton_;
    QPushButton *lastButton_;
    QLabel *pageLabel_;
    QComboBox *zoomBox_;
    QPushButton *printButton_;
    QPushButton *pdfButton_;
    QPushButton *closeButton_;
    QScrollArea *scrollArea_;
    PageView *view_;
    std::function<bool(const QString &)> protectedFile_;
};

} // namespace output
