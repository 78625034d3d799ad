#pragma once

#include "case/casepage.h"

// The front page page of the case window.
class Tm_FrameCaseBLSY : public TCasePage
{
    Q_OBJECT

public:
    explicit Tm_FrameCaseBLSY(QWidget *parent = nullptr);
};
