#include "core/printjob.h"

#include "core/prompter.h"
#include "core/settings.h"

#include <QAction>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QToolBar>
#include <cmath>

namespace {

int roundHalfEven(double value)
{
    return int(std::nearbyint(value));
}

int pixelsToMM(int pixels, int dpi)
{
    if (pixels <= 0 || dpi <= 0)
        return 0;
    return roundHalfEven(pixels / double(dpi) * 25.4);
}

int mmToPixels(int millimetres, int dpi)
{
    if (millimetres <= 0 || dpi <= 0)
        return 0;
    return roundHalfEven(millimetres * double(dpi) * 0.1 / 2.54);
}

void prepareForPdf(QPrinter &printer, const QString &fileName)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

} // namespace

PrintJob::PrintJob(QPrinter *printer) : m_device(printer), m_printer(printer) {}

PrintJob::PrintJob(QPaintDevice *device, std::function<bool()> newPage, QPoint unprintableOffset)
    : m_device(device), m_newPage(std::move(newPage)), m_offset(unprintableOffset)
{
}

PrintJob::~PrintJob()
{
    end();
}

bool PrintJob::begin(const QString &title)
{
    if (!m_device || m_painter.isActive())
        return false;
    m_title = title;
    if (m_printer)
        m_printer->setDocName(title);
    if (!m_painter.begin(m_device))
        return false;
    m_pages = 1;
    return true;
}

bool PrintJob::newPage()
{
    if (!m_painter.isActive())
        return false;
    const bool ok = m_printer ? m_printer->newPage() : (m_newPage && m_newPage());
    if (ok)
        ++m_pages;
    return ok;
}

bool PrintJob::end()
{
    if (!m_painter.isActive())
        return false;
    return m_painter.end();
}

bool PrintJob::isActive() const
{
    return m_painter.isActive();
}

int PrintJob::dpiX() const
{
    return m_printer ? m_printer->resolution() : (m_device ? m_device->logicalDpiX() : 0);
}

int PrintJob::dpiY() const
{
    return m_printer ? m_printer->resolution() : (m_device ? m_device->logicalDpiY() : 0);
}

QSize PrintJob::pageSize() const
{
    return m_device ? QSize(m_device->width(), m_device->height()) : QSize();
}

QPoint PrintJob::unprintableOffset() const
{
    if (m_printer)
        return m_printer->pageLayout().paintRectPixels(m_printer->resolution()).topLeft();
    return m_offset;
}

PrintJob::Margins PrintJob::margins() const
{
    Margins m;
    m.left = MMToPixelX(m_device, Settings::integer(Setting::Left));
    m.top = MMToPixelY(m_device, Settings::integer(Setting::Top));
    m.right = MMToPixelX(m_device, Settings::integer(Setting::Right));
    m.bottom = MMToPixelY(m_device, Settings::integer(Setting::Bottom));
    const QPoint offset = unprintableOffset();
    m.left = offset.x() > m.left ? offset.x() : m.left - offset.x();
    m.top = offset.y() > m.top ? offset.y() : m.top - offset.y();
    return m;
}

QFont PrintJob::titleFont()
{
    QFont font(QStringLiteral("楷体_GB2312"));
    font.setPointSize(qBound(4, Settings::integer(Setting::MainTitleFontSize), 96));
    return font;
}

QFont PrintJob::bodyFont()
{
    QFont font(QStringLiteral("宋体"));
    font.setPointSize(qBound(4, Settings::integer(Setting::FixedFontSize), 96));
    return font;
}

QColor PrintJob::titleColor()
{
    return ColorFromWindows(Settings::integer(Setting::MainTitleFontColor));
}

QColor PrintJob::bodyColor()
{
    return ColorFromWindows(Settings::integer(Setting::FixedFontColor));
}

QColor ColorFromWindows(int value)
{
    const quint32 v = quint32(value);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

int PixelToMMX(const QPaintDevice *device, int pixels)
{
    return device ? pixelsToMM(pixels, device->logicalDpiX()) : 0;
}

int PixelToMMY(const QPaintDevice *device, int pixels)
{
    return device ? pixelsToMM(pixels, device->logicalDpiY()) : 0;
}

int MMToPixelX(const QPaintDevice *device, int millimetres)
{
    return device ? mmToPixels(millimetres, device->logicalDpiX()) : 0;
}

int MMToPixelY(const QPaintDevice *device, int millimetres)
{
    return device ? mmToPixels(millimetres, device->logicalDpiY()) : 0;
}

void InstallFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("楷体_GB2312"), QStringLiteral("AR PL UKai CN"));
    QFont::insertSubstitution(QStringLiteral("楷体"), QStringLiteral("AR PL UKai CN"));
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"));
}

bool PrintToPdf(const QString &fileName, const QString &title, const std::function<void(PrintJob &)> &render,
                QString *error)
{
    QPrinter printer(QPrinter::HighResolution);
    prepareForPdf(printer, fileName);
    PrintJob job(&printer);
    if (!job.begin(title)) {
        if (error)
            *error = QStringLiteral("无法写入文件“%1”").arg(fileName);
        return false;
    }
    render(job);
    if (!job.end()) {
        if (error)
            *error = QStringLiteral("无法写入文件“%1”").arg(fileName);
        return false;
    }
    return true;
}

void ShowPrintPreview(const QString &title, const std::function<void(PrintJob &)> &render, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QStringLiteral("打印预览 - ") + title);
    // Big enough to read a page at a glance, within the screen.
    if (QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableGeometry().size();
        preview.resize(qMin(900, room.width()), qMin(1000, room.height() - 40));
    }
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter *target) {
        PrintJob job(target);
        if (job.begin(title)) {
            render(job);
            job.end();
        }
    });
    if (QToolBar *toolbar = preview.findChild<QToolBar *>()) {
        toolbar->addSeparator();
        QAction *savePdf = toolbar->addAction(QStringLiteral("保存为PDF"));
        savePdf->setObjectName(QStringLiteral("m_Action_SavePdf"));
        QObject::connect(savePdf, &QAction::triggered, &preview, [&] {
            QString fileName = Prompter::instance().saveFileName(QStringLiteral("保存为PDF"), title + QStringLiteral(".pdf"),
                                                                 QStringLiteral("PDF 文件 (*.pdf)"));
            if (fileName.isEmpty())
                return;
            if (!fileName.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
                fileName += QStringLiteral(".pdf");
            QString error;
            if (PrintToPdf(fileName, title, render, &error))
                Prompter::instance().message(QStringLiteral("已保存为“%1”。").arg(fileName), QStringLiteral("提示"),
                                             Prompter::Icon::Information);
            else
                Prompter::instance().message(error, QStringLiteral("错误..."), Prompter::Icon::Error);
        });
    }
    preview.exec();
}
