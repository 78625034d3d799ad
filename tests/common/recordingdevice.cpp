#include "common/recordingdevice.h"

#include <QPaintEngine>
#include <QTextItem>
#include <QTransform>

class RecordingEngine : public QPaintEngine
{
public:
    explicit RecordingEngine(RecordingDevice *device) : QPaintEngine(AllFeatures), m_device(device) {}

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & DirtyTransform)
            m_transform = state.transform();
        if (state.state() & DirtyFont)
            m_font = state.font();
    }

    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        m_device->texts << RecordingDevice::Text{m_device->m_page, m_transform.map(p), item.text(), item.font()};
    }
    void drawLines(const QLineF *lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            m_device->lines << RecordingDevice::Line{m_device->m_page, m_transform.map(lines[i])};
    }
    void drawLines(const QLine *lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            m_device->lines << RecordingDevice::Line{m_device->m_page, m_transform.map(QLineF(lines[i]))};
    }
    void drawPixmap(const QRectF &r, const QPixmap &, const QRectF &) override
    {
        m_device->pictures << RecordingDevice::Picture{m_device->m_page, m_transform.mapRect(r)};
    }
    void drawImage(const QRectF &r, const QImage &, const QRectF &, Qt::ImageConversionFlags) override
    {
        m_device->pictures << RecordingDevice::Picture{m_device->m_page, m_transform.mapRect(r)};
    }
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}

private:
    RecordingDevice *m_device;
    QTransform m_transform;
    QFont m_font;
};

RecordingDevice::RecordingDevice(int width, int height, int dpi)
    : m_width(width), m_height(height), m_dpi(dpi), m_engine(std::make_unique<RecordingEngine>(this))
{
}

RecordingDevice::~RecordingDevice() = default;

bool RecordingDevice::newPage()
{
    ++m_page;
    return true;
}

QString RecordingDevice::joinedText(int page) const
{
    QString all;
    for (const Text &t : texts) {
        if (page < 0 || t.page == page)
            all += t.text;
    }
    return all;
}

QPaintEngine *RecordingDevice::paintEngine() const
{
    return m_engine.get();
}

int RecordingDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth: return m_width;
    case PdmHeight: return m_height;
    case PdmWidthMM: return int(m_width * 25.4 / m_dpi);
    case PdmHeightMM: return int(m_height * 25.4 / m_dpi);
    case PdmNumColors: return 1 << 24;
    case PdmDepth: return 24;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return m_dpi;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
    default: return 0;
    }
}
