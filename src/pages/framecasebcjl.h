#pragma once

#include "case/casepage.h"

// The progress notes page of the case window.
class Tm_FrameCaseBCJL : public TCasePage
{
    Q_OBJECT

public:
    explicit Tm_FrameCaseBCJL(QWidget *parent = nullptr);
};
