#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

// Runs `act` on the modal dialog of type D as soon as it shows, so that a
// test can drive a dialog that the code under test runs with exec().
template <typename D>
void whenShown(std::function<void(D *)> act)
{
    QTimer::singleShot(0, [act] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *dialog = qobject_cast<D *>(w); dialog && dialog->isVisible()) {
                act(dialog);
                return;
            }
        }
        QFAIL("no dialog shown");
    });
}
