#pragma once

#include <QFont>
#include <QLineF>
#include <QList>
#include <QPaintDevice>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <memory>

class RecordingEngine;

// A page device that remembers what was drawn on it, page by page: texts with
// their baseline positions and fonts, lines, and the target rectangles of
// pictures. Print tests check these instead of pixels.
class RecordingDevice : public QPaintDevice
{
public:
    struct Text { int page; QPointF baseline; QString text; QFont font; };
    struct Line { int page; QLineF line; };
    struct Picture { int page; QRectF target; };

    // A page of `width` x `height` pixels at `dpi` (A4 at 300 dpi by default).
    explicit RecordingDevice(int width = 2480, int height = 3508, int dpi = 300);
    ~RecordingDevice() override;

    bool newPage();
    int page() const { return m_page; }

    QList<Text> texts;
    QList<Line> lines;
    QList<Picture> pictures;

    // All texts of one page (-1: all pages) joined in drawing order.
    QString joinedText(int page = -1) const;

    QPaintEngine *paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    friend class RecordingEngine;
    int m_width, m_height, m_dpi;
    int m_page = 1;
    std::unique_ptr<RecordingEngine> m_engine;
};
