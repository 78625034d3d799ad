#include "core/dialogbuttons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

QHBoxLayout *MakeOkCancelRow(QDialog *dialog, QPushButton *&ok, QPushButton *&cancel)
{
    ok = new QPushButton(QStringLiteral("确定(&O)"), dialog);
    ok->setObjectName(QStringLiteral("m_BitBtn_Ok"));
    ok->setDefault(true);
    cancel = new QPushButton(QStringLiteral("取消(&C)"), dialog);
    cancel->setObjectName(QStringLiteral("m_BitBtn_Cancel"));
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}
