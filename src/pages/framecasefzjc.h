#pragma once

#include "case/casepage.h"

// The examination sheets page of the case window.
class Tm_FrameCaseFZJC : public TCasePage
{
    Q_OBJECT

public:
    explicit Tm_FrameCaseFZJC(QWidget *parent = nullptr);
};
