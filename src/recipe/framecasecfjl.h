#pragma once

#include "case/casepage.h"

// The prescriptions page of the case window.
class Tm_FrameCaseCFJL : public TCasePage
{
    Q_OBJECT

public:
    explicit Tm_FrameCaseCFJL(QWidget *parent = nullptr);
};
