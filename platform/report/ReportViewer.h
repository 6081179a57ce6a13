#pragma once
// The viewer control: shows a report's pages (rendered to a PDF file of its own and shown with
// QtPdf's view), with page navigation, zoom and print. The display starts with ViewReport and
// goes on from the event loop; IsBusy says when it is done.

#include <QTemporaryDir>
#include <QWidget>

#include <memory>

class QLabel;
class QPdfDocument;
class QPdfView;
class QToolButton;

namespace report {

class Report;

class ReportViewer : public QWidget
{
    Q_OBJECT

public:
    explicit ReportViewer(QWidget* parent = nullptr);
    ~ReportViewer() override;

    void SetReportSource(std::shared_ptr<Report> report);
    // Starts the display; the pages are made on the next pass of the event loop.
    void ViewReport();
    bool IsBusy() const { return busy_; }
    // The error of the last display, empty when none.
    QString LastError() const { return error_; }

    int PageCount() const;
    int CurrentPage() const; // from 1
    void ShowPage(int page);
    void Zoom(double factor);
    // Asks for a printer and prints every page.
    void PrintReport();

    QPdfView* View() const { return view_; }

private:
    void Render();
    void UpdatePageLabel();

    std::shared_ptr<Report> report_;
    QTemporaryDir dir_;
    QPdfDocument* document_;
    QPdfView* view_;
    QLabel* pageLabel_;
    bool busy_ = false;
    QString error_;
};

} // namespace report
