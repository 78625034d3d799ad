#include "core/dustbincartoon.h"

#include "core/imagelists.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace {
constexpr int kFrameMs = 300;
constexpr int kFrames = 6; // closed, open, three times
}

void Tm_DustbinCartoon(QLabel *picture)
{
    if (!picture)
        return;
    QPointer<QLabel> target(picture);
    auto *timer = new QTimer(picture); // dies with the label
    timer->setInterval(kFrameMs);
    auto frame = std::make_shared<int>(0);
    auto show = [target, frame, timer] {
        if (!target || *frame >= kFrames) {
            if (target)
                target->setPixmap(ImageLists::Dustbin(0)); // rest closed
            timer->stop();
            timer->deleteLater();
            return;
        }
        target->setPixmap(ImageLists::Dustbin(*frame % 2));
        ++*frame;
    };
    QObject::connect(timer, &QTimer::timeout, picture, show);
    show();
    timer->start();
}
