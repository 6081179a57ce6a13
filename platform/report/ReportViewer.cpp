#include "platform/report/ReportViewer.h"

#include "platform/report/Report.h"
#include "platform/vb/Error.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace report {

ReportViewer::ReportViewer(QWidget* parent)
    : QWidget(parent), document_(new QPdfDocument(this)), view_(new QPdfView(this)),
      pageLabel_(new QLabel(this))
{
    setObjectName("VXViewer");
    auto* bar = new QHBoxLayout;
    auto button = [&](const char* name, const QString& text, auto action) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setText(text);
        connect(b, &QToolButton::clicked, this, action);
        bar->addWidget(b);
        return b;
    };
    button("Premiere", "|<", [this] { ShowPage(1); });
    button("Precedente", "<", [this] { ShowPage(CurrentPage() - 1); });
    bar->addWidget(pageLabel_);
    button("Suivante", ">", [this] { ShowPage(CurrentPage() + 1); });
    button("Derniere", ">|", [this] { ShowPage(PageCount()); });
    button("ZoomPlus", "+", [this] { Zoom(view_->zoomFactor() * 1.25); });
    button("ZoomMoins", "-", [this] { Zoom(view_->zoomFactor() / 1.25); });
    button("Imprimer", "Imprimer", [this] { PrintReport(); });
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(view_, 1);
    view_->setDocument(document_);
    view_->setPageMode(QPdfView::PageMode::MultiPage);
    view_->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    connect(view_->pageNavigator(), &QPdfPageNavigator::currentPageChanged, this,
            [this] { UpdatePageLabel(); });
    UpdatePageLabel();
}

ReportViewer::~ReportViewer()
{
    document_->close();
}

void ReportViewer::SetReportSource(std::shared_ptr<Report> report)
{
    report_ = std::move(report);
}

void ReportViewer::ViewReport()
{
    busy_ = true;
    error_.clear();
    QTimer::singleShot(0, this, [this] { Render(); });
}

void ReportViewer::Render()
{
    try {
        if (report_) {
            const QString path = dir_.filePath("affichage.pdf");
            document_->close();
            report_->WritePdf(path);
            document_->load(path);
        }
    } catch (const vb::Error& e) {
        error_ = QString::fromStdString(e.Description());
    }
    UpdatePageLabel();
    busy_ = false;
}

int ReportViewer::PageCount() const
{
    return document_->status() == QPdfDocument::Status::Ready ? document_->pageCount() : 0;
}

int ReportViewer::CurrentPage() const
{
    return PageCount() == 0 ? 0 : view_->pageNavigator()->currentPage() + 1;
}

void ReportViewer::ShowPage(int page)
{
    if (PageCount() == 0)
        return;
    page = std::clamp(page, 1, PageCount());
    view_->pageNavigator()->jump(page - 1, {}, view_->pageNavigator()->currentZoom());
    UpdatePageLabel();
}

void ReportViewer::Zoom(double factor)
{
    view_->setZoomMode(QPdfView::ZoomMode::Custom);
    view_->setZoomFactor(std::clamp(factor, 0.1, 8.0));
}

void ReportViewer::PrintReport()
{
    if (!report_ || !report_->IsReady())
        return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    report_->Print(printer);
}

void ReportViewer::UpdatePageLabel()
{
    pageLabel_->setText(QString("%1 / %2").arg(CurrentPage()).arg(PageCount()));
}

} // namespace report
