#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPoint>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class QPrinter;
class QPaintDevice;
class QWidget;

// One print job: a painter on a page device with the geometry every printout
// needs. Coordinates are device pixels of the printable area, its origin at
// the printable area's top left, as the printer's device context has it.
class PrintJob
{
public:
    // On a printer (a real one, or PDF output).
    explicit PrintJob(QPrinter *printer);
    // On any paint device (tests record on one); `newPage` moves it to the next page.
    PrintJob(QPaintDevice *device, std::function<bool()> newPage, QPoint unprintableOffset = QPoint());
    ~PrintJob();

    PrintJob(const PrintJob &) = delete;
    PrintJob &operator=(const PrintJob &) = delete;

    // Starts the job; the title names it in the printer's queue.
    bool begin(const QString &title);
    bool newPage();
    bool end();
    bool isActive() const;
    QString title() const { return m_title; }
    int pageCount() const { return m_pages; }

    QPainter &painter() { return m_painter; }
    QPaintDevice *device() const { return m_device; }

    int dpiX() const;
    int dpiY() const;
    QSize pageSize() const;           // printable area in pixels
    QPoint unprintableOffset() const; // from the paper's corner to the printable area

    // Margins of the "打印设置" settings in pixels. Left and top are corrected
    // for the unprintable border: an offset larger than the margin becomes the
    // coordinate, otherwise it is subtracted. Right and bottom are as converted.
    struct Margins { int left, top, right, bottom; };
    Margins margins() const;

    // Heading ("楷体_GB2312", MainTitleFontSize) and body ("宋体", FixedFontSize)
    // fonts and colours of the settings.
    static QFont titleFont();
    static QFont bodyFont();
    static QColor titleColor();
    static QColor bodyColor();

private:
    QPaintDevice *m_device = nullptr;
    QPrinter *m_printer = nullptr;
    std::function<bool()> m_newPage;
    QPoint m_offset;
    QPainter m_painter;
    QString m_title;
    int m_pages = 0;
};

// A colour stored the Windows way, 0x00BBGGRR.
QColor ColorFromWindows(int value);

// Device pixels and whole millimetres with the device's resolution (X or Y),
// rounded half to even; 0 for a missing device or an argument <= 0.
int PixelToMMX(const QPaintDevice *device, int pixels);
int PixelToMMY(const QPaintDevice *device, int pixels);
int MMToPixelX(const QPaintDevice *device, int millimetres);
int MMToPixelY(const QPaintDevice *device, int millimetres);

// Maps the GB2312 face names the printouts use to installed CJK fonts. Once at start.
void InstallFontSubstitutions();

// Shows a print preview of what `render` draws; from it the operator prints or
// saves a PDF. `render` gets a begun job and draws every page.
void ShowPrintPreview(const QString &title, const std::function<void(PrintJob &)> &render, QWidget *parent = nullptr);

// Renders straight into a PDF file; false with a reason on failure.
bool PrintToPdf(const QString &fileName, const QString &title, const std::function<void(PrintJob &)> &render,
                QString *error = nullptr);
