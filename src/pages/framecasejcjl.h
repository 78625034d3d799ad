#pragma once

#include "case/casepage.h"

// The monitoring charts page of the case window.
class Tm_FrameCaseJCJL : public TCasePage
{
    Q_OBJECT

public:
    explicit Tm_FrameCaseJCJL(QWidget *parent = nullptr);
};
