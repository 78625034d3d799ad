#pragma once

class QDialog;
class QHBoxLayout;
class QPushButton;

// The "确定(&O)" (default) and "取消(&C)" pair at a dialog's bottom right,
// named m_BitBtn_Ok and m_BitBtn_Cancel and wired to accept and reject.
QHBoxLayout *MakeOkCancelRow(QDialog *dialog, QPushButton *&ok, QPushButton *&cancel);
