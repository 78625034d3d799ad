#include "case/casepage.h"

#include <QLabel>
#include <QVBoxLayout>

TCasePage::TCasePage(const QString &caption, quint32 readRight, QWidget *parent)
    : QFrame(parent), m_caption(caption), m_readRight(readRight)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_Label_Caption = new QLabel(caption, this);
    m_Label_Caption->setObjectName(QStringLiteral("m_Label_Caption"));
    QFont font = m_Label_Caption->font();
    font.setPointSize(font.pointSize() + 6);
    font.setBold(true);
    m_Label_Caption->setFont(font);
    m_Label_Caption->setStyleSheet(QStringLiteral("color: #008080;"));
    m_PageLayout = new QVBoxLayout(this);
    m_PageLayout->addWidget(m_Label_Caption, 0, Qt::AlignLeft | Qt::AlignTop);
}

void TCasePage::AttachCase(TCaseObject &caseObject, const CUserSecurityData &user)
{
    m_caseObject = &caseObject;
    m_user = user;
}
